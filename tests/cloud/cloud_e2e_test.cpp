// A cloud button pressed on a virtual scanner through a real OBX process: the
// PDF ends up in the chosen folder of a real WebDAV server.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/settings/password_codec.h"
#include "app/settings/profile_records.h"
#include "app/settings/scanner_folder.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/cloud/webdav_server.h"
#include "tests/manager/obx_processes.h"
#include "tests/support/tool_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using namespace ostrel::testing;

constexpr const char* kDevice = "usb:04c5:1301";
constexpr const char* kModel = "Petrel";

void writeKeys(const std::string& file, const std::string& section, const std::map<std::string, std::string>& keys) {
  for (const auto& [key, value] : keys) platform::WritePrivateProfileString(section, key, value, file);
}

TEST(CloudButton, AScannedPdfLandsInTheChosenFolderOfTheServer) {
  const std::string root = tempRoot() + "/store";
  fs::create_directories(root + "/Inbox");
  fs::create_directories(root + "/Other/Inbox");
  WebDavServer server;
  const std::string reason = server.start(root);
  if (!reason.empty()) GTEST_SKIP() << reason;

  const std::string folder = scannerFolder(kModel);
  platform::createFolderTree(folder);
  writeKeys(folder + "ScanSetting.ini", "0",
            {{"Valid", "1"}, {"Title", "Grey"}, {"Automatic", "0"}, {"PaperSize", "4"}, {"Resolution", "100"},
             {"ScanMode", "1"}});
  writeKeys(folder + "ApplicationSetting.ini", "0",
            {{"Valid", "1"}, {"Title", "Cloud"}, {"Path", destination::kGoogle}, {"SingleEvent", "0"}});
  writeKeys(folder + "ButtonSetting.ini", "1",
            {{"Title", "Cloud"}, {"ScanSetting", "Grey"}, {"ApplicationSetting", "Cloud"},
             {"FileFormat", std::to_string(format::kMultiPdf)}, {"Server", server.url()}, {"Account", "u"},
             {"Password", EncodePassword(kDavPassword)}, {"ID", "FolderID::/Other/Inbox/"},
             {"ImageFolder", "/Other/Inbox/"}});
  ASSERT_TRUE(addVirtualScanner(kDevice, kModel, {"--generate", "3"}));
  ChildProcess manager = startManager(kDevice, kModel);

  ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
  ASSERT_TRUE(eventually(
      [&] {
        for (const auto& entry : fs::directory_iterator(root + "/Other/Inbox")) {
          if (entry.path().extension() == ".pdf") return true;
        }
        return false;
      },
      std::chrono::seconds(60)))
      << logText();
  ASSERT_TRUE(eventually([] { return logText().find("Button 1 finished its scan job") != std::string::npos; },
                         std::chrono::seconds(30)));
  EXPECT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);

  std::vector<std::string> pdfs;
  for (const auto& entry : fs::directory_iterator(root + "/Other/Inbox")) pdfs.push_back(entry.path().string());
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_TRUE(fs::is_empty(root + "/Inbox"));
  ASSERT_TRUE(eventually([&] { return runTool("qpdf --check '" + pdfs[0] + "'").status == 0; }));
  const ToolRun info = runTool("pdfinfo '" + pdfs[0] + "'");
  EXPECT_NE(info.output.find("Pages:           3\n"), std::string::npos) << info.output;
  const std::string log = logText();
  EXPECT_NE(log.find("Google Docs: -Server " + server.url()), std::string::npos) << log;
  EXPECT_EQ(log.find(kDavPassword), std::string::npos);
}

}  // namespace
}  // namespace ostrel
