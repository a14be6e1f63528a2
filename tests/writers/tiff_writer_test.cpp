#include "imaging/writers/tiff_writer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/environment.h"
#include "platform/staged_file.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"
#include "tests/writers/file_size_limit.h"
#include "tests/writers/sample_pages.h"

namespace ostrel::writers {
namespace {

using testing::toRgb;

std::string outputPath(const char* name) {
  platform::createFolderTree(testing::tempRoot() + "/out");
  return testing::tempRoot() + "/out/" + name;
}

// The hidden file a writer stages its output in, alone in the output folder
// beside the files given.
std::string stagingFile(std::size_t besides = 0) {
  const std::vector<std::string> entries = testing::folderEntries(testing::tempRoot() + "/out");
  EXPECT_EQ(entries.size(), besides + 1);
  if (entries.empty() || entries.front()[0] != '.') return {};
  return testing::tempRoot() + "/out/" + entries.front();
}

TEST(TiffWriter, AMixedBatchKeepsEachPagesOwnCompression) {
  const std::string path = outputPath("batch.tif");
  const Dib text = testing::denseTextPage(400, 300, 1);
  const Dib colour = testing::colourPage(320, 200);
  const Dib grey = testing::greyPage(200, 320);
  const Dib lastText = testing::denseTextPage(400, 300, 2);
  {
    TiffWriter tiff(path);
    ASSERT_TRUE(tiff.ok());
    for (const Dib* page : {&text, &colour, &grey, &lastText}) ASSERT_TRUE(tiff.addPage(*page));
    EXPECT_EQ(tiff.pageCount(), 4);
    ASSERT_TRUE(tiff.finish());
  }
  const auto pages = testing::readTiff(path);
  ASSERT_EQ(pages.size(), 4u);
  // Each page is compressed for its own depth, so a colour page never meets G4.
  EXPECT_EQ(pages[0].compression, COMPRESSION_CCITTFAX4);
  EXPECT_EQ(pages[1].compression, COMPRESSION_JPEG);
  EXPECT_EQ(pages[2].compression, COMPRESSION_JPEG);
  EXPECT_EQ(pages[3].compression, COMPRESSION_CCITTFAX4);
  EXPECT_EQ(pages[0].image.pixels, toRgb(text).pixels);
  EXPECT_EQ(pages[3].image.pixels, toRgb(lastText).pixels);
  EXPECT_LT(meanDifference(pages[1].image, toRgb(colour)), 6.0);
  EXPECT_LT(meanDifference(pages[2].image, toRgb(grey)), 4.0);

  const auto info = testing::runCommand("tiffinfo " + testing::quoted(path));
  EXPECT_EQ(info.status, 0) << info.output;
  EXPECT_NE(info.output.find("CCITT Group 4"), std::string::npos);
  EXPECT_NE(info.output.find("Resolution: 300, 300 pixels/inch"), std::string::npos) << info.output;
}

TEST(TiffWriter, TheFileTakesItsPlaceWhenCompleteAlsoWithoutFinish) {
  const std::string path = testing::writeFile(outputPath("open.tif"), "older file");
  {
    TiffWriter tiff(path);
    ASSERT_TRUE(tiff.addPage(testing::denseTextPage(300, 200, 1)));
    ASSERT_TRUE(tiff.addPage(testing::greyPage(100, 100)));
    // Still open: the older file is untouched, and the staging file is already
    // a valid TIFF of both pages, ready to be cut back to them.
    EXPECT_EQ(testing::readFile(path), "older file");
    EXPECT_EQ(testing::readTiff(stagingFile(1)).size(), 2u);
    ASSERT_TRUE(tiff.addPage(testing::denseTextPage(300, 200, 3)));
  }  // destroyed without finish()
  const auto pages = testing::readTiff(path);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[2].image.pixels, toRgb(testing::denseTextPage(300, 200, 3)).pixels);
  EXPECT_EQ(testing::folderEntries(testing::tempRoot() + "/out"), std::vector<std::string>{"open.tif"});
}

TEST(TiffWriter, AWriterKilledMidBatchLeavesTheOlderFileAndAStagingFileToClearAway) {
  const std::string path = testing::writeFile(outputPath("Scan.tif"), "older file");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TiffWriter tiff(path);
    const bool added = static_cast<bool>(tiff.addPage(testing::denseTextPage(300, 200, 1)));
    ::_exit(added ? 0 : 1);  // killed: no destructor, no finish
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(testing::readFile(path), "older file");
  const std::string staged = stagingFile(1);
  EXPECT_EQ(platform::removeAbandonedStagingFiles(testing::tempRoot() + "/out"),
            std::vector<std::string>{staged});
  EXPECT_EQ(testing::folderEntries(testing::tempRoot() + "/out"), std::vector<std::string>{"Scan.tif"});
}

TEST(TiffWriter, NoPageMeansNoFile) {
  const std::string path = outputPath("empty.tif");
  TiffWriter tiff(path);
  const WriteResult result = tiff.finish();
  EXPECT_FALSE(result);
  EXPECT_FALSE(platform::fileExists(path));
  EXPECT_FALSE(tiff.addPage(testing::greyPage(8, 8)));
}

TEST(TiffWriter, AWriteFailureKeepsTheCompletePagesReadable) {
  const std::string path = outputPath("full.tif");
  const Dib first = testing::denseTextPage(300, 200, 1);
  const Dib second = testing::denseTextPage(300, 200, 2);
  TiffWriter tiff(path);
  ASSERT_TRUE(tiff.addPage(first));
  ASSERT_TRUE(tiff.addPage(second));
  {
    testing::FileSizeLimit diskFull(std::filesystem::file_size(stagingFile()) + 500);
    const WriteResult failed = tiff.addPage(testing::colourPage(400, 400));
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error().find("page 3"), std::string::npos) << failed.error();
  }
  EXPECT_FALSE(tiff.addPage(first));  // the document has ended
  const WriteResult finished = tiff.finish();
  EXPECT_FALSE(finished);
  EXPECT_NE(finished.error().find("the 2 page(s) before it are kept in " + path), std::string::npos)
      << finished.error();
  const auto pages = testing::readTiff(path);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].image.pixels, toRgb(second).pixels);
}

TEST(TiffWriter, TinyAndOddSizedPagesRoundTrip) {
  const std::string path = outputPath("odd.tif");
  std::vector<Dib> pages;
  for (int bits : {1, 8, 24}) {
    for (auto [width, height] : {std::pair{1, 1}, std::pair{1, 37}, std::pair{37, 1}, std::pair{9, 17}}) {
      pages.push_back(*Dib::create(width, height, bits));
      pages.back().row(0)[0] = 0x80;  // one white pixel on a black 1-bit page
    }
  }
  {
    TiffWriter tiff(path);
    for (const Dib& page : pages) ASSERT_TRUE(tiff.addPage(page)) << page.width() << "x" << page.height();
    ASSERT_TRUE(tiff.finish());
  }
  const auto read = testing::readTiff(path);
  ASSERT_EQ(read.size(), pages.size());
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(read[i].image.pixels, toRgb(pages[i]).pixels) << i;
}

TEST(TiffWriter, AMissingFolderIsReportedAtOnce) {
  const std::string path = testing::tempRoot() + "/no/such/folder/Scan.tif";
  TiffWriter tiff(path);
  EXPECT_FALSE(tiff.ok());
  const WriteResult added = tiff.addPage(testing::greyPage(8, 8));
  EXPECT_FALSE(added);
  EXPECT_NE(added.error().find(path), std::string::npos);
  EXPECT_FALSE(tiff.finish());
}

}  // namespace
}  // namespace ostrel::writers
