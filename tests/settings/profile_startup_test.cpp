#include "app/settings/profile_startup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::fakeBinFolder;
using ostrel::testing::makeProgram;
using ostrel::testing::readFile;
using ostrel::testing::ScopedPath;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

constexpr const char* kScannerFolder = "%AppData%/Ostrel/Heron";
constexpr const char* kProfileFiles[] = {"ScanSetting.ini", "ApplicationSetting.ini", "ButtonSetting.ini"};

std::string scannerFolder() { return platform::appDataFolder() + "/Ostrel/Heron/"; }

std::string allLogLines() {
  std::string text;
  for (const auto& entry : std::filesystem::directory_iterator(ActivityLog::folder())) {
    if (entry.path().filename().string().starts_with("OBX-")) text += readFile(entry.path().string());
  }
  return text;
}

// The built-in set made it into the scanner's files and the store.
void expectBuiltInProfilesLoaded(ProfileStore& store) {
  ASSERT_EQ(store.ScanSettingList().size(), 8u);
  EXPECT_EQ(store.ScanSettingList()[7]->title, "Business Card");
  std::vector<std::string> destinations;
  for (const auto& destination : store.ApplicationSettingList()) destinations.push_back(destination->title);
  // Only kolourpaint is installed; the other programs are skipped.
  EXPECT_EQ(destinations, (std::vector<std::string>{"Storage", "Print", "mspaint", "Google Docs", "eMail"}));
  EXPECT_EQ(store.ApplicationSettingList()[2]->defaultFolder, platform::documentsFolder() + "/Ostrel/");

  ASSERT_EQ(store.buttonCount(), 6);
  const CButtonSetting& mail = *store.Button(1);
  EXPECT_EQ(mail.title, "eMail");
  EXPECT_EQ(mail.applicationSetting, store.FindApplicationSetting("eMail"));
  EXPECT_EQ(mail.scanSetting, store.FindScanSetting("Color Text Document"));
  EXPECT_EQ(mail.imageFolder, platform::documentsFolder() + "/Ostrel/eMail");
  EXPECT_EQ(mail.fileFormat, format::kMultiPdf);
  EXPECT_EQ(mail.paperSize, 4);
  EXPECT_EQ(mail.id, "21");
  EXPECT_EQ(store.Button(4)->applicationSetting, store.FindApplicationSetting("mspaint"));
  EXPECT_EQ(store.Button(2)->imageFolder, "");
  const CButtonSetting& unused = *store.Button(6);
  EXPECT_EQ(unused.title, "");
  EXPECT_EQ(unused.applicationSetting, nullptr);
  EXPECT_EQ(unused.scanSetting, store.ScanSettingList().front().get());
  for (const char* name : kProfileFiles) EXPECT_TRUE(platform::fileExists(scannerFolder() + name)) << name;
}

class ProfileStartup : public ::testing::Test {
 protected:
  ProfileStartup() { makeProgram(fakeBinFolder(), "kolourpaint"); }
  std::string programFolder_ = tempRoot() + "/program";
  ScopedPath path_{fakeBinFolder()};
};

TEST_F(ProfileStartup, FirstStartMakesTheTemplatesThenCopiesAndLoadsThemInOrder) {
  std::filesystem::create_directories(programFolder_ + "/Template");
  ProfileStore store;
  CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6);
  expectBuiltInProfilesLoaded(store);

  for (const char* name : kProfileFiles) {
    EXPECT_TRUE(platform::fileExists(programFolder_ + "/Template/" + name)) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programFolder_ + "/Template"),
                          std::filesystem::directory_iterator()),
            3);  // no temporary files left behind
  // Loading resolves nothing into the template, and the template names no
  // user's folder: markers stay for other machines and users.
  const std::string destinations = readFile(programFolder_ + "/Template/ApplicationSetting.ini");
  EXPECT_NE(destinations.find("Path=@MSWORD"), std::string::npos);
  EXPECT_EQ(destinations.find(platform::homeFolder()), std::string::npos);

  const std::string log = allLogLines();
  std::size_t at = 0;
  for (const char* line :
       {"Create OBX scan profile.", "Load OBX scan profile.", "Create OBX application profile.",
        "Load OBX application profile.", "Create OBX button profile.", "Load OBX button profile."}) {
    const std::size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " missing or out of order in\n" << log;
    at = found;
  }
}

TEST_F(ProfileStartup, ExistingFilesAreLoadedAsTheyAreAndTemplatesAreCopiedWhole) {
  writeFile(scannerFolder() + "ScanSetting.ini", "[0]\r\nValid=1\r\nTitle=Mine\r\n");
  const std::string buttons = "; kept as shipped\r\n[1]\r\nTitle=Send\r\nScanSetting=Mine\r\n";
  writeFile(programFolder_ + "/Template/ButtonSetting.ini", buttons);
  ::chmod((programFolder_ + "/Template/ButtonSetting.ini").c_str(), 0444);

  ProfileStore store;
  CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 9);
  ASSERT_EQ(store.ScanSettingList().size(), 1u);
  EXPECT_EQ(store.ScanSettingList().front()->title, "Mine");
  EXPECT_EQ(readFile(scannerFolder() + "ButtonSetting.ini"), buttons);
  EXPECT_EQ(store.Button(1)->title, "Send");
  EXPECT_EQ(store.Button(1)->scanSetting, store.FindScanSetting("Mine"));
  // The user's copy of a read-only template still takes edits.
  EXPECT_EQ(::access((scannerFolder() + "ButtonSetting.ini").c_str(), W_OK), 0);

  const std::string log = allLogLines();
  EXPECT_EQ(log.find("Create OBX scan profile."), std::string::npos);
  EXPECT_NE(log.find("Create OBX button profile."), std::string::npos);
}

TEST_F(ProfileStartup, ReadOnlyTemplateFolderStillGivesTheBuiltInSet) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; see the next test";
  std::filesystem::create_directories(programFolder_ + "/Template");
  ::chmod((programFolder_ + "/Template").c_str(), 0555);
  ProfileStore store;
  CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6);
  ::chmod((programFolder_ + "/Template").c_str(), 0755);
  expectBuiltInProfilesLoaded(store);
  EXPECT_TRUE(std::filesystem::is_empty(programFolder_ + "/Template"));
}

TEST_F(ProfileStartup, UncreatableTemplateFolderStillGivesTheBuiltInSet) {
  writeFile(programFolder_, "a file where the program folder should be");
  ProfileStore store;
  CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6);
  expectBuiltInProfilesLoaded(store);
  EXPECT_NE(allLogLines().find("Cannot write the template"), std::string::npos);
}

// Bytes no editor writes: what a crash or a bad sector leaves in a file.
std::string randomBytes(std::size_t count) {
  std::mt19937 generator(2041);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

std::vector<std::string> damagedCopies(const std::string& name) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(scannerFolder())) {
    const std::string file = entry.path().filename();
    if (file.starts_with(name + ".damaged-")) found.push_back(entry.path());
  }
  return found;
}

TEST(ProfileSafekeeping, DamagedMeansNotTextOrNoSectionTheFileIsReadFor) {
  using namespace std::string_literals;
  const std::string folder = tempRoot() + "/files/";
  const struct {
    const char* what;
    std::string bytes;
    ProfileKind kind;
    bool damaged;
  } cases[] = {
      {"empty", "", ProfileKind::button, true},
      {"random bytes", randomBytes(3000), ProfileKind::scan, true},
      {"a block of zeros", std::string(4096, '\0'), ProfileKind::application, true},
      {"a valid section with a NUL", "[0]\r\nValid=1\r\nTitle=A\0B\r\n"s, ProfileKind::scan, true},
      {"no numbered section", "[Settings]\r\nValid=1\r\n", ProfileKind::scan, true},
      {"only skipped sections", "[0]\r\nValid=0\r\n", ProfileKind::application, true},
      {"no button section", "[0]\r\nTitle=Zero\r\n[10]\r\nTitle=Ten\r\n", ProfileKind::button, true},
      {"one section, keys missing", "[0]\r\nValid=1\r\n", ProfileKind::scan, false},
      {"a later section only", "[3]\r\nValid=2\r\nTitle=Third\r\n", ProfileKind::application, false},
      {"one bare button", "[4]\r\n", ProfileKind::button, false},
      {"8-bit text, a tab and a form feed", "[1]\r\n\tTitle=Caf\xE9\f\n\x1A", ProfileKind::button, false},
      {"UTF-16 text", "\xFF\xFE[\0\x31\0]\0\r\0\n\0"s, ProfileKind::button, false},
  };
  for (const auto& c : cases) {
    const std::string path = writeFile(folder + c.what, c.bytes);
    EXPECT_EQ(isDamagedProfile(path, c.kind), c.damaged) << c.what;
  }
  EXPECT_FALSE(isDamagedProfile(folder + "missing", ProfileKind::scan));
}

TEST_F(ProfileStartup, SavesKeepALastGoodCopyBesideEachFileAndTemplatesHaveNone) {
  std::filesystem::create_directories(programFolder_ + "/Template");
  ProfileStore store;
  EXPECT_TRUE(CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6).empty());
  for (const char* name : kProfileFiles) {
    EXPECT_EQ(readFile(scannerFolder() + name + ".last-good"), readFile(scannerFolder() + name)) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programFolder_ + "/Template"),
                          std::filesystem::directory_iterator()),
            3);

  CButtonSetting& button = *store.Button(2);
  button.title = "Copies";
  button.scanSetting->resolution = 600;
  ASSERT_TRUE(store.SaveButtonSetting(button));
  for (const char* name : {"ScanSetting.ini", "ButtonSetting.ini"}) {
    EXPECT_EQ(readFile(scannerFolder() + name + ".last-good"), readFile(scannerFolder() + name)) << name;
  }
  EXPECT_NE(readFile(scannerFolder() + "ButtonSetting.ini.last-good").find("Title=Copies"), std::string::npos);

  // A file damaged behind the program's back never becomes the good copy.
  const std::string good = readFile(scannerFolder() + "ButtonSetting.ini.last-good");
  writeFile(scannerFolder() + "ButtonSetting.ini", "");
  store.SaveApplicationSetting(*store.ApplicationSettingList().front());
  store.SaveScanSetting(*store.ScanSettingList().front());
  EXPECT_FALSE(keepLastGood(scannerFolder() + "ButtonSetting.ini", ProfileKind::button));
  EXPECT_EQ(readFile(scannerFolder() + "ButtonSetting.ini.last-good"), good);
}

TEST_F(ProfileStartup, RandomBytesInTheScanProfilesAreSetAsideAndTheLastGoodCopyRestored) {
  std::filesystem::create_directories(programFolder_ + "/Template");
  {
    ProfileStore first;
    CreateAndLoadProfiles(first, kScannerFolder, programFolder_, 6);
    first.ScanSettingList()[3]->title = "Colour Letters";
    ASSERT_TRUE(first.SaveScanSetting(*first.ScanSettingList()[3]));
  }
  const std::string good = readFile(scannerFolder() + "ScanSetting.ini");
  const std::string damage = randomBytes(5000);
  writeFile(scannerFolder() + "ScanSetting.ini", damage);

  ProfileStore store;
  const std::vector<ProfileRepair> repairs = CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6);
  ASSERT_EQ(repairs.size(), 1u);
  EXPECT_EQ(repairs[0].file, scannerFolder() + "ScanSetting.ini");
  EXPECT_EQ(repairs[0].source, ProfileRepair::Source::lastGoodCopy);
  ASSERT_EQ(damagedCopies("ScanSetting.ini"), std::vector<std::string>{repairs[0].setAside});
  EXPECT_EQ(readFile(repairs[0].setAside), damage);
  EXPECT_EQ(readFile(scannerFolder() + "ScanSetting.ini"), good);
  // Every button scans with its own profile again, not with a new "default".
  ASSERT_EQ(store.ScanSettingList().size(), 8u);
  EXPECT_EQ(store.ScanSettingList()[3]->title, "Colour Letters");
  EXPECT_EQ(store.Button(5)->scanSetting, store.FindScanSetting("Black and White Text Document"));
  EXPECT_NE(allLogLines().find("ScanSetting.ini is damaged; it is kept as " + repairs[0].setAside +
                               " and restored from its last good copy."),
            std::string::npos);
}

TEST_F(ProfileStartup, AnEmptyButtonFileWithoutAGoodCopyIsMadeAgainFromTheTemplate) {
  std::filesystem::create_directories(programFolder_ + "/Template");
  {
    ProfileStore first;
    CreateAndLoadProfiles(first, kScannerFolder, programFolder_, 6);
  }
  std::filesystem::remove(scannerFolder() + "ButtonSetting.ini.last-good");
  writeFile(scannerFolder() + "ButtonSetting.ini", "");

  ProfileStore store;
  const std::vector<ProfileRepair> repairs = CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6);
  ASSERT_EQ(repairs.size(), 1u);
  EXPECT_EQ(repairs[0].source, ProfileRepair::Source::templateFile);
  EXPECT_EQ(damagedCopies("ButtonSetting.ini").size(), 1u);
  // Every button has its destination again.
  EXPECT_EQ(store.Button(1)->title, "eMail");
  EXPECT_EQ(store.Button(1)->applicationSetting, store.FindApplicationSetting("eMail"));
  EXPECT_EQ(readFile(scannerFolder() + "ButtonSetting.ini"),
            readFile(programFolder_ + "/Template/ButtonSetting.ini"));
  // The next start finds nothing to mend.
  ProfileStore again;
  EXPECT_TRUE(CreateAndLoadProfiles(again, kScannerFolder, programFolder_, 6).empty());
}

TEST_F(ProfileStartup, AHandEditedFileThatIsMerelyIncompleteIsReadAsItIs) {
  const std::string scans = "[0]\r\nValid=1\r\nTitle=Caf\xE9\r\nResolution=300\r\n";
  const std::string buttons = "[1]\r\nTitle=Send\r\n";
  writeFile(scannerFolder() + "ScanSetting.ini", scans);
  writeFile(scannerFolder() + "ButtonSetting.ini", buttons);
  std::filesystem::create_directories(programFolder_ + "/Template");

  ProfileStore store;
  EXPECT_TRUE(CreateAndLoadProfiles(store, kScannerFolder, programFolder_, 6).empty());
  EXPECT_EQ(readFile(scannerFolder() + "ScanSetting.ini"), scans);
  EXPECT_EQ(readFile(scannerFolder() + "ButtonSetting.ini"), buttons);
  EXPECT_TRUE(damagedCopies("ScanSetting.ini").empty());
  ASSERT_EQ(store.ScanSettingList().size(), 1u);
  EXPECT_EQ(store.ScanSettingList()[0]->resolution, 300);
  EXPECT_EQ(store.ScanSettingList()[0]->gamma, 220);  // missing keys read as defaults
  EXPECT_EQ(store.Button(1)->title, "Send");
}

// The shipped templates are what the built-in sets write, so a first start looks
// the same whether or not the program folder is complete.
TEST_F(ProfileStartup, ShippedTemplatesMatchTheBuiltInSets) {
  const std::string folder = tempRoot() + "/generated/";
  std::filesystem::create_directories(folder);
  ProfileStore store;
  store.WriteDefaultScanSettings(folder + "ScanSetting.ini");
  store.LoadScanSettings(folder + "ScanSetting.ini");
  store.WriteDefaultApplicationSettings(folder + "ApplicationSetting.ini");
  store.LoadApplicationSettings(folder + "ApplicationSetting.ini");
  store.WriteDefaultButtonSettings(folder + "ButtonSetting.ini");
  for (const char* name : {"ScanSetting.ini", "ButtonSetting.ini"}) {
    EXPECT_EQ(readFile(folder + name), readFile(ostrel::testing::sourceDir() + "/Template/" + name)) << name;
  }
}

}  // namespace
}  // namespace ostrel
