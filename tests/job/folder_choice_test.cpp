// Where a job's files go: by destination kind, the folder browser, the cloud
// chooser, and the dated subfolder with every missing level created.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/scan/job/cloud_folder_chooser.h"
#include "app/settings/profile_path.h"
#include "platform/environment.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;

using FolderChoice = JobTest;

TEST_F(FolderChoice, AStoredFolderWithoutSeparatorStillSeparatesTheNames) {
  button.imageFolder = tempRoot() + "/deep/levels/Scans";
  profile.createSubfolder = 1;
  button.subfolderName = 4;
  scan(stack(plainPage(), plainPage()));

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char month[32];
  std::snprintf(month, sizeof month, "%02d-%04d/", local.tm_mon + 1, local.tm_year + 1900);
  const std::string expected = tempRoot() + "/deep/levels/Scans/" + month;
  EXPECT_EQ(job->outputFolder(), expected);
  EXPECT_THAT(folderEntries(expected), ElementsAre("Scan0000.jpg", "Scan0001.jpg"));
}

TEST_F(FolderChoice, WorkingFoldersByDestinationKindAndDocumentsForAnEmptyFolder) {
  const std::string ostrel = platform::appDataFolder() + "/Ostrel/";
  const std::pair<const char*, std::string> kinds[] = {
      {"PRINT", ostrel + "Print/"}, {"MAIL", ostrel + "Mail/"}, {"GOOGLE", ostrel + "Google Docs/"},
      {"FAX", folder() + "/"},      {"", folder() + "/"},        {"/usr/bin/viewer", folder() + "/"}};
  for (const auto& [path, expected] : kinds) {
    destination.path = path;
    ASSERT_EQ(job->StartOutput(button), 1) << path;
    EXPECT_EQ(job->outputFolder(), expected) << path;
    EXPECT_TRUE(platform::folderExists(expected)) << path;
    job->FinishOutput();
  }

  destination.path.clear();
  button.imageFolder.clear();
  ASSERT_EQ(job->StartOutput(button), 1);
  EXPECT_EQ(job->outputFolder(), defaultFolderBase());
  job->FinishOutput();
}

TEST_F(FolderChoice, TheBrowsedFolderIsRememberedAndACancelledBrowserScansNothing) {
  button.selectFolder = 1;
  button.rememberLastFolder = 1;
  const std::string chosen = tempRoot() + "/Chosen";
  ui.folderAnswers = {chosen, std::nullopt};
  scan(stack(plainPage()));
  EXPECT_EQ(ui.folderRequests.at(0), std::make_pair(std::string("Choose the path:"), folder()));
  EXPECT_THAT(folderEntries(chosen), ElementsAre("Scan0000.jpg"));
  EXPECT_EQ(button.imageFolder, chosen + "/");

  // Cancelled: no folder, so no scan, rather than files in the current directory.
  // The browser starts where a stored folder with variables points.
  button.imageFolder = "%USERPROFILE%/Scans/";
  const auto before = folderEntries(std::filesystem::current_path().string());
  EXPECT_EQ(job->StartOutput(button), 0);
  EXPECT_EQ(ui.folderRequests.at(1).second, std::string(std::getenv("HOME")) + "/Scans/");
  EXPECT_FALSE(job->loginFailed());
  EXPECT_EQ(button.imageFolder, "%USERPROFILE%/Scans/");
  EXPECT_EQ(folderEntries(std::filesystem::current_path().string()), before);
  EXPECT_THAT(logMessages(), Contains("No folder was chosen; button 4 does not scan."));
  // The job that did not start holds nothing: a stray page or end has nowhere to go.
  EXPECT_EQ(job->HandlePage(plainPage(), 0), 0);
  EXPECT_EQ(job->FinishOutput(), 0);
  EXPECT_EQ(folderEntries(std::filesystem::current_path().string()), before);
}

TEST_F(FolderChoice, ACancelledBrowserAtABatchBoundaryKeepsTheJobsFolder) {
  button.selectFolder = 1;
  profile.batchMode = 1;
  profile.batchPageNum = 1;
  profile.createSubfolder = 1;
  button.subfolderName = 3;
  ui.folderAnswers = {folder(), std::nullopt};
  scan(stack(plainPage(), plainPage()));
  EXPECT_EQ(ui.folderRequests.size(), 2u);
  // The same dated subfolder, not one inside the other.
  ASSERT_EQ(files().size(), 1u);
  EXPECT_THAT(folderEntries(folder() + "/" + files()[0]), ElementsAre("Scan0000.jpg", "Scan0001.jpg"));
}

class CloudFolderChoice : public JobTest {
 protected:
  CloudFolderChoice() {
    destination.path = destination::kGoogle;
    button.selectFolder = 1;
    button.account = "ann";
    button.password = "secret";
    button.imageFolder = "\\Old\\";
  }
  void useChooser() {
    job = std::make_unique<OutputJob>(OutputJobParts{ui, delivery, OSTREL_TEST_CHOOSER_DIR});
  }
};

TEST_F(CloudFolderChoice, AMissingChooserIsReportedAndTheScanGoesOnIntoTheCloudFolder) {
  scan(stack(plainPage()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Drovel.dll is missing.");
  EXPECT_EQ(job->outputFolder(), platform::appDataFolder() + "/Ostrel/Google Docs/");
  EXPECT_THAT(delivery.uploads, ElementsAre(job->outputFolder() + "Scan0000.jpg"));
  EXPECT_EQ(button.imageFolder, "\\Old\\");
}

TEST_F(CloudFolderChoice, TheChosenCloudFolderIsKeptAndAFailedLoginScansNothing) {
  useChooser();
  scan(stack(plainPage()));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(button.imageFolder, "\\Work\\Invoices\\");
  EXPECT_EQ(button.id, "FolderID::0B7x");
  EXPECT_EQ(delivery.uploads.size(), 1u);

  button.imageFolder = "cancel";
  scan({});
  EXPECT_EQ(button.imageFolder, "");
  EXPECT_EQ(button.id, "");

  button.password = "wrong";
  EXPECT_EQ(job->StartOutput(button), 0);
  EXPECT_TRUE(job->loginFailed());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
  EXPECT_TRUE(ui.messages[0].text.starts_with("Login to Google docs has failed."));
}

}  // namespace
}  // namespace ostrel
