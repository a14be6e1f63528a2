#include "imaging/pdf/pdf_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/environment.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"
#include "tests/writers/file_size_limit.h"
#include "tests/writers/sample_pages.h"

namespace ostrel::pdf {
namespace {

using testing::quoted;
using testing::runCommand;
using testing::toRgb;

std::string outputFolder() {
  const std::string folder = testing::tempRoot() + "/out";
  platform::createFolderTree(folder);
  return folder;
}

// pdfinfo pads its columns; one space between words is enough to match.
std::string squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

struct ImageListing {
  std::string colour;
  int bitsPerComponent = 0;
  std::string encoding;
  int width = 0;
};

// The images `pdfimages -list` finds, one per line after the header.
std::vector<ImageListing> listImages(const std::string& path) {
  const auto listed = runCommand("pdfimages -list " + quoted(path));
  std::vector<ImageListing> images;
  std::istringstream lines(listed.output);
  std::string line;
  bool body = false;
  while (std::getline(lines, line)) {
    if (line.rfind("----", 0) == 0) {
      body = true;
      continue;
    }
    if (!body) continue;
    std::istringstream fields(line);
    std::string page, number, type, height, components;
    ImageListing image;
    fields >> page >> number >> type >> image.width >> height >> image.colour >> components >>
        image.bitsPerComponent >> image.encoding;
    images.push_back(image);
  }
  return images;
}

Dib atResolution(Dib page, int dotsPerMetre) {
  page.setResolution(dotsPerMetre, dotsPerMetre);
  return page;
}

TEST(PdfWriter, PagesBecomeG4AndJpegImagesOnPagesSizedByResolution) {
  const std::string path = outputFolder() + "/Scan0001.pdf";
  const Dib text = testing::denseTextPage();                          // 300 dpi Letter
  const Dib grey = atResolution(testing::greyPage(1700, 2200), 7874);  // 200 dpi Letter
  const Dib colour = testing::colourPage(300, 150);                    // 1 x 0.5 inch
  const Dib unknown = atResolution(testing::greyPage(600, 300), 0);    // laid out at 300 dpi
  {
    PdfWriter pdf(path);
    ASSERT_TRUE(pdf.ok());
    for (const Dib* page : {&text, &grey, &colour, &unknown}) ASSERT_TRUE(pdf.addPage(*page));
    EXPECT_EQ(pdf.pageCount(), 4);
    ASSERT_TRUE(pdf.finish());
  }
  const auto check = runCommand("qpdf --check " + quoted(path));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find("No syntax or stream encoding errors"), std::string::npos) << check.output;

  const std::string info = squeezed(runCommand("pdfinfo -f 1 -l 4 " + quoted(path)).output);
  EXPECT_NE(info.find("Pages: 4\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 1 size: 612 x 792 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 2 size: 612 x 792 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 3 size: 72 x 36 pts"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 4 size: 144 x 72 pts"), std::string::npos) << info;

  const auto images = listImages(path);
  ASSERT_EQ(images.size(), 4u);
  EXPECT_EQ(images[0].encoding, "ccitt");
  EXPECT_EQ(images[0].colour, "gray");
  EXPECT_EQ(images[0].bitsPerComponent, 1);
  EXPECT_EQ(images[1].encoding, "jpeg");
  EXPECT_EQ(images[1].colour, "gray");
  EXPECT_EQ(images[2].encoding, "jpeg");
  EXPECT_EQ(images[2].colour, "rgb");
  EXPECT_EQ(images[2].bitsPerComponent, 8);
}

TEST(PdfWriter, PageImagesDecodeBackToThePages) {
  const std::string folder = outputFolder();
  const std::string path = folder + "/pixels.pdf";
  const Dib text = testing::denseTextPage(400, 300);
  // Index 0 white: the same picture must come out, not its negative.
  Dib inverted = text.clone();
  for (int y = 0; y < inverted.height(); ++y) {
    for (std::size_t i = 0; i < inverted.stride(); ++i) inverted.row(y)[i] = static_cast<std::uint8_t>(~inverted.row(y)[i]);
  }
  inverted.setPaletteEntry(0, {255, 255, 255, 0});
  inverted.setPaletteEntry(1, {0, 0, 0, 0});
  const Dib colour = testing::colourPage(240, 160);
  {
    PdfWriter pdf(path);
    for (const Dib* page : {&text, static_cast<const Dib*>(&inverted), &colour}) ASSERT_TRUE(pdf.addPage(*page));
    ASSERT_TRUE(pdf.finish());
  }
  const auto extracted = runCommand("pdfimages -png " + quoted(path) + " " + quoted(folder + "/image"));
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  testing::FreeImageFile first, second, third;
  ASSERT_TRUE(testing::readWithFreeImage(folder + "/image-000.png", first));
  ASSERT_TRUE(testing::readWithFreeImage(folder + "/image-001.png", second));
  ASSERT_TRUE(testing::readWithFreeImage(folder + "/image-002.png", third));
  EXPECT_EQ(first.image.pixels, toRgb(text).pixels);
  EXPECT_EQ(second.image.pixels, toRgb(text).pixels);
  EXPECT_LT(meanDifference(third.image, toRgb(colour)), 6.0);
}

TEST(PdfWriter, ADocumentWithoutPagesLeavesNoFileAndKeepsAnOlderOne) {
  const std::string folder = outputFolder();
  {
    PdfWriter pdf(folder + "/empty.pdf");
    EXPECT_TRUE(pdf.ok());
    const WriteResult result = pdf.finish();
    EXPECT_FALSE(result);
    EXPECT_NE(result.error().find("no page"), std::string::npos);
  }
  EXPECT_FALSE(platform::fileExists(folder + "/empty.pdf"));

  testing::writeFile(folder + "/Scan.pdf", "older document");
  { PdfWriter pdf(folder + "/Scan.pdf"); }
  EXPECT_EQ(testing::readFile(folder + "/Scan.pdf"), "older document");
  EXPECT_EQ(testing::folderEntries(folder), std::vector<std::string>{"Scan.pdf"});
}

TEST(PdfWriter, AWriterDestroyedWithoutFinishLeavesAValidDocument) {
  const std::string path = outputFolder() + "/unfinished.pdf";
  {
    PdfWriter pdf(path);
    ASSERT_TRUE(pdf.addPage(testing::denseTextPage(300, 200)));
    ASSERT_TRUE(pdf.addPage(testing::greyPage(100, 80)));
    EXPECT_FALSE(platform::fileExists(path));  // not in place until complete
  }
  const auto check = runCommand("qpdf --check " + quoted(path));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(squeezed(runCommand("pdfinfo " + quoted(path)).output).find("Pages: 2\n"), std::string::npos);
}

TEST(PdfWriter, FailuresAreReportedAndKeepThePagesWrittenBefore) {
  const std::string missing = testing::tempRoot() + "/no/such/folder/Scan.pdf";
  PdfWriter nowhere(missing);
  EXPECT_FALSE(nowhere.ok());
  const WriteResult added = nowhere.addPage(testing::greyPage(8, 8));
  EXPECT_FALSE(added);
  EXPECT_NE(added.error().find(missing), std::string::npos);
  EXPECT_FALSE(nowhere.finish());

  // A full disk in the middle of page 3: the torn page is cut off and the two
  // pages before it, already through the feeder, stay a valid document.
  const std::string folder = outputFolder();
  const std::string path = folder + "/full.pdf";
  PdfWriter pdf(path);
  ASSERT_TRUE(pdf.addPage(testing::denseTextPage(300, 200, 1)));
  ASSERT_TRUE(pdf.addPage(testing::denseTextPage(300, 200, 2)));
  {
    testing::FileSizeLimit diskFull(20000);
    EXPECT_FALSE(pdf.addPage(testing::colourPage(600, 600)));
  }
  EXPECT_FALSE(pdf.addPage(testing::greyPage(8, 8)));
  const WriteResult finished = pdf.finish();
  EXPECT_FALSE(finished);
  EXPECT_NE(finished.error().find("2 page(s) before it are kept"), std::string::npos) << finished.error();
  EXPECT_EQ(pdf.pageCount(), 2);
  EXPECT_EQ(testing::folderEntries(folder), std::vector<std::string>{"full.pdf"});
  const auto check = runCommand("qpdf --check " + quoted(path));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(squeezed(runCommand("pdfinfo " + quoted(path)).output).find("Pages: 2\n"), std::string::npos);

  // With no complete page there is nothing to keep, and no torn file either.
  PdfWriter first(folder + "/first.pdf");
  {
    testing::FileSizeLimit diskFull(5000);
    EXPECT_FALSE(first.addPage(testing::colourPage(600, 600)));
  }
  EXPECT_FALSE(first.finish());
  EXPECT_EQ(first.pageCount(), 0);
  EXPECT_EQ(testing::folderEntries(folder), std::vector<std::string>{"full.pdf"});
}

TEST(PdfWriter, TinyAndOddSizedPagesGoInLikeAnyOther) {
  const std::string path = outputFolder() + "/odd.pdf";
  {
    PdfWriter pdf(path);
    for (int bits : {1, 8, 24}) {
      for (auto [width, height] : {std::pair{1, 1}, std::pair{1, 37}, std::pair{37, 1}, std::pair{9, 17}}) {
        ASSERT_TRUE(pdf.addPage(*Dib::create(width, height, bits))) << bits << " " << width << "x" << height;
      }
    }
    ASSERT_TRUE(pdf.finish());
  }
  const auto check = runCommand("qpdf --check " + quoted(path));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(listImages(path).size(), 12u);
}

}  // namespace
}  // namespace ostrel::pdf
