#include "app/settings/application_markers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings/profile_store.h"
#include "app/settings/program_search.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::fakeBinFolder;
using ostrel::testing::makeProgram;
using ostrel::testing::scannerFile;
using ostrel::testing::ScopedPath;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;
using platform::Hive;
using platform::RegistryKey;

std::string destinationFile() { return scannerFile("ApplicationSetting.ini"); }

// Registers an install folder under the given key and value name.
void registerInstall(const std::string& key, const std::string& valueName, const std::string& folder) {
  auto created = RegistryKey::create(Hive::LocalMachine, key);
  ASSERT_TRUE(created);
  ASSERT_TRUE(created->setString(valueName, folder));
}

class ApplicationMarkers : public ::testing::Test {
 protected:
  // Nothing on $PATH unless a test puts it there.
  ScopedPath path_{fakeBinFolder()};
};

TEST_F(ApplicationMarkers, WordIsFoundUnderTheVersionItIsRegisteredWith) {
  const std::string folder = tempRoot() + "/office12/";
  const std::string program = makeProgram(folder, "winword");
  registerInstall("Software\\Microsoft\\Office\\12.0\\Word\\InstallRoot", "Path", folder);
  writeFile(destinationFile(), "[0]\r\nValid=1\r\nTitle=Word\r\nPath=@MSWORD\r\n");

  ProfileStore store;
  store.LoadApplicationSettings(destinationFile());
  ASSERT_EQ(store.ApplicationSettingList().size(), 1u);
  EXPECT_EQ(store.ApplicationSettingList().front()->path, program);
  EXPECT_EQ(platform::GetPrivateProfileString("0", "Path", "", destinationFile()), program);
}

TEST_F(ApplicationMarkers, TheHighestVersionWinsEvenWithoutAUsableValue) {
  const std::string acrobat8 = makeProgram(tempRoot() + "/acrobat8", "acrobat");
  const std::string acrobat9 = makeProgram(tempRoot() + "/acrobat9", "acrobat");
  registerInstall("Software\\Adobe\\Adobe Acrobat\\8.0\\InstallPath", "", tempRoot() + "/acrobat8");
  registerInstall("Software\\Adobe\\Adobe Acrobat\\9.0\\InstallPath", "Anything", tempRoot() + "/acrobat9");
  EXPECT_EQ(ResolveApplicationMarker("@Adobe Acrobat").path, acrobat9);

  // Photoshop 7 holds no value named like ApplicationPath; 6 is not tried.
  makeProgram(tempRoot() + "/ps6/", "photoshop");
  registerInstall("Software\\Adobe\\Photoshop\\6.0", "ApplicationPath", tempRoot() + "/ps6/");
  registerInstall("Software\\Adobe\\Photoshop\\7.0", "InstallPath", tempRoot() + "/ps7/");
  // The bare program name is left: not installed, even when the current
  // folder happens to hold a file of that name.
  makeProgram(tempRoot() + "/", "photoshop");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(tempRoot());
  const MarkerResolution photoshop = ResolveApplicationMarker("@Photoshop");
  std::filesystem::current_path(previous);
  EXPECT_EQ(photoshop.path, "photoshop");
  EXPECT_FALSE(photoshop.writeBack);
}

TEST_F(ApplicationMarkers, ValueNamesMustBeALeadingPartOfTheWantedName) {
  const std::string folder = tempRoot() + "/ps/";
  const std::string program = makeProgram(folder, "photoshop");
  auto key = RegistryKey::create(Hive::LocalMachine, "Software\\Adobe\\Photoshop\\10.0");
  key->setString("ApplicationPathX", "/wrong/");
  key->setNumber("Application", 5);  // no text to use
  key->setString("application", folder);
  EXPECT_EQ(ResolveApplicationMarker("@Photoshop").path, program);
}

TEST_F(ApplicationMarkers, PageManagerResolvesAtEveryLoadAndStaysAMarker) {
  makeProgram(tempRoot() + "/pm", "prestopm");
  registerInstall("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Prestopm.exe", "",
                  "%USERPROFILE%/../pm");
  writeFile(destinationFile(), "[0]\r\nValid=1\r\nTitle=PageManager\r\nPath=@PageManager\r\n");
  for (int load = 0; load < 2; ++load) {
    ProfileStore store;
    store.LoadApplicationSettings(destinationFile());
    ASSERT_EQ(store.ApplicationSettingList().size(), 1u);
    EXPECT_EQ(store.ApplicationSettingList().front()->path, tempRoot() + "/home/../pm/prestopm");
    EXPECT_EQ(platform::GetPrivateProfileString("0", "Path", "", destinationFile()), "@PageManager");
  }
}

TEST_F(ApplicationMarkers, UnknownMarkersBecomeStorageAndMissingProgramsKeepTheirMarker) {
  writeFile(destinationFile(),
            "[0]\r\nValid=1\r\nTitle=Odd\r\nPath=@Nonesuch\r\n"
            "[1]\r\nValid=1\r\nTitle=Reader\r\nPath=@Adobe Reader\r\n"
            "[2]\r\nValid=1\r\nTitle=Lower\r\nPath=@msword\r\n");
  ProfileStore store;
  store.LoadApplicationSettings(destinationFile());
  ASSERT_EQ(store.ApplicationSettingList().size(), 2u);
  EXPECT_EQ(store.ApplicationSettingList()[0]->title, "Odd");
  EXPECT_EQ(store.ApplicationSettingList()[0]->path, "");
  EXPECT_EQ(store.ApplicationSettingList()[1]->title, "Lower");  // markers are case-sensitive
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Path", "", destinationFile()), "@Adobe Reader");

  // Installed later, the same file finds it.
  const std::string evince = makeProgram(fakeBinFolder(), "evince");
  store.LoadApplicationSettings(destinationFile());
  EXPECT_EQ(store.FindApplicationSetting("Reader")->path, evince);
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Path", "", destinationFile()), evince);
}

TEST_F(ApplicationMarkers, UnregisteredMarkersFallBackToTheLinuxCounterpart) {
  const std::string okular = makeProgram(fakeBinFolder(), "okular");
  const std::string lowriter = makeProgram(fakeBinFolder(), "lowriter");
  const std::string gimp = makeProgram(fakeBinFolder(), "gimp");
  EXPECT_EQ(ResolveApplicationMarker("@MSWORD").path, lowriter);
  EXPECT_EQ(ResolveApplicationMarker("@Adobe Acrobat").path, okular);
  EXPECT_EQ(ResolveApplicationMarker("@Photoshop").path, gimp);
  EXPECT_TRUE(ResolveApplicationMarker("@Photoshop").writeBack);
  EXPECT_EQ(ResolveApplicationMarker("@PageManager").path, "/prestopm");  // no counterpart

  // A registered folder whose program is gone counts as not registered.
  registerInstall("Software\\Microsoft\\Office\\14.0\\Word\\InstallRoot", "Path", tempRoot() + "/gone/");
  EXPECT_EQ(ResolveApplicationMarker("@MSWORD").path, lowriter);
}

TEST(ProgramSearch, NamesInOrderThenFoldersInOrderExecutablesOnly) {
  const std::string first = tempRoot() + "/first";
  const std::string second = tempRoot() + "/second";
  makeProgram(first, "pinta");
  const std::string kolourpaint = makeProgram(second, "kolourpaint");
  writeFile(first + "/gimp", "not executable");
  const std::string gimp = makeProgram(second, "gimp");
  {
    ScopedPath path("relative:" + first + "::" + second);
    EXPECT_EQ(findProgramOnPath(counterpart::kPaint), kolourpaint);
    EXPECT_EQ(findProgramOnPath(counterpart::kImageEditor), gimp);
    EXPECT_EQ(findProgramOnPath(counterpart::kPdfViewer), "");
  }
  ScopedPath empty("");
  EXPECT_EQ(findProgramOnPath(counterpart::kPaint), "");
}

}  // namespace
}  // namespace ostrel
