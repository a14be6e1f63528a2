#include "app/scan/naming/file_namer.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/text.h"
#include "tests/naming/naming_test_support.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using testing::dateTime;
using testing::writeFile;

class FileNamerTest : public ::testing::Test {
 protected:
  FileNamerTest() {
    state.outputFolder = testing::tempRoot() + "/out/";
    environment.localTime = [this] { return clock; };
    environment.userName = [this] { return user; };
    environment.computerName = [this] { return computer; };
    button.imageName = "Scan<####>";
    button.fileFormat = format::kBmp;
    button.applicationSetting = &destinationSetting;
  }

  std::string next(bool checkExisting = true) {
    FileNamer namer(state, ui, resourceFile, environment);
    return namer.NextFileName(button, checkExisting);
  }
  std::string out(const std::string& name) const { return state.outputFolder + name; }
  void touch(const std::string& name) { writeFile(out(name), "x"); }

  NamingState state;
  testing::RecordingUserInterface ui;
  std::string resourceFile = testing::tempRoot() + "/ResourceSetting.ini";
  NamingEnvironment environment;
  std::optional<std::tm> clock = dateTime(2026, 12, 4, 14, 5, 9);
  std::optional<std::string> user = "alice";
  std::optional<std::string> computer = "desk";
  CApplicationSetting destinationSetting;
  CButtonSetting button;
};

TEST_F(FileNamerTest, FolderPatternAndExtension) {
  state.counter = 7;
  EXPECT_EQ(next(), out("Scan0007.bmp"));
  EXPECT_EQ(state.counter, 7);  // the writer raises it, not the namer
  for (auto [code, extension] : {std::pair{format::kJpeg, ".jpg"}, {format::kGif, ".gif"},
                                 {format::kTiff, ".tif"}, {format::kMultiTiff, ".tif"},
                                 {format::kPdf, ".pdf"}, {format::kMultiPdf, ".pdf"},
                                 {format::kText, ".txt"}, {format::kRichText, ".rtf"},
                                 {format::kWordDocument, ".doc"}, {3, ".bmp"}}) {
    button.fileFormat = code;
    EXPECT_EQ(next(), out(std::string("Scan0007") + extension)) << code;
  }
}

TEST_F(FileNamerTest, NumberedNamesSkipExistingFiles) {
  button.imageName = "Scan<#>";
  button.fileFormat = format::kJpeg;
  touch("Scan0.jpg");
  touch("Scan1.jpg");
  touch("Scan3.jpg");
  EXPECT_EQ(next(), out("Scan2.jpg"));
  EXPECT_EQ(state.counter, 2);
  EXPECT_EQ(next(false), out("Scan2.jpg"));  // without the probe nothing is checked

  button.imageName = "Scan<####>";
  button.fileFormat = format::kBmp;
  state.counter = 0;
  touch("Scan0000.bmp");
  EXPECT_EQ(next(), out("Scan0001.bmp"));
}

TEST_F(FileNamerTest, UnnumberedNamesAreNeverProbed) {
  button.imageName = "Report<YYYY>";
  touch("Report2026.bmp");
  EXPECT_EQ(next(), out("Report2026.bmp"));
  EXPECT_EQ(state.counter, 0);
}

TEST_F(FileNamerTest, PrintNamesIgnorePatternAndFormat) {
  destinationSetting.path = "PRINT";
  button.imageName = "<B>Whatever<YYYY>";
  button.fileFormat = format::kPdf;
  state.barcodeText = "kept";
  EXPECT_EQ(next(), out("000000.bmp"));
  touch("000000.bmp");
  EXPECT_EQ(next(), out("000001.bmp"));
  state.counter = 1234567;
  EXPECT_EQ(next(), out("1234567.bmp"));
  EXPECT_EQ(state.barcodeText, "kept");
}

TEST_F(FileNamerTest, BarcodeIsConsumedByTheFirstToken) {
  button.imageName = "<B>-<B>";
  state.barcodeText = "INV42";
  EXPECT_EQ(next(), out("INV42-.bmp"));
  EXPECT_EQ(state.barcodeText, "");
  EXPECT_EQ(next(), out("-.bmp"));  // nothing read since

  button.imageName = "Scan<####>";
  state.barcodeText = "untouched";
  next();
  EXPECT_EQ(state.barcodeText, "untouched");
}

TEST_F(FileNamerTest, BarcodeSurvivesTheCollisionProbe) {
  button.imageName = "<B>_<#>";
  state.barcodeText = "INV42";
  touch("INV42_0.bmp");
  EXPECT_EQ(next(), out("INV42_1.bmp"));
}

TEST_F(FileNamerTest, BarcodeTextCannotLeaveTheFolder) {
  button.imageName = "<B>_<#>";
  state.barcodeText = std::string("../../etc/x\\y\0z\n", 16);
  EXPECT_EQ(next(), out(".._.._etc_x_y_z__0.bmp"));
}

TEST_F(FileNamerTest, ProbeStopsAtTheLastCounterValue) {
  button.imageName = "Scan<#>";
  state.counter = INT_MAX;
  touch("Scan2147483647.bmp");
  EXPECT_EQ(next(), out("Scan2147483647.bmp"));  // overwritten rather than wrapped to a negative number
  EXPECT_EQ(state.counter, INT_MAX);
}

TEST_F(FileNamerTest, UserAndComputerNames) {
  button.imageName = "<U>-<C>";
  EXPECT_EQ(next(), out("alice-desk.bmp"));

  user.reset();
  computer.reset();
  button.imageName = "<U><U>-<C>";
  EXPECT_EQ(next(), out("-.bmp"));
  ASSERT_EQ(ui.messages.size(), 2u);  // each failure is reported once per name
  EXPECT_EQ(ui.messages[0].text, "Get User Name Error.");
  EXPECT_EQ(ui.messages[1].text, "Get Computer Name Error.");
}

TEST_F(FileNamerTest, FailureTextsComeFromTheTextsFile) {
  writeFile(resourceFile, "[Else]\r\nMessage6=Benutzername unbekannt.\r\n");
  user.reset();
  button.imageName = "<U>";
  next();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Benutzername unbekannt.");
}

TEST_F(FileNamerTest, NameDialogReplacesTheBaseName) {
  button.selectName = 1;
  button.fileFormat = format::kJpeg;
  state.counter = 3;
  ui.saveAnswers.push_back(std::string("/elsewhere/Invoice March.final.jpg"));
  EXPECT_EQ(next(), out("Invoice March.final.jpg"));
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].proposedName, "Scan0003");
  EXPECT_EQ(ui.saveRequests[0].startFolder, state.outputFolder);
  EXPECT_EQ(ui.saveRequests[0].filterText, "Image Files (*.jpg)");
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "jpg");

  EXPECT_EQ(next(), out("Scan0003.jpg"));  // cancelled: the generated name stays
}

TEST_F(FileNamerTest, LongNamesAreCutToThePathLimitAndStillTerminate) {
  button.imageName = std::string(300, 'a') + "<#>";
  const std::string first = next();
  EXPECT_EQ(platform::utf8ToUtf16(first).size(), kMaxPathUnits);
  EXPECT_EQ(first.substr(first.size() - 4), ".bmp");
  writeFile(first, "x");
  EXPECT_EQ(next(), first);  // the counter was cut off: the probe gives up
  EXPECT_EQ(state.counter, 1);
}

TEST_F(FileNamerTest, SubfolderUsesTheClockAndUserName) {
  FileNamer namer(state, ui, resourceFile, environment);
  EXPECT_EQ(namer.WithSubfolder("/scans/", 2), "/scans/week48/");
  EXPECT_EQ(namer.WithSubfolder("/scans/", 5), "/scans//12-alice/");
  user.reset();
  EXPECT_EQ(namer.WithSubfolder("/scans/", 5), "/scans//12-/");
  EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace ostrel
