// The files a job writes, how its counter rises, and what reaches the destination.
#include <gmock/gmock.h>

#include <filesystem>

#include "platform/environment.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using JobFiles = JobTest;

TEST_F(JobFiles, TheCounterRisesByFormatAndCarriesOnAcrossJobs) {
  scan(stack(plainPage(), plainPage(), plainPage()));
  scan(stack(plainPage(), plainPage()));
  EXPECT_THAT(files(), ElementsAre("Scan0000.jpg", "Scan0001.jpg", "Scan0002.jpg", "Scan0003.jpg", "Scan0004.jpg"));
  EXPECT_EQ(job->counter(), 5);

  // Multi-page TIFF: once per file, when it starts.
  button.fileFormat = format::kMultiTiff;
  scan(stack(plainPage(), plainPage(1)));
  EXPECT_TRUE(platform::fileExists(file("Scan0005.tif")));
  EXPECT_EQ(readTiff(file("Scan0005.tif")).size(), 2u);
  EXPECT_EQ(job->counter(), 6);

  // PDF: once per document ended, also when the feeder was empty; no file then.
  button.fileFormat = format::kMultiPdf;
  scan({});
  EXPECT_FALSE(platform::fileExists(file("Scan0006.pdf")));
  EXPECT_EQ(job->counter(), 7);
}

TEST_F(JobFiles, BmpSkipsAnExistingNumberWithoutRaisingTheCounterItself) {
  button.fileFormat = format::kBmp;
  writeFile(file("Scan0000.bmp"), "older scan");
  scan(stack(plainPage(), plainPage()));
  EXPECT_THAT(files(), ElementsAre("Scan0000.bmp", "Scan0001.bmp", "Scan0002.bmp"));
  EXPECT_EQ(readFile(file("Scan0000.bmp")), "older scan");
  EXPECT_EQ(job->counter(), 2);
}

TEST_F(JobFiles, SingleEventCollectsQuotedPathsForOneLaunch) {
  destination.path = "/usr/bin/viewer";
  destination.singleEvent = 1;
  scan(stack(plainPage(), plainPage(), plainPage()));
  EXPECT_THAT(delivery.launches, IsEmpty());
  ASSERT_EQ(delivery.listLaunches.size(), 1u);
  EXPECT_EQ(delivery.listLaunches[0].first, "\"" + file("Scan0000.jpg") + "\" \"" + file("Scan0001.jpg") + "\" \"" +
                                                file("Scan0002.jpg") + "\" ");
  EXPECT_EQ(delivery.listLaunches[0].second, 4);

  destination.singleEvent = 0;
  scan(stack(plainPage(), plainPage()));
  EXPECT_THAT(delivery.launches, ElementsAre(file("Scan0003.jpg"), file("Scan0004.jpg")));
}

TEST_F(JobFiles, PrinterMailAndFaxTakeTheWholeOutputOnceAndStorageNothing) {
  // Collected one by one even with SingleEvent: a quoted list names no file.
  destination.path = destination::kPrint;
  destination.singleEvent = 1;
  button.fileFormat = format::kBmp;
  scan(stack(plainPage(), plainPage()));
  const std::string print = platform::appDataFolder() + "/Ostrel/Print/";
  EXPECT_THAT(delivery.printed, ElementsAre(ElementsAre(print + "000000.bmp", print + "000001.bmp")));

  destination.path = destination::kMail;
  destination.singleEvent = 0;
  button.fileFormat = format::kMultiPdf;
  scan(stack(plainPage(), plainPage()));
  ASSERT_EQ(delivery.mailed.size(), 1u);
  EXPECT_EQ(pdfPages(delivery.mailed[0].at(0)), 2);

  destination.path = destination::kFax;
  scan({});
  EXPECT_THAT(delivery.faxed, ElementsAre(IsEmpty()));

  destination.path.clear();
  scan(stack(plainPage()));
  EXPECT_THAT(delivery.launches, IsEmpty());
  EXPECT_THAT(delivery.uploads, IsEmpty());
}

TEST_F(JobFiles, AnEmptyDocumentDeliversNothingEvenWhenAnOlderFileHasItsName) {
  destination.path = "/usr/bin/viewer";
  button.fileFormat = format::kMultiPdf;
  button.imageName = "Report";
  writeFile(file("Report.pdf"), "yesterday's report");
  scan({});
  EXPECT_THAT(delivery.launches, IsEmpty());
  EXPECT_EQ(readFile(file("Report.pdf")), "yesterday's report");
}

TEST_F(JobFiles, APageThatCannotBeSavedStopsThePassAndSaysWhy) {
  ASSERT_EQ(job->StartOutput(button), 1);
  std::filesystem::remove_all(folder());
  writeFile(folder(), "a file where the folder was");
  EXPECT_EQ(job->HandlePage(plainPage(), 0), 0);
  job->FinishOutput();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].text.starts_with("A scanned page cannot be saved; the scan stops."));
  EXPECT_THAT(delivery.launches, IsEmpty());

  button.imageFolder = folder() + "/below";
  EXPECT_EQ(job->StartOutput(button), 0);
  EXPECT_TRUE(ui.messages.at(1).text.starts_with("The output folder cannot be created."));
}

TEST_F(JobFiles, FormatsWithoutAWriterDoNotScan) {
  button.fileFormat = format::kRichText;
  EXPECT_EQ(job->StartOutput(button), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  button.fileFormat = 3;
  EXPECT_EQ(job->StartOutput(button), 0);
  EXPECT_THAT(logMessages(), Contains("Button 4 has the unknown file format 3."));
  EXPECT_FALSE(platform::folderExists(folder()));
}

TEST_F(JobFiles, ABlackAndWhitePageBecomesAGreyJpeg) {
  scan(stack(plainPage(1)));
  FreeImageFile written;
  ASSERT_TRUE(readWithFreeImage(file("Scan0000.jpg"), written));
  EXPECT_EQ(written.bitsPerPixel, 8);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace ostrel
