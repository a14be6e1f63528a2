// The page step with the real clean-up and barcode steps: batch separation,
// blank removal, barcodes in names, rotation and stitching.
#include <gmock/gmock.h>

#include "platform/environment.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;

class PageStep : public JobTest {
 protected:
  PageStep() { button.fileFormat = format::kMultiPdf; }

  std::vector<int> pdfPageCounts() {
    std::vector<int> counts;
    for (const std::string& name : files()) counts.push_back(pdfPages(file(name)));
    return counts;
  }
};

std::vector<Dib> pages(std::initializer_list<char> kinds) {
  std::vector<Dib> result;
  std::uint64_t seed = 1;
  for (const char kind : kinds) result.push_back(kind == 'b' ? blankPage(seed++) : textPage(seed++));
  return result;
}

TEST_F(PageStep, BatchModeOneStartsAFileEveryNImages) {
  profile.batchMode = 1;
  profile.batchPageNum = 3;
  std::vector<Dib> seven;
  for (int i = 0; i < 7; ++i) seven.push_back(plainPage());
  scan(std::move(seven));
  EXPECT_THAT(files(), ElementsAre("Scan0000.pdf", "Scan0001.pdf", "Scan0002.pdf"));
  EXPECT_THAT(pdfPageCounts(), ElementsAre(3, 3, 1));
  EXPECT_EQ(job->counter(), 3);
}

TEST_F(PageStep, BlankPagesSeparateAndTwoInARowLeaveAnEmptyOutput) {
  profile.batchMode = 2;
  scan(pages({'t', 'b', 't', 't', 'b', 'b', 't'}));
  // The third output received no page: its name was spent, no file was made.
  EXPECT_THAT(files(), ElementsAre("Scan0000.pdf", "Scan0001.pdf", "Scan0003.pdf"));
  EXPECT_THAT(pdfPageCounts(), ElementsAre(1, 2, 1));
}

TEST_F(PageStep, BlankRemovalComesBeforeSeparation) {
  profile.batchMode = 2;
  profile.blankPageRemove = 1;
  scan(pages({'t', 'b', 't', 'b', 'b', 't'}));
  EXPECT_THAT(files(), ElementsAre("Scan0000.pdf"));
  EXPECT_THAT(pdfPageCounts(), ElementsAre(3));
}

TEST_F(PageStep, ABarcodePageStartsANewFileNamedByItsBarcode) {
  profile.batchMode = 3;
  button.imageName = "Doc-<B>";
  scan(stack(barcodePage("A1"), textPage(2), barcodePage("B2")));
  // The first output, named before any barcode, received no page.
  EXPECT_THAT(files(), ElementsAre("Doc-A1.pdf", "Doc-B2.pdf"));
  EXPECT_THAT(pdfPageCounts(), ElementsAre(2, 1));
}

TEST_F(PageStep, ABarcodeNamesTheNextFileOfItsOwnJobOnly) {
  button.fileFormat = format::kJpeg;
  button.imageName = "Scan<####>_<B>";  // the "B" is not in the first group
  scan(stack(barcodePage("X9"), textPage()));
  EXPECT_THAT(files(), ElementsAre("Scan0000_X9.jpg", "Scan0001_.jpg"));

  // A PDF is named when it starts: a barcode read during one job must not name
  // the first file of the next.
  button.fileFormat = format::kMultiPdf;
  scan(stack(barcodePage("Q7")));
  scan(pages({'t'}));
  EXPECT_TRUE(platform::fileExists(file("Scan0003_.pdf")));
}

TEST_F(PageStep, DuplexPagesAreTurnedJoinedAndAnUnpairedFrontIsSavedAlone) {
  button.fileFormat = format::kJpeg;
  profile.stitch = 1;
  profile.rotationFront = 1;
  scan(stack(plainPage(), plainPage(), plainPage()), true);
  ASSERT_THAT(files(), ElementsAre("Scan0000.jpg", "Scan0001.jpg"));
  FreeImageFile joined, alone;
  ASSERT_TRUE(readWithFreeImage(file("Scan0000.jpg"), joined));
  ASSERT_TRUE(readWithFreeImage(file("Scan0001.jpg"), alone));
  EXPECT_EQ(joined.image.width, 110 + 85);  // turned front beside the back
  EXPECT_EQ(alone.image.width, 110);
  EXPECT_THAT(logMessages(), Contains("The last front page had no back page to be joined with; it is saved alone."));
}

TEST_F(PageStep, APageWithoutADestinationStopsThePass) {
  ASSERT_EQ(job->StartOutput(button), 1);
  button.applicationSetting = nullptr;
  EXPECT_EQ(job->HandlePage(plainPage(), 0), 0);
  job->FinishOutput();
  EXPECT_FALSE(platform::fileExists(file("Scan0000.pdf")));
}

}  // namespace
}  // namespace ostrel
