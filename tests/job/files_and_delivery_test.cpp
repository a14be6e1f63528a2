// The files a job writes and what reaches the destination, where the end-to-end
// tests cannot look: failures, delivery lists and barcodes across jobs.
#include <gmock/gmock.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "imaging/pdf/pdf_writer.h"
#include "platform/environment.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"
#include "tests/writers/file_size_limit.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using JobFiles = JobTest;

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

TEST_F(JobFiles, AnEmptyDocumentSpendsItsNumberButDeliversNothingNotEvenAnOlderFileOfItsName) {
  destination.path = "/usr/bin/viewer";
  button.fileFormat = format::kMultiPdf;
  scan({});
  EXPECT_EQ(job->counter(), 1);
  EXPECT_THAT(files(), IsEmpty());
  EXPECT_THAT(logMessages(), Contains("No page went into " + file("Scan0000.pdf") + "; no file was written for it."));

  button.imageName = "Report";
  writeFile(file("Report.pdf"), "yesterday's report");
  scan({});
  EXPECT_THAT(delivery.launches, IsEmpty());
  EXPECT_EQ(readFile(file("Report.pdf")), "yesterday's report");
}

TEST_F(JobFiles, TheNextJobClearsAwayWhatAKilledJobLeftButNotADocumentStillBeingWritten) {
  button.fileFormat = format::kMultiPdf;
  platform::createFolderTree(folder());
  // A job killed mid-PDF: its process ends with the document open.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    pdf::PdfWriter killed(file("Scan0000.pdf"));
    ::_exit(killed.addPage(plainPage()) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::vector<std::string> left = files();
  ASSERT_EQ(left.size(), 1u);
  // Another manager writing into the same folder at this moment.
  pdf::PdfWriter other(file("Other.pdf"));
  ASSERT_TRUE(other.addPage(plainPage()));

  scan(stack(plainPage()));
  EXPECT_THAT(logMessages(),
              Contains("Removed " + file(left[0]) + ", left by a scan job that did not finish."));
  EXPECT_TRUE(other.finish());
  EXPECT_THAT(files(), ElementsAre("Other.pdf", "Scan0000.pdf"));
  EXPECT_EQ(pdfPages(file("Scan0000.pdf")), 1);
}

TEST_F(JobFiles, APageThatCannotBeSavedStopsThePassAndSaysWhyOnce) {
  // A single-page file, and the first page of a document, which then has no file.
  for (const int code : {format::kJpeg, format::kMultiTiff}) {
    button.fileFormat = code;
    ui.messages.clear();
    std::filesystem::remove_all(folder());
    ASSERT_EQ(job->StartOutput(button), 1);
    std::filesystem::remove_all(folder());
    writeFile(folder(), "a file where the folder was");
    EXPECT_EQ(job->HandlePage(plainPage(), 0), 0);
    job->FinishOutput();
    ASSERT_EQ(ui.messages.size(), 1u) << code;
    EXPECT_TRUE(ui.messages[0].text.starts_with("A scanned page cannot be saved; the scan stops.")) << code;
  }
  EXPECT_THAT(delivery.launches, IsEmpty());
  EXPECT_THAT(logMessages(), Contains("No page went into " + file("Scan0001.tif") + "; no file was written for it."));

  button.imageFolder = folder() + "/below";
  EXPECT_EQ(job->StartOutput(button), 0);
  EXPECT_TRUE(ui.messages.at(1).text.starts_with("The output folder cannot be created."));
}

TEST_F(JobFiles, ADocumentCutShortByAFullDiskIsAFileWrittenWithThePagesBeforeIt) {
  destination.path = "/usr/bin/viewer";
  // Image only: a page for recognition would be written after the disk has room again.
  button.fileFormatProperty = 3;
  for (const auto& [code, name] : {std::pair{format::kMultiPdf, "Scan0000.pdf"}, std::pair{format::kMultiTiff, "Scan0001.tif"}}) {
    button.fileFormat = code;
    ui.messages.clear();
    ASSERT_EQ(job->StartOutput(button), 1);
    ASSERT_EQ(job->HandlePage(textPage(), 0), 1);
    ASSERT_EQ(job->HandlePage(textPage(), 0), 1);
    {
      FileSizeLimit diskFull(1000);
      EXPECT_EQ(job->HandlePage(textPage(), 0), 0);
    }
    job->FinishOutput();

    ASSERT_EQ(ui.messages.size(), 2u) << name;
    EXPECT_TRUE(ui.messages[0].text.starts_with("A scanned page cannot be saved; the scan stops.\n"));
    EXPECT_THAT(ui.messages[1].text, ::testing::StartsWith("A scanned document is cut short.\n"));
    EXPECT_THAT(ui.messages[1].text, ::testing::EndsWith("; the 2 page(s) before it are kept in " + file(name)));
    EXPECT_EQ(logMessages().back(), "Button 4 finished its scan job: 1 file(s) written.") << name;
  }
  EXPECT_EQ(pdfPages(file("Scan0000.pdf")), 2);
  const std::string tiff = runCommand("tiffinfo " + quoted(file("Scan0001.tif"))).output;
  std::size_t directories = 0;
  for (std::size_t at = 0; (at = tiff.find("TIFF Directory at", at)) != std::string::npos; ++at) ++directories;
  EXPECT_EQ(directories, 2u);
  EXPECT_THAT(delivery.launches, ElementsAre(file("Scan0000.pdf"), file("Scan0001.tif")));
}

TEST_F(JobFiles, AFormatWithoutAWriterDoesNotScanWhileTheTextFormatsDo) {
  button.fileFormat = format::kRichText;
  EXPECT_EQ(job->StartOutput(button), 1);
  EXPECT_EQ(job->FinishOutput(), 1);
  EXPECT_TRUE(ui.messages.empty());
  std::filesystem::remove_all(folder());
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

TEST_F(JobFiles, ABarcodeNamesTheNextFileOfItsOwnJobOnly) {
  button.imageName = "Scan<####>_<B>";  // the "B" is not in the first group
  scan(stack(textPage("X9"), textPage()));
  EXPECT_THAT(files(), ElementsAre("Scan0000_X9.jpg", "Scan0001_.jpg"));

  // A PDF is named when it starts: a barcode read during one job must not name
  // the first file of the next.
  button.fileFormat = format::kMultiPdf;
  scan(stack(textPage("Q7")));
  scan(stack(textPage()));
  EXPECT_TRUE(platform::fileExists(file("Scan0003_.pdf")));
}

}  // namespace
}  // namespace ostrel
