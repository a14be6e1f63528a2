// The print step's own decisions: the fit into the printable area, which files
// are printed, and which stay. Printing itself is tested on a real CUPS
// scheduler (print_test.cpp).
#include <gmock/gmock.h>

#include "app/delivery/printing.h"
#include "imaging/writers/image_file_writers.h"
#include "platform/environment.h"
#include "tests/delivery/delivery_fixture.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(FitToPrintableArea, KeepsTheAspectAndFillsWidthOrHeight) {
  // Letter at 1200 dpi less a quarter inch each side and half an inch top and bottom.
  const PrintableArea letter{9600, 12000, 1200};
  EXPECT_EQ(fitToPrintableArea(850, 1100, letter), (PageSize{9272, 12000}));  // portrait: full height
  EXPECT_EQ(fitToPrintableArea(1100, 850, letter), (PageSize{9600, 7418}));   // landscape: full width
  EXPECT_EQ(fitToPrintableArea(850, 1400, letter), (PageSize{7285, 12000}));  // legal: full height
  EXPECT_EQ(fitToPrintableArea(2550, 3300, PrintableArea{2400, 3000, 300}), (PageSize{2318, 3000}));
  // The same shape as the area: the width rule.
  EXPECT_EQ(fitToPrintableArea(800, 1000, letter), (PageSize{9600, 12000}));
  // Products beyond 32 bits at this resolution.
  EXPECT_EQ(fitToPrintableArea(65535, 65535, letter), (PageSize{9600, 9600}));
}

TEST(FitToPrintableArea, AnImageThatComesToNothingIsNoPage) {
  // One pixel at 300 dpi is nothing at 72 dpi: the fit would divide by zero.
  EXPECT_EQ(fitToPrintableArea(1, 1, PrintableArea{576, 720, 72}), std::nullopt);
  EXPECT_EQ(fitToPrintableArea(2000, 1, PrintableArea{576, 720, 72}), std::nullopt);
  EXPECT_EQ(fitToPrintableArea(850, 1100, PrintableArea{0, 720, 72}), std::nullopt);
  EXPECT_EQ(fitToPrintableArea(850, 1100, PrintableArea{576, 720, 0}), std::nullopt);
}

class PrintStep : public ::testing::Test {
 protected:
  std::string image(const std::string& name, int width, int height) {
    const std::string path = tempRoot() + "/Print/" + name;
    std::filesystem::create_directories(tempRoot() + "/Print");
    EXPECT_TRUE(writers::writeBmp(plainPage(8, width, height), path).ok());
    return path;
  }
  void print(std::vector<std::string> files) {
    printFiles(button, files, {printers, ui, text});
    EXPECT_THAT(files, IsEmpty());
  }

  RecordingPrinters printers;
  RecordingUserInterface ui;
  LocalizedText text{tempRoot() + "/no-texts.ini"};
  CButtonSetting button;
};

TEST_F(PrintStep, FilesThatAreNoImagesOrComeToNothingAreSkippedAndKept) {
  printers.area = {576, 720, 72};
  const std::string first = image("000000.bmp", 850, 1100);
  const std::string broken = writeFile(tempRoot() + "/Print/000001.bmp", "BM not really");
  const std::string speck = image("000002.bmp", 1, 1);
  const std::string last = image("000003.bmp", 1100, 850);
  const std::string gone = tempRoot() + "/Print/000004.bmp";
  print({first, broken, speck, last, gone});

  EXPECT_THAT(printers.documents, ElementsAre("Farrow"));
  EXPECT_THAT(printers.pages, ElementsAre(RecordingPrinters::Page{850, 1100, 556, 720},
                                          RecordingPrinters::Page{1100, 850, 576, 445}));
  EXPECT_FALSE(platform::fileExists(first));
  EXPECT_FALSE(platform::fileExists(last));
  EXPECT_TRUE(platform::fileExists(broken));
  EXPECT_TRUE(platform::fileExists(speck));
  const auto log = logMessages();
  EXPECT_THAT(log, Contains(HasSubstr("Not printed: " + broken + " cannot be read as an image")));
  EXPECT_THAT(log, Contains("Not printed: " + speck + " is too small for the printer's resolution."));
  EXPECT_THAT(log, Contains(HasSubstr("Not printed: " + gone)));
  EXPECT_THAT(log, Contains("These files stay: \"" + broken + "\" \"" + speck + "\" \"" + gone + "\""));
}

TEST_F(PrintStep, AnEmptyPrinterNameTakesTheDefaultAndKeepsIt) {
  print({image("000000.bmp", 85, 110)});
  EXPECT_THAT(printers.opened, ElementsAre("Default Printer"));
  EXPECT_EQ(button.imageFolder, "Default Printer");
  button.imageFolder = "Office";
  print({image("000001.bmp", 85, 110)});
  EXPECT_THAT(printers.opened, ElementsAre("Default Printer", "Office"));
}

TEST_F(PrintStep, APrinterThatCannotBeOpenedLeavesTheImages) {
  printers.refusal = "the queue \"Office\" is stopped";
  button.imageFolder = "Office";
  const std::string page = image("000000.bmp", 85, 110);
  print({page});
  EXPECT_TRUE(platform::fileExists(page));
  EXPECT_THAT(printers.documents, IsEmpty());
  const auto log = logMessages();
  EXPECT_THAT(log, Contains("Printer Error."));
  EXPECT_THAT(log, Contains("The printer \"Office\" cannot be used: the queue \"Office\" is stopped."));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Printer Error");
}

TEST_F(PrintStep, AJobThatFailsKeepsItsFiles) {
  const std::string page = image("000000.bmp", 85, 110);
  printers.documentFails = true;
  print({page});
  EXPECT_THAT(logMessages(), Contains("Start Document failed."));
  EXPECT_EQ(printers.ended, 0);
  EXPECT_TRUE(platform::fileExists(page));

  printers.documentFails = false;
  printers.jobRefusal = "CUPS did not take the job for \"Office\": Too many active jobs.";
  print({page});
  EXPECT_EQ(printers.ended, 1);
  EXPECT_THAT(logMessages(), Contains("Printing failed: CUPS did not take the job for \"Office\": Too many active jobs."));
  EXPECT_TRUE(platform::fileExists(page));
  EXPECT_THAT(ui.messages, IsEmpty());
}

}  // namespace
}  // namespace ostrel
