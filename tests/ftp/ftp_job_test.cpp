// FTP buttons end to end in-process: the scan job writes the files into the
// button's folder, and the real delivery uploads each to a server of the
// test's own while the job has long returned.
#include <gmock/gmock.h>

#include "app/settings/application_setting_file.h"
#include "tests/delivery/delivery_fixture.h"
#include "tests/ftp/private_servers.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class FtpButton : public DeliveryTestOf<RecordingPrinters> {
 protected:
  FtpButton() {
    destination.path = destination::kFtp;
    button.account = "scanner";
    button.password = "pw";
  }
};

TEST_F(FtpButton, ThePdfOfAScanEndsOnTheServerAndStaysInItsFolder) {
  PyFtpServer server("scanner", "pw");
  if (!server.started()) GTEST_SKIP() << server.whyNot();
  button.server = "127.0.0.1/Office";
  button.ftpPort = server.port();
  button.fileFormat = format::kMultiPdf;
  scan(stack(plainPage(), plainPage(), plainPage()));
  ASSERT_TRUE(desktop.waitForUploads(std::chrono::seconds(30)));
  ASSERT_THAT(files(), ElementsAre("Scan0000.pdf"));
  EXPECT_EQ(readFile(server.root() + "/Office/Scan0000.pdf"), readFile(file("Scan0000.pdf")));
  EXPECT_EQ(pdfPages(server.root() + "/Office/Scan0000.pdf"), 3);
}

TEST_F(FtpButton, ImagesCollectedForOneEventAreUploadedOneByOne) {
  PyFtpServer server("scanner", "pw");
  if (!server.started()) GTEST_SKIP() << server.whyNot();
  destination.singleEvent = 1;
  button.server = "ftp://127.0.0.1:" + std::to_string(server.port());
  scan(stack(plainPage(), plainPage()));
  ASSERT_TRUE(desktop.waitForUploads(std::chrono::seconds(30)));
  EXPECT_THAT(namesIn(server.root()), UnorderedElementsAre("Scan0000.jpg", "Scan0001.jpg"));
  EXPECT_THAT(files(), ElementsAre("Scan0000.jpg", "Scan0001.jpg"));
}

TEST(FtpDestination, LoadsFromTheDestinationFileAsAKeyword) {
  const std::string path = writeFile(tempRoot() + "/ApplicationSetting.ini",
                                     "[8]\r\nValid=1\r\nTitle=Office server\r\nPath=FTP\r\n");
  CApplicationSetting destination;
  destination.section = "8";
  EXPECT_EQ(ReadApplicationSettingSection(destination, path), 1);
  EXPECT_EQ(destination.path, "FTP");
  EXPECT_TRUE(isDestinationKeyword(destination.path));
}

}  // namespace
}  // namespace ostrel
