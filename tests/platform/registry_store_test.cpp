#include "platform/registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>

#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

TEST(RegistryStore, EveryValueTypeRoundTrips) {
  auto key = RegistryKey::create(Hive::LocalMachine, std::string(kClassKey) + "\\0000");
  ASSERT_TRUE(key);
  const std::string awkward = "quote \" backslash \\ tab \t newline \n bell \x07 unicode \xC3\xA9";
  EXPECT_TRUE(key->setString("DeviceID", awkward));
  EXPECT_TRUE(key->setExpandString("DRIVERPATH", "%HOME%/lib/x.so"));
  EXPECT_TRUE(key->setBinary("Blob", {0x00, 0xff, 0x10}));
  EXPECT_TRUE(key->setNumber("Count", 0xdeadbeef));
  EXPECT_TRUE(key->setString("", "default"));

  auto again = RegistryKey::open(Hive::LocalMachine, std::string(kClassKey) + "\\0000");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->text("deviceid"), awkward);
  EXPECT_EQ(again->value("DRIVERPATH")->type, RegistryType::ExpandString);
  EXPECT_EQ(again->text("DRIVERPATH"), "%HOME%/lib/x.so");
  EXPECT_EQ(again->value("Blob")->bytes, (std::vector<std::uint8_t>{0x00, 0xff, 0x10}));
  EXPECT_EQ(again->value("COUNT")->number, 0xdeadbeefu);
  EXPECT_EQ(again->text(""), "default");
  EXPECT_FALSE(again->text("Count"));  // a number has no text
}

TEST(RegistryStore, EnumeratesInCreationOrderAndKeepsSpelling) {
  auto parent = RegistryKey::create(Hive::CurrentUser, "Software\\Maker");
  ASSERT_TRUE(parent);
  for (const char* name : {"Zeta", "alpha", "Mid"}) {
    ASSERT_TRUE(RegistryKey::create(Hive::CurrentUser, std::string("Software\\Maker\\") + name));
  }
  ASSERT_TRUE(RegistryKey::create(Hive::CurrentUser, "software\\MAKER\\zeta"));  // exists already
  EXPECT_EQ(parent->subkeyAt(0), "Zeta");
  EXPECT_EQ(parent->subkeyAt(1), "alpha");
  EXPECT_EQ(parent->subkeyAt(2), "Mid");
  EXPECT_FALSE(parent->subkeyAt(3));

  parent->setNumber("b", 2);
  parent->setNumber("a", 1);
  parent->setNumber("B", 3);  // updates "b" in place
  EXPECT_EQ(parent->valueAt(0)->name, "b");
  EXPECT_EQ(parent->valueAt(0)->number, 3u);
  EXPECT_EQ(parent->valueAt(1)->name, "a");
  EXPECT_FALSE(parent->valueAt(2));
}

TEST(RegistryStore, HivesAreSeparateAndMissingKeysDoNotOpen) {
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, "Software\\Only"));
  EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, "Software\\Only"));
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, "Software\\Other"));
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, ""));
  EXPECT_FALSE(RegistryKey::create(Hive::LocalMachine, "Bad\\Name\nWith break"));
}

TEST(RegistryStore, DeletesAWholeTree) {
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, "A\\B\\C")->setString("v", "1"));
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, "A\\D"));
  EXPECT_TRUE(deleteRegistryTree(Hive::LocalMachine, "a\\b"));
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, "A\\B\\C"));
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, "A\\B"));
  EXPECT_TRUE(RegistryKey::open(Hive::LocalMachine, "A\\D"));
  EXPECT_FALSE(deleteRegistryTree(Hive::LocalMachine, "A\\B"));
  auto d = RegistryKey::open(Hive::LocalMachine, "A\\D");
  EXPECT_TRUE(d->setNumber("n", 1));
  EXPECT_TRUE(d->deleteValue("N"));
  EXPECT_FALSE(d->value("n"));
}

TEST(RegistryStore, FilesArePrivateAndReadable) {
  ASSERT_TRUE(RegistryKey::create(Hive::CurrentUser, "Software\\X")->setString("Name", "v"));
  const std::string file = tempRoot() + "/registry/HKEY_CURRENT_USER.reg";
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::string text = readFile(file);
  EXPECT_NE(text.find("[Software\\X]"), std::string::npos);
  EXPECT_NE(text.find("\"Name\"=sz:\"v\""), std::string::npos);
}

TEST(RegistryStore, HandEditedFilesWithBadLinesStillLoad) {
  writeFile(tempRoot() + "/registry/HKEY_LOCAL_MACHINE.reg",
            "[Software\\Hand]\n"
            "\"Good\"=sz:\"yes\"\n"
            "\"Broken\"=sz:\"no end\n"
            "\"Hex\"=hex:0g\n"
            "\"Big\"=dword:123456789\n"
            "garbage\n"
            "\"Num\"=dword:0000000A\n");
  auto key = RegistryKey::open(Hive::LocalMachine, "Software\\Hand");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->text("Good"), "yes");
  EXPECT_FALSE(key->value("Broken"));
  EXPECT_FALSE(key->value("Hex"));
  EXPECT_FALSE(key->value("Big"));
  EXPECT_EQ(key->value("Num")->number, 10u);
}

TEST(RegistryStore, HandEditedDuplicatesKeepTheFirstOfEachName) {
  writeFile(tempRoot() + "/registry/HKEY_LOCAL_MACHINE.reg",
            "[Software\\Dup]\n\"Name\"=dword:00000001\n\"NAME\"=dword:00000002\n"
            "[software\\DUP]\n\"name\"=dword:00000003\n\"Other\"=dword:00000004\n"
            "[Software\\Dup\\Child]\n[SOFTWARE\\dup\\child]\n");
  auto key = RegistryKey::open(Hive::LocalMachine, "Software\\Dup");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->value("name")->number, 1u);
  EXPECT_EQ(key->valueAt(0)->name, "Name");
  EXPECT_EQ(key->valueAt(1)->name, "Other");
  EXPECT_FALSE(key->valueAt(2));
  EXPECT_EQ(key->subkeyAt(0), "Child");
  EXPECT_FALSE(key->subkeyAt(1));
}

TEST(RegistryStore, LookupsFollowDeletionsOfEarlierValuesAndKeys) {
  auto key = RegistryKey::create(Hive::CurrentUser, "Software\\Order");
  ASSERT_TRUE(key);
  for (const char* name : {"First", "Second", "Third"}) ASSERT_TRUE(key->setString(name, name));
  ASSERT_TRUE(key->deleteValue("FIRST"));
  EXPECT_EQ(key->text("third"), "Third");
  EXPECT_TRUE(key->setString("THIRD", "changed"));
  EXPECT_EQ(key->valueAt(0)->name, "Second");
  EXPECT_EQ(key->valueAt(1)->name, "Third");
  EXPECT_EQ(key->valueAt(1)->text, "changed");
  EXPECT_TRUE(key->setString("first", "again"));  // comes back last, as now spelled
  EXPECT_EQ(key->valueAt(2)->name, "first");
  EXPECT_FALSE(key->deleteValue("Fourth"));

  for (const char* name : {"A", "B", "C"}) {
    ASSERT_TRUE(RegistryKey::create(Hive::CurrentUser, std::string("Software\\Order\\") + name));
  }
  ASSERT_TRUE(deleteRegistryTree(Hive::CurrentUser, "Software\\Order\\a"));
  EXPECT_TRUE(RegistryKey::open(Hive::CurrentUser, "Software\\Order\\c"));
  ASSERT_TRUE(RegistryKey::create(Hive::CurrentUser, "Software\\Order\\a"));
  EXPECT_EQ(key->subkeyAt(0), "B");
  EXPECT_EQ(key->subkeyAt(1), "C");
  EXPECT_EQ(key->subkeyAt(2), "a");
}

// Every sibling used to be compared with every other on load and on each lookup:
// this took some 15 s. The bound only catches a return to that.
TEST(RegistryStore, FortyThousandSiblingsLoadListAndChangeWithoutQuadraticCost) {
  constexpr int kCount = 40000;
  auto numbered = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "n%05d", i);
    return std::string(name);
  };
  std::string hive = "[Big]\n";
  for (int i = kCount - 1; i >= 0; --i) hive += "\"" + numbered(i) + "\"=dword:00000001\n";
  for (int i = kCount - 1; i >= 0; --i) hive += "[Big\\" + numbered(i) + "]\n\"v\"=sz:\"x\"\n";
  writeFile(tempRoot() + "/registry/HKEY_LOCAL_MACHINE.reg", hive);

  const auto started = std::chrono::steady_clock::now();
  auto big = RegistryKey::open(Hive::LocalMachine, "BIG");
  ASSERT_TRUE(big);
  int listed = 0;
  for (std::size_t i = 0; auto name = big->subkeyAt(i); ++i) {
    ASSERT_EQ(*name, numbered(kCount - 1 - static_cast<int>(i)));  // file order, not sorted
    auto child = RegistryKey::open(Hive::LocalMachine, "big\\N" + name->substr(1));
    ASSERT_TRUE(child && child->text("V") == "x") << *name;
    ++listed;
  }
  int values = 0;
  for (std::size_t i = 0; auto value = big->valueAt(i); ++i) {
    ASSERT_EQ(value->name, numbered(kCount - 1 - static_cast<int>(i)));
    ASSERT_TRUE(big->value("N" + value->name.substr(1))) << value->name;
    ++values;
  }
  ASSERT_TRUE(big->setNumber(numbered(0), 2));
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, "Big\\" + numbered(kCount)));
  const auto elapsed = std::chrono::steady_clock::now() - started;

  EXPECT_EQ(listed, kCount);
  EXPECT_EQ(values, kCount);
  EXPECT_EQ(big->value(numbered(0))->number, 2u);
  EXPECT_EQ(big->subkeyAt(kCount), numbered(kCount));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(RegistryStore, KeysBeyondTheSystemLimitsAreRefusedAndSkipped) {
  std::string deep = "Deep";
  for (int level = 1; level < 512; ++level) deep += "\\k";
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, deep));
  EXPECT_FALSE(RegistryKey::create(Hive::LocalMachine, deep + "\\one-too-many"));
  EXPECT_TRUE(RegistryKey::create(Hive::LocalMachine, std::string(255, 'n')));
  EXPECT_FALSE(RegistryKey::create(Hive::LocalMachine, "Software\\" + std::string(256, 'n')));

  // A hand-made file with a far deeper chain and an overlong name: both keys
  // and their values are left out, the rest loads and writes back.
  std::string hive = "[Software\\Kept]\n\"v\"=sz:\"yes\"\n[";
  for (int level = 0; level < 100000; ++level) hive += level ? "\\d" : "d";
  hive += "]\n\"lost\"=sz:\"x\"\n[Software\\" + std::string(300, 'n') + "]\n\"lost\"=sz:\"x\"\n";
  const std::string file = tempRoot() + "/registry/HKEY_CURRENT_USER.reg";
  writeFile(file, hive);
  auto kept = RegistryKey::open(Hive::CurrentUser, "Software\\Kept");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->text("v"), "yes");
  EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, "d"));
  EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, "Software\\" + std::string(300, 'n')));
  EXPECT_TRUE(kept->setNumber("n", 1));
  EXPECT_LT(readFile(file).size(), 200u);
}

TEST(RegistryStore, KeysDeeperThanTheLimitAreSkippedNotFollowed) {
  auto path = [](std::size_t depth) {
    std::string p = "Deep";
    for (std::size_t i = 1; i < depth; ++i) p += "\\k";
    return p;
  };
  // Far too deep to follow level by level; its value must not land on another key.
  writeFile(tempRoot() + "/registry/HKEY_CURRENT_USER.reg",
            "[Software\\Hand]\n\"Kept\"=dword:00000001\n"
            "[" + path(200000) + "]\n\"Stray\"=dword:00000002\n"
            "[" + path(512) + "]\n\"Deepest\"=dword:00000003\n");
  EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, path(513)));
  auto hand = RegistryKey::open(Hive::CurrentUser, "Software\\Hand");
  ASSERT_TRUE(hand);
  EXPECT_FALSE(hand->value("Stray"));

  // A change elsewhere rewrites the file and keeps what could be read.
  EXPECT_TRUE(hand->setNumber("Other", 4));
  EXPECT_EQ(hand->value("Kept")->number, 1u);
  auto deepest = RegistryKey::open(Hive::CurrentUser, path(512));
  ASSERT_TRUE(deepest);
  EXPECT_EQ(deepest->value("Deepest")->number, 3u);
  EXPECT_FALSE(deepest->value("Stray"));

  EXPECT_FALSE(RegistryKey::create(Hive::CurrentUser, path(513)));
  EXPECT_TRUE(RegistryKey::create(Hive::CurrentUser, path(512) + "\\"));  // empty levels do not count
}

}  // namespace
}  // namespace ostrel::platform
