// Button presses on virtual scanners through real OBX processes, checked on the
// files they leave: names, page counts and compression.
#include <gmock/gmock.h>

#include <filesystem>
#include <map>
#include <regex>

#include "app/core/startup_marker.h"
#include "app/settings/profile_records.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "imaging/writers/image_file_writers.h"
#include "tests/manager/obx_processes.h"
#include "tests/ocr/text_pages.h"
#include "tests/support/recording_program.h"
#include "tests/writers/decoding.h"
#include "tests/writers/file_size_limit.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Keys = std::map<std::string, std::string>;

constexpr const char* kDevice = "usb:04c5:1300";
constexpr const char* kModel = "Tern";

// Where a button's files go: out/<folder> in the test's home.
std::string out(const std::string& folder) { return tempRoot() + "/out/" + folder; }
// The profile files of the scanner, written before its manager first starts so
// it loads them instead of the built-in set.
class Profiles {
 public:
  explicit Profiles(const std::string& scannerName) : folder_(scannerFolder(scannerName)) {
    platform::createFolderTree(folder_);
    destination(0, "Storage", "");
  }

  void scanProfile(int section, const std::string& title, const Keys& keys) {
    write("ScanSetting.ini", section, {{"Valid", "1"}, {"Title", title}, {"Automatic", "0"}, {"PaperSize", "4"}});
    write("ScanSetting.ini", section, keys);
  }
  void destination(int section, const std::string& title, const std::string& path, int singleEvent = 0) {
    write("ApplicationSetting.ini", section,
          {{"Valid", "1"}, {"Title", title}, {"Path", path}, {"SingleEvent", std::to_string(singleEvent)}});
  }
  // The button's files go to out/<folder>.
  void button(int number, const std::string& scanProfile, int fileFormat, const std::string& folder,
              const Keys& keys = {}, const std::string& destination = "Storage") {
    write("ButtonSetting.ini", number,
          {{"Title", folder}, {"ScanSetting", scanProfile}, {"ApplicationSetting", destination},
           {"ImageFolder", out(folder)}, {"FileFormat", std::to_string(fileFormat)}});
    write("ButtonSetting.ini", number, keys);
  }

 private:
  void write(const std::string& file, int section, const Keys& keys) {
    for (const auto& [key, value] : keys) {
      platform::WritePrivateProfileString(std::to_string(section), key, value, folder_ + file);
    }
  }
  std::string folder_;
};

class ScanJobProcesses : public ::testing::Test {
 protected:
  void startScanner(const std::vector<std::string>& options) {
    ASSERT_TRUE(addVirtualScanner(kDevice, kModel, options));
    manager_.emplace(startManager(kDevice, kModel));
  }
  // Presses the button and waits for its job to end.
  void press(int number) {
    const auto finished = jobsFinished(number);
    ASSERT_EQ(sendEvent(kDevice, buttonEvent(number)), 0);
    ASSERT_TRUE(eventually([&] { return jobsFinished(number) > finished; }, std::chrono::seconds(60)));
  }
  static long jobsFinished(int number) {
    const std::string line = "Button " + std::to_string(number) + " finished its scan job";
    const auto log = logMessages();
    return std::count_if(log.begin(), log.end(), [&](const std::string& m) { return m.starts_with(line); });
  }
  void TearDown() override {
    if (!manager_) return;
    EXPECT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
    EXPECT_EQ(manager_->wait(std::chrono::seconds(15)), 0);
  }

  static std::vector<int> pdfPageCounts(const std::string& folder) {
    std::vector<int> counts;
    for (const std::string& name : folderEntries(out(folder))) {
      const std::string path = out(folder) + "/" + name;
      EXPECT_EQ(runCommand("qpdf --check " + quoted(path)).status, 0) << name;
      const CommandResult info = runCommand("pdfinfo " + quoted(path));
      counts.push_back(std::stoi(info.output.substr(info.output.find("Pages:") + 6)));
    }
    return counts;
  }

  Profiles profiles{kModel};
  std::optional<ChildProcess> manager_;
};

TEST_F(ScanJobProcesses, NamesCarryOnAcrossJobsAndFormatsAndBatchesMakeTheirFiles) {
  profiles.scanProfile(0, "Grey", {{"Resolution", "100"}, {"ScanMode", "1"}});
  profiles.scanProfile(1, "Black and White", {{"Resolution", "100"}, {"ScanMode", "0"}});
  profiles.scanProfile(2, "Batches of Three", {{"Resolution", "100"}, {"ScanMode", "1"}, {"BatchMode", "1"},
                                               {"BatchPageNum", "3"}});
  profiles.button(1, "Grey", format::kJpeg, "jpeg");
  profiles.button(2, "Batches of Three", format::kMultiPdf, "batches");
  profiles.button(3, "Black and White", format::kMultiTiff, "tiff");
  profiles.button(4, "Grey", format::kMultiTiff, "greytiff");
  startScanner({"--generate", "7"});

  press(1);
  press(1);
  std::vector<std::string> jpegs;
  for (int i = 0; i < 14; ++i) jpegs.push_back("Scan00" + std::to_string(i / 10) + std::to_string(i % 10) + ".jpg");
  EXPECT_EQ(folderEntries(out("jpeg")), jpegs);

  press(2);
  EXPECT_THAT(folderEntries(out("batches")), ElementsAre("Scan0014.pdf", "Scan0015.pdf", "Scan0016.pdf"));
  EXPECT_THAT(pdfPageCounts("batches"), ElementsAre(3, 3, 1));

  // One file per batch, its counter raised when it starts; every page compressed
  // for its depth: Group 4 for black and white, JPEG for grey.
  press(3);
  press(4);
  ASSERT_THAT(folderEntries(out("tiff")), ElementsAre("Scan0017.tif"));
  ASSERT_THAT(folderEntries(out("greytiff")), ElementsAre("Scan0018.tif"));
  const auto count = [](const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; ++at) ++n;
    return n;
  };
  const std::string bilevel = runCommand("tiffinfo " + quoted(out("tiff") + "/Scan0017.tif")).output;
  EXPECT_EQ(count(bilevel, "TIFF Directory at"), 7u);
  EXPECT_EQ(count(bilevel, "Compression Scheme: CCITT Group 4"), 7u);
  const std::string grey = runCommand("tiffinfo " + quoted(out("greytiff") + "/Scan0018.tif")).output;
  EXPECT_EQ(count(grey, "TIFF Directory at"), 7u);
  EXPECT_EQ(count(grey, "Compression Scheme: JPEG"), 7u);

  // The scans at 100 dpi say so in their files.
  EXPECT_EQ(count(bilevel, "Resolution: 100, 100 pixels/inch"), 7u);
  EXPECT_EQ(count(grey, "Resolution: 100, 100 pixels/inch"), 7u);
  const std::string jpeg = readFile(out("jpeg") + "/Scan0000.jpg");
  ASSERT_GT(jpeg.size(), 16u);
  EXPECT_EQ(jpeg.substr(13, 3), std::string("\x01\x00\x64", 3));  // dots per inch, 100
}

// A searchable-PDF button on a scanner whose feeder holds pages of printed
// text: the PDF's text layer gives the words back.
TEST_F(ScanJobProcesses, ASearchablePdfButtonWritesAPdfWhoseTextIsFound) {
  const std::string pages = tempRoot() + "/text-pages";
  platform::createFolderTree(pages);
  std::vector<std::string> expected;
  const std::string texts[] = {englishProse(1), englishProse(2).substr(englishProse(1).size() + 2)};
  for (int i = 0; i < 2; ++i) {
    const TextPage drawn = renderTextPage(texts[i], 12);
    ASSERT_TRUE(writers::writeBmp(drawn.page, pages + "/page" + std::to_string(i) + ".bmp"));
    for (const std::string& word : drawn.wordTexts()) expected.push_back(word);
  }
  profiles.scanProfile(0, "Text", {{"Resolution", "300"}, {"ScanMode", "1"}, {"OcrLanguage", "English"}});
  profiles.button(1, "Text", format::kMultiPdf, "searchable", {{"FileFormatProperty", "2"}});
  startScanner({"--pages", pages});

  press(1);
  ASSERT_THAT(folderEntries(out("searchable")), ElementsAre("Scan0000.pdf"));
  const std::string pdf = out("searchable") + "/Scan0000.pdf";
  const std::string text = runCommand("pdftotext -q -enc UTF-8 " + quoted(pdf) + " -").output;
  EXPECT_GE(wordsRightInOrder(expected, splitWords(text)), 0.98) << text;
  EXPECT_EQ(runCommand("qpdf --check " + quoted(pdf)).status, 0);
}

TEST_F(ScanJobProcesses, ABrowserClosedWithoutAChoiceScansNothing) {
  profiles.scanProfile(0, "Grey", {{"Resolution", "100"}, {"ScanMode", "1"}});
  profiles.button(1, "Grey", format::kJpeg, "asked", {{"SelectFolder", "1"}, {"RememberLastFolder", "1"}});
  startScanner({"--generate", "2"});
  const std::string here = std::filesystem::current_path().string();
  const auto before = folderEntries(here);

  // The press opens the folder browser; the exit request that follows closes it
  // unanswered, as Cancel would, and the manager ends.
  ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
  ASSERT_TRUE(eventually([] { return logHas("Button 1 is clicked."); }));
  ASSERT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
  EXPECT_EQ(manager_->wait(std::chrono::seconds(15)), 0);
  manager_.reset();

  EXPECT_TRUE(logHas("No folder was chosen; button 1 does not scan."));
  EXPECT_EQ(jobsFinished(1), 0);
  EXPECT_FALSE(platform::folderExists(out("asked")));
  EXPECT_EQ(folderEntries(here), before);  // nothing written where the manager runs
  const std::string record =
      readFile(tempRoot() + "/appdata/Ostrel/devices/" + std::string(kDevice) + "/session.log");
  EXPECT_EQ(record.find("DAT_IMAGENATIVEXFER"), std::string::npos);  // the scanner fed no sheet
}

TEST_F(ScanJobProcesses, AScannerThatCannotBeReachedIsLoggedWithItsNameAndHoldsNothing) {
  profiles.scanProfile(0, "Grey", {{"Resolution", "100"}, {"ScanMode", "1"}});
  profiles.button(1, "Grey", format::kJpeg, "unreached");
  startScanner({"--generate", "2"});
  // The device's file is damaged once the manager has found the scanner.
  writeFile(tempRoot() + "/appdata/Ostrel/devices/" + kDevice + "/virtualscanner.ini", "\x01\x02 not a device");

  // The job ends with nobody to close the box; the next press is no "other job".
  press(1);
  press(1);
  EXPECT_NE(logText().find(std::string("->[") + kModel + "] No device found"), std::string::npos);
  EXPECT_FALSE(logHas("Job is canceled due to the scanner is doing with another job."));
  EXPECT_EQ(jobsFinished(1), 2);
}

TEST_F(ScanJobProcesses, AFullDiskEndsTheJobWithThePagesBeforeItAndItsBoxHoldsNothing) {
  profiles.scanProfile(0, "Grey", {{"Resolution", "100"}, {"ScanMode", "1"}});
  // "Image Only", as the wizard sets a PDF button: the images fill the disk.
  profiles.button(1, "Grey", format::kMultiPdf, "full", {{"FileFormatProperty", "3"}});
  profiles.button(2, "Grey", format::kJpeg, "after");
  ASSERT_TRUE(addVirtualScanner(kDevice, kModel, {"--generate", "20"}));
  {
    // The manager inherits the limit: no file it writes grows past it.
    FileSizeLimit diskFull(1'000'000);
    manager_.emplace(startManager(kDevice, kModel));
  }

  // Nobody closes the box: the job still ends, and the next press scans.
  press(1);
  press(2);
  const auto log = logMessages();
  const auto cut = std::find_if(log.begin(), log.end(), [](const std::string& m) {
    return m.starts_with("A scanned document is cut short.");
  });
  ASSERT_NE(cut, log.end());
  const std::smatch kept = [&] {
    std::smatch match;
    std::regex_search(*cut, match, std::regex("the (\\d+) page\\(s\\) before it are kept in (.*)$"));
    return match;
  }();
  ASSERT_EQ(kept.size(), 3u) << *cut;
  EXPECT_EQ(kept[2].str(), out("full") + "/Scan0000.pdf");
  EXPECT_THAT(pdfPageCounts("full"), ElementsAre(std::stoi(kept[1].str())));
  EXPECT_GT(std::stoi(kept[1].str()), 0);
  EXPECT_TRUE(logHas("Button 1 finished its scan job: 1 file(s) written."));
  EXPECT_EQ(folderEntries(out("after")).size(), 20u);
  EXPECT_FALSE(logHas("Job is canceled due to the scanner is doing with another job."));
}

TEST_F(ScanJobProcesses, BmpSkipsAnExistingNumberAndSingleEventAsksForOneLaunch) {
  RecordingProgram viewer(tempRoot() + "/bin/viewer");
  profiles.scanProfile(0, "Grey", {{"Resolution", "100"}, {"ScanMode", "1"}});
  profiles.destination(1, "Viewer", viewer.path(), 1);
  profiles.button(1, "Grey", format::kBmp, "bmp");
  profiles.button(2, "Grey", format::kJpeg, "viewer", {{"ImageName", "View<##>"}}, "Viewer");
  writeFile(out("bmp") + "/Scan0000.bmp", "an older scan");
  startScanner({"--generate", "3"});

  press(1);
  EXPECT_THAT(folderEntries(out("bmp")), ElementsAre("Scan0000.bmp", "Scan0001.bmp", "Scan0002.bmp", "Scan0003.bmp"));
  EXPECT_EQ(readFile(out("bmp") + "/Scan0000.bmp"), "an older scan");

  press(2);
  const auto views = folderEntries(out("viewer"));
  ASSERT_EQ(views.size(), 3u);
  std::string quotedPaths;
  std::vector<std::string> paths;
  for (const std::string& name : views) {
    paths.push_back(out("viewer") + "/" + name);
    quotedPaths += "\"" + paths.back() + "\" ";
  }
  const auto log = logMessages();
  const auto launches = std::count_if(log.begin(), log.end(), [](const std::string& m) {
    return m.starts_with("Launch File: ");
  });
  EXPECT_EQ(launches, 1);
  EXPECT_THAT(log, Contains("Launch File: " + viewer.path() + "  " + quotedPaths));
  const std::vector<ProgramRun> runs = viewer.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, paths);
}

TEST_F(ScanJobProcesses, BlankPagesAndBarcodesSeparateFiles) {
  const Keys scan = {{"Resolution", "200"}, {"ScanMode", "0"}};
  Keys blanks = scan, removed = scan, barcodes = scan;
  blanks["BatchMode"] = "2";
  removed["BatchMode"] = "2";
  removed["BlankPageRemove"] = "1";
  barcodes["BatchMode"] = "3";
  profiles.scanProfile(0, "Blanks Separate", blanks);
  profiles.scanProfile(1, "Blanks Removed", removed);
  profiles.scanProfile(2, "Barcodes Separate", barcodes);
  profiles.button(1, "Blanks Separate", format::kMultiPdf, "blanks");
  profiles.button(2, "Blanks Removed", format::kMultiPdf, "removed");
  profiles.button(3, "Barcodes Separate", format::kMultiPdf, "barcodes", {{"ImageName", "Doc<B>"}});
  startScanner({"--generate", "7", "--blank", "2,5,6", "--barcode", "4=INV-7"});

  // Pages 1 | 3 4 | (none between the blanks 5 and 6) | 7: the empty output
  // spent its name but left no file.
  press(1);
  EXPECT_THAT(folderEntries(out("blanks")), ElementsAre("Scan0000.pdf", "Scan0001.pdf", "Scan0003.pdf"));
  EXPECT_THAT(pdfPageCounts("blanks"), ElementsAre(1, 2, 1));

  press(2);
  EXPECT_THAT(pdfPageCounts("removed"), ElementsAre(4));

  press(3);
  EXPECT_THAT(folderEntries(out("barcodes")), ElementsAre("Doc.pdf", "DocINV-7.pdf"));
  EXPECT_THAT(pdfPageCounts("barcodes"), ElementsAre(3, 4));
}

TEST_F(ScanJobProcesses, DuplexSidesAreJoinedAndTheLastFrontIsSavedAlone) {
  profiles.scanProfile(0, "Joined", {{"Resolution", "100"}, {"ScanMode", "1"}, {"Stitch", "1"}});
  profiles.button(1, "Joined", format::kJpeg, "joined", {{"ScanSide", "2"}});
  startScanner({"--duplex", "--generate", "5"});

  press(1);
  ASSERT_THAT(folderEntries(out("joined")), ElementsAre("Scan0000.jpg", "Scan0001.jpg", "Scan0002.jpg"));
  FreeImageFile joined, alone;
  ASSERT_TRUE(readWithFreeImage(out("joined") + "/Scan0000.jpg", joined));
  ASSERT_TRUE(readWithFreeImage(out("joined") + "/Scan0002.jpg", alone));
  EXPECT_EQ(joined.image.width, 2 * alone.image.width);
  EXPECT_TRUE(logHas("The last front page had no back page to be joined with; it is saved alone."));
}

class LongPass : public ScanJobProcesses {
 protected:
  static constexpr int kSheets = 20;

  void SetUp() override {
    profiles.scanProfile(0, "Colour", {{"Resolution", "150"}, {"ScanMode", "2"}});
    profiles.button(1, "Colour", format::kMultiPdf, "long");
    profiles.button(2, "Colour", format::kJpeg, "other");
    startScanner({"--generate", std::to_string(kSheets)});
    ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
    // The pass is under way once its first page has been taken.
    ASSERT_TRUE(eventually([] { return transfers() > 0; }));
  }
  static long transfers() {
    const std::string record =
        readFile(tempRoot() + "/appdata/Ostrel/devices/" + std::string(kDevice) + "/session.log");
    long count = 0;
    for (std::size_t at = 0; (at = record.find("MSG_GET DAT_IMAGENATIVEXFER", at)) != std::string::npos; ++at) ++count;
    return count;
  }
};

TEST_F(LongPass, APressMeanwhileIsRefusedAtOnceAndStartsNoSecondScan) {
  ASSERT_EQ(sendEvent(kDevice, buttonEvent(2)), 0);
  ASSERT_TRUE(eventually([] { return logHas("Job is canceled due to the scanner is doing with another job."); }));
  EXPECT_EQ(jobsFinished(1), 0);  // refused while the pass still ran
  ASSERT_TRUE(eventually([] { return jobsFinished(1) == 1; }, std::chrono::seconds(60)));
  EXPECT_THAT(pdfPageCounts("long"), ElementsAre(kSheets));
  EXPECT_FALSE(platform::folderExists(out("other")));
  EXPECT_EQ(jobsFinished(2), 0);
}

TEST_F(LongPass, ASessionThatEndsTheManagerCutsTheJobShortAndTheLogSaysSo) {
  manager_->signal(SIGTERM);
  EXPECT_EQ(manager_->wait(std::chrono::seconds(15)), 0);
  manager_.reset();
  const std::vector<int> pages = pdfPageCounts("long");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_LT(pages[0], kSheets);
  EXPECT_TRUE(logHas("Ostrel is asked to end by SIGTERM."));
  EXPECT_TRUE(logHas("The scan job of button 1 is cut short as Ostrel ends, after " + std::to_string(pages[0]) +
                     " page(s); the pages scanned are kept."));
  EXPECT_TRUE(logHas("Button 1 finished its scan job: 1 file(s) written."));
}

TEST_F(LongPass, AnExitRequestEndsThePassAfterThePageInHandAndKeepsWhatWasScanned) {
  ASSERT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
  EXPECT_EQ(manager_->wait(std::chrono::seconds(15)), 0);
  manager_.reset();
  EXPECT_EQ(jobsFinished(1), 1);
  const std::vector<int> pages = pdfPageCounts("long");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_GT(pages[0], 0);
  EXPECT_LT(pages[0], kSheets);
}

}  // namespace
}  // namespace ostrel
