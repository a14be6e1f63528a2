// The send connection's handling of server answers, driven directly: no
// connection needed, the stop signal in the test's hand.
#include "faxsvc/send_mode.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ini_file.h"
#include "tests/support/temp_home.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;
using platform::GetPrivateProfileString;
namespace fs = std::filesystem;

TEST(SendMode, AStoppingServiceStoresNoMoreReturnedFiles) {
  const FaxPaths paths = FaxPaths::under(tempRoot());
  const std::string result = writeFile(paths.resultFile("STOPPING"), "[Lumora]\r\nintState=1\r\nResultCode=0\r\n");
  DiagnosticLog log;
  log.configure(tempRoot(), true);
  StopSignal stop;
  LockedQueue<SendJob> jobs;
  LockedQueue<ReportRequest> reports;
  WorkerContext context{paths, {}, Timing{}, log, stop, jobs, reports};
  SendMode mode(context);
  FaxLink link(context.endpoint, log, stop, context.timing);

  stop.set();
  const auto frame = fakefax::conversionAnswerFrame("STOPPING", 2, "a.tif,b.tif", {{'A'}, {'B'}});
  mode.handle(MessageView(frame), link, {});
  EXPECT_FALSE(fs::exists(paths.tif + "/a.tif"));
  // The server did convert the job: its state is kept, without the pages.
  EXPECT_EQ(GetPrivateProfileString("Lumora", "intState", "", result), "2");
  EXPECT_EQ(GetPrivateProfileString("Lumora", "strTifNames", "x", result), "");
  const fs::directory_entry logFile = *fs::directory_iterator(tempRoot() + "/Log");
  EXPECT_NE(readFile(logFile.path()).find(" - Stopping: 2 of 2 returned files not stored.\r\n"), std::string::npos);
}

}  // namespace
}  // namespace ostrel::fax
