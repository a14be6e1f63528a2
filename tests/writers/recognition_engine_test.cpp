#include "imaging/ocr/recognition_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "tests/support/temp_home.h"

namespace ostrel::ocr {
namespace {

std::string todaysLog() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return testing::readFile(ActivityLog::folder() + logFileName(local));
}

std::string emptyFolder(const char* name) {
  const std::string folder = testing::tempRoot() + "/" + name;
  platform::createFolderTree(folder);
  return folder;
}

TEST(RecognitionEngine, EveryOutcomeIsOneLogLineAndAbsenceIsNotFatal) {
  RecognitionEngine engine;
  EXPECT_EQ(engine.loadFrom(emptyFolder("no-data")), EngineLoad::missing);
  EXPECT_FALSE(engine.isLoaded());

  const std::string junk = emptyFolder("junk");
  testing::writeFile(junk + "/eng.traineddata", "<html>not found</html>");
  EXPECT_EQ(engine.loadFrom(junk), EngineLoad::invalid);

  // The right shape (an entry count and its offset table) with nothing usable in it.
  const std::string hollow = emptyFolder("hollow");
  std::string data(4 + 8 * 24, '\xff');
  data[0] = 24, data[1] = data[2] = data[3] = 0;
  testing::writeFile(hollow + "/eng.traineddata", data);
  EXPECT_EQ(engine.loadFrom(hollow), EngineLoad::accessFailed);
  EXPECT_FALSE(engine.isLoaded());

  EXPECT_EQ(engine.load("OBX"), EngineLoad::incorrectLocation);

  const std::string log = todaysLog();
  EXPECT_NE(log.find("ABBYY Engine doesn't exist.\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("ABBYY Engine is invalid.\r\n"), std::string::npos);
  EXPECT_NE(log.find("ABBYY Engine access failed.\r\n"), std::string::npos);
  EXPECT_NE(log.find("OBX is in an incorrect location.\r\n"), std::string::npos);
}

TEST(RecognitionEngine, LoadsTheInstalledEnglishDataAndUnloads) {
  RecognitionEngine engine;
  const std::string folder = defaultDataFolder(testing::binDir() + "/OBX");
  ASSERT_EQ(engine.load(testing::binDir() + "/OBX"), EngineLoad::loaded) << folder;
  EXPECT_TRUE(engine.isLoaded());
  EXPECT_NE(todaysLog().find("ABBYY Engine is loaded.\r\n"), std::string::npos);
  // A reload replaces the engine; a failed one leaves none behind.
  EXPECT_EQ(engine.loadFrom(emptyFolder("none")), EngineLoad::missing);
  EXPECT_FALSE(engine.isLoaded());
}

TEST(RecognitionEngine, DataBesideTheProgramFolderComesFirst) {
  const std::string root = testing::tempRoot() + "/install";
  testing::writeFile(root + "/OBX OCR/eng.traineddata", "x");
  EXPECT_EQ(defaultDataFolder(root + "/bin/OBX"), root + "/OBX OCR");
  EXPECT_NE(defaultDataFolder(testing::tempRoot() + "/elsewhere/bin/OBX"), root + "/OBX OCR");
}

}  // namespace
}  // namespace ostrel::ocr
