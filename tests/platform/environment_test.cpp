#include "platform/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

TEST(Environment, ExpandsNamesWithoutCaseAndKeepsUnknownOnes) {
  ::setenv("OSTREL_TEST_VAR", "value", 1);
  EXPECT_EQ(ExpandEnvironmentStrings("a%ostrel_test_var%b"), "avalueb");
  EXPECT_EQ(ExpandEnvironmentStrings("%NO_SUCH_VAR_X%/x"), "%NO_SUCH_VAR_X%/x");
  EXPECT_EQ(ExpandEnvironmentStrings("100% sure"), "100% sure");
  EXPECT_EQ(ExpandEnvironmentStrings("%%"), "%%");
  EXPECT_EQ(ExpandEnvironmentStrings("50%%OSTREL_TEST_VAR%"), "50%value");
  // An unknown name gives its closing % to the next reference, as the system does.
  EXPECT_EQ(ExpandEnvironmentStrings("%NOPE%OSTREL_TEST_VAR%"), "%NOPEvalue");
}

TEST(Environment, AppDataAndUserProfileFollowTheEnvironment) {
  EXPECT_EQ(ExpandEnvironmentStrings("%AppData%/Ostrel/"), tempRoot() + "/appdata/Ostrel/");
  EXPECT_EQ(ExpandEnvironmentStrings("%userprofile%/x"), tempRoot() + "/home/x");
  ::unsetenv("APPDATA");
  EXPECT_EQ(appDataFolder(), tempRoot() + "/home/.local/share");
  ::setenv("XDG_DATA_HOME", "/data/home/", 1);
  EXPECT_EQ(appDataFolder(), "/data/home");
}

TEST(Environment, DocumentsFolderComesFromUserDirs) {
  EXPECT_EQ(documentsFolder(), tempRoot() + "/home/Documents");
  writeFile(tempRoot() + "/home/.config/user-dirs.dirs",
            "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
  EXPECT_EQ(documentsFolder(), tempRoot() + "/home/Dokumente");
  writeFile(tempRoot() + "/cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  ::setenv("XDG_CONFIG_HOME", (tempRoot() + "/cfg").c_str(), 1);
  EXPECT_EQ(documentsFolder(), "/srv/docs");
}

TEST(Environment, CreatesFolderTrees) {
  const std::string deep = tempRoot() + "/a/b/c/";
  EXPECT_TRUE(createFolderTree(deep));
  EXPECT_TRUE(folderExists(tempRoot() + "/a/b/c"));
  EXPECT_TRUE(createFolderTree(deep));  // existing is fine
  writeFile(tempRoot() + "/file", "x");
  EXPECT_FALSE(createFolder(tempRoot() + "/file"));
  EXPECT_FALSE(createFolderTree(tempRoot() + "/file/sub"));
  EXPECT_TRUE(fileExists(tempRoot() + "/file"));
  EXPECT_FALSE(fileExists(tempRoot() + "/a"));
}

TEST(Environment, ProgramFolderIsWhereTheExecutableLives) {
  EXPECT_TRUE(fileExists(programFolder() + "/platform_tests"));
}

}  // namespace
}  // namespace ostrel::platform
