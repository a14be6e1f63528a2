// An FTP button on a virtual scanner through a real OBX process: the press
// ends with the PDF in the button's folder and, byte for byte, on a server of
// the test's own.
#include <gmock/gmock.h>

#include "app/settings/password_codec.h"
#include "app/settings/profile_records.h"
#include "app/settings/scanner_folder.h"
#include "platform/ini_file.h"
#include "tests/ftp/private_servers.h"
#include "tests/manager/obx_processes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::ElementsAre;

constexpr const char* kDevice = "usb:04c5:1301";
constexpr const char* kModel = "Wren";

void write(const std::string& file, const std::string& section,
           const std::vector<std::pair<std::string, std::string>>& keys) {
  for (const auto& [key, value] : keys) {
    platform::WritePrivateProfileString(section, key, value, scannerFolder(kModel) + file);
  }
}

TEST(FtpButtonProcess, APressEndsWithThePdfOnTheServer) {
  PyFtpServer server("scanner", "pass word");
  if (!server.started()) GTEST_SKIP() << server.whyNot();
  const std::string scans = tempRoot() + "/out/ftp";
  platform::createFolderTree(scannerFolder(kModel));
  write("ScanSetting.ini", "0",
        {{"Valid", "1"}, {"Title", "Grey"}, {"Automatic", "0"}, {"PaperSize", "4"}, {"Resolution", "100"},
         {"ScanMode", "1"}});
  write("ApplicationSetting.ini", "0", {{"Valid", "1"}, {"Title", "Storage"}, {"Path", ""}});
  write("ApplicationSetting.ini", "1", {{"Valid", "1"}, {"Title", "Office server"}, {"Path", "FTP"}});
  write("ButtonSetting.ini", "1",
        {{"Title", "To the office"}, {"ScanSetting", "Grey"}, {"ApplicationSetting", "Office server"},
         {"ImageFolder", scans}, {"FileFormat", std::to_string(format::kMultiPdf)},
         {"Server", "127.0.0.1/Inbox"}, {"FtpPort", std::to_string(server.port())}, {"FtpProtocol", "FTP"},
         {"Account", "scanner"}, {"Password", EncodePassword("pass word")}});
  ASSERT_TRUE(addVirtualScanner(kDevice, kModel, {"--generate", "2"}));
  ChildProcess manager = startManager(kDevice, kModel);

  ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
  const std::string pdf = scans + "/Scan0000.pdf";
  const std::string uploaded = "Uploaded \"" + pdf + "\" by FTP as \"scanner\" to ftp://127.0.0.1:" +
                               std::to_string(server.port()) + "/Inbox/Scan0000.pdf.";
  EXPECT_TRUE(eventually([&] { return logHas(uploaded); }, std::chrono::seconds(60))) << logText();
  EXPECT_THAT(namesIn(scans), ElementsAre("Scan0000.pdf"));
  EXPECT_EQ(readFile(server.root() + "/Inbox/Scan0000.pdf"), readFile(pdf));

  EXPECT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
}

}  // namespace
}  // namespace ostrel
