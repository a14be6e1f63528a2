// The scan job with text outputs and recognition: files, batches and counter as
// for the image formats, pages turned upright, text in the PDF.
#include <gmock/gmock.h>

#include "imaging/cleanup/rotation.h"
#include "imaging/ocr/recognition_engine.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/log_reader.h"
#include "tests/ocr/text_pages.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using TextJob = JobTest;

// Without language data the pages still make their files, empty of text, and
// the log says why; a batch of two pages per file splits three pages in two.
TEST_F(TextJob, TextFormatsMakeOneFilePerBatchAndRaiseTheCounterWhenAFileStarts) {
  button.fileFormat = format::kText;
  profile.batchMode = 1;
  profile.batchPageNum = 2;
  scan(stack(plainPage(), plainPage(), plainPage()));
  EXPECT_THAT(files(), ElementsAre("Scan0000.txt", "Scan0001.txt"));
  EXPECT_EQ(readFile(file("Scan0000.txt")), "\f");  // two empty pages
  EXPECT_EQ(job->counter(), 2);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_THAT(logMessages(), ::testing::Contains(HasSubstr("Text recognition in language \"eng\" cannot start")));

  button.fileFormat = format::kWordDocument;
  profile.batchMode = 0;
  scan(stack(plainPage()));
  EXPECT_THAT(readFile(file("Scan0002.doc")), ::testing::StartsWith("{\\rtf1"));
  EXPECT_EQ(job->counter(), 3);
}

// AutoText turns a page that came in sideways; the searchable PDF then holds its
// words, and the French profile's language reads the accents.
TEST_F(TextJob, ASidewaysPageIsTurnedUprightAndItsWordsGoUnderTheImage) {
  ::unsetenv("TESSDATA_PREFIX");
  profile.resolution = 300;
  profile.autoText = 1;
  profile.ocrLanguage = "French";
  button.fileFormat = format::kMultiPdf;
  button.fileFormatProperty = 2;
  const TextPage drawn = renderTextPage(frenchProse(1), 12);
  scan(stack(*RotateRight(drawn.page)));
  ASSERT_THAT(files(), ElementsAre("Scan0000.pdf"));
  const std::string text = runCommand("pdftotext -q -enc UTF-8 " + quoted(file("Scan0000.pdf")) + " -").output;
  EXPECT_GE(wordsRightInOrder(drawn.wordTexts(), splitWords(text)), 0.98) << text;
  EXPECT_THAT(runCommand("pdfinfo " + quoted(file("Scan0000.pdf"))).output, HasSubstr("612 x 792 pts"));
  EXPECT_THAT(logMessages(), ::testing::Contains(HasSubstr("turned 270 degrees clockwise")));
}

}  // namespace
}  // namespace ostrel
