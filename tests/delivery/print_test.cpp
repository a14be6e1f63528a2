// Printing through Qt PrintSupport on a private CUPS scheduler: the job's page
// images reach the queue's file as one PDF, a page each, fitted as the print
// step says, and the images are deleted only when CUPS took the job. The job
// runs on a thread of its own, as it will beside the window thread.
#include <gmock/gmock.h>

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/ui/printer_dialog.h"
#include "app/ui/qt_printers.h"
#include "imaging/writers/image_file_writers.h"
#include "platform/environment.h"
#include "tests/delivery/delivery_fixture.h"
#include "tests/delivery/private_cups.h"
#include "tests/manager/child_process.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Runs work on another thread while this one, the window thread, answers it.
template <typename Work>
void offTheWindowThread(Work work) {
  std::atomic<bool> done = false;
  std::thread worker([&] {
    work();
    done = true;
  });
  while (!done) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  worker.join();
}

// A grey page as pdftoppm draws it.
struct Raster {
  int width = 0;
  int height = 0;
  std::string pixels;
};

// Page `page` of a PDF at 72 dpi, where a pixel is a point.
Raster rasterize(const std::string& pdf, int page) {
  const std::string prefix = tempRoot() + "/page";
  const CommandResult run = runCommand("pdftoppm -r 72 -gray -f " + std::to_string(page) + " -l " +
                                       std::to_string(page) + " -singlefile " + testing::quoted(pdf) + " " + testing::quoted(prefix));
  Raster raster;
  if (run.status != 0) return raster;
  const std::string file = readFile(prefix + ".pgm");
  int maxValue = 0;
  int consumed = 0;
  if (std::sscanf(file.c_str(), "P5 %d %d %d%n", &raster.width, &raster.height, &maxValue, &consumed) != 3) return {};
  raster.pixels = file.substr(static_cast<std::size_t>(consumed) + 1);
  return raster;
}

// The box around the dark pixels: left, top, right, bottom (exclusive), in points.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
};
Box darkBox(const Raster& raster) {
  Box box{raster.width, raster.height, 0, 0};
  for (int y = 0; y < raster.height; ++y) {
    for (int x = 0; x < raster.width; ++x) {
      if (static_cast<unsigned char>(raster.pixels[static_cast<std::size_t>(y) * raster.width + x]) >= 128) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

int pageCount(const std::string& pdf) {
  const CommandResult info = runCommand("pdfinfo " + testing::quoted(pdf));
  const std::size_t at = info.output.find("Pages:");
  return info.status == 0 && at != std::string::npos ? std::stoi(info.output.substr(at + 6)) : -1;
}

class Printing : public DeliveryTestOf<QtPrinters> {
 protected:
  void SetUp() override {
    if (!cups.started()) GTEST_SKIP() << "no private CUPS scheduler: " << cups.whyNot();
    office = cups.addQueue("Office");
    cups.addQueue("Reception");
    cups.setDefault("Office");
    destination.path = destination::kPrint;
    button.fileFormat = format::kBmp;
    button.imageFolder.clear();
  }

  // A portrait letter page, a landscape one and a legal one, at 100 dpi.
  void scanThreePages() {
    offTheWindowThread([this] { scan(stack(darkPage(850, 1100), darkPage(1100, 850), darkPage(850, 1400))); });
  }
  static std::vector<std::string> printFolder() { return folderEntries(appFolder("Print")); }

  PrivateCups cups;
  std::string office;
};

TEST_F(Printing, ThreePagesBecomeOneJobFittedToThePrintableAreaAndTheImagesGo) {
  scanThreePages();

  ASSERT_TRUE(eventually([&] { return pageCount(office) == 3; }, std::chrono::seconds(30)))
      << runCommand("pdfinfo " + testing::quoted(office)).output;
  EXPECT_THAT(runCommand("pdfinfo " + testing::quoted(office)).output, HasSubstr("612 x 792 pts"));
  EXPECT_THAT(runCommand("pdfinfo " + testing::quoted(office)).output, HasSubstr("Farrow"));
  // The printable area starts 18 pt from the left and 36 pt from the top and is
  // 576 x 720 pt (9600 x 12000 device pixels at 1200 dpi). Each page taken as
  // 300 dpi: the portrait page fills the height, 9272 pixels wide (556.3 pt);
  // the landscape page fills the width, 7418 pixels high (445.1 pt); the legal
  // page fills the height, 7285 pixels wide (437.1 pt).
  const Box expected[] = {{18, 36, 574, 756}, {18, 36, 594, 481}, {18, 36, 455, 756}};
  for (int page = 1; page <= 3; ++page) {
    const Box box = darkBox(rasterize(office, page));
    const Box& want = expected[page - 1];
    EXPECT_NEAR(box.left, want.left, 1) << "page " << page;
    EXPECT_NEAR(box.top, want.top, 1) << "page " << page;
    EXPECT_NEAR(box.right, want.right, 2) << "page " << page;
    EXPECT_NEAR(box.bottom, want.bottom, 2) << "page " << page;
  }
  EXPECT_THAT(printFolder(), IsEmpty());
  // The default printer is kept for the button from then on.
  EXPECT_EQ(button.imageFolder, "Office");
  const auto log = logMessages();
  EXPECT_THAT(log, Contains("Start Printing..."));
  EXPECT_THAT(log, Contains("End Printing..."));
  EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(Printing, AStoppedQueueOrAMissingPrinterKeepsTheFilesAndSaysPrinterError) {
  cups.stopQueue("Office");
  scanThreePages();
  EXPECT_EQ(printFolder().size(), 3u);
  EXPECT_THAT(logMessages(), Contains("Printer Error."));
  EXPECT_THAT(logMessages(), Contains(HasSubstr("the queue \"Office\" is stopped")));

  button.imageFolder = "Nowhere";
  scanThreePages();
  EXPECT_EQ(printFolder().size(), 6u);
  EXPECT_THAT(logMessages(), Contains("The printer \"Nowhere\" cannot be used: CUPS has no printer named \"Nowhere\"."));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Printer Error");
  EXPECT_EQ(ui.messages[1].kind, MessageKind::Error);
  EXPECT_FALSE(std::filesystem::exists(office));
}

TEST_F(Printing, ADocumentThatCannotBeStartedKeepsTheFiles) {
  const ScopedEnvironment noTemporaryFolder("TMPDIR", tempRoot() + "/gone");
  scanThreePages();
  EXPECT_THAT(logMessages(), Contains("Start Document failed."));
  EXPECT_THAT(logMessages(), ::testing::Not(Contains("Start Printing...")));
  EXPECT_EQ(printFolder().size(), 3u);
  EXPECT_THAT(ui.messages, IsEmpty());
}

TEST(PrintingRefusedByCups, AJobCupsDoesNotTakeKeepsItsFiles) {
  // A scheduler that holds one job per queue at most, with one held already.
  PrivateCups cups(1);
  if (!cups.started()) GTEST_SKIP() << "no private CUPS scheduler: " << cups.whyNot();
  const std::string office = cups.addQueue("Office");
  cups.holdJob("Office");
  RecordingUserInterface ui;
  QtPrinters printers;
  const LocalizedText text(tempRoot() + "/no-texts.ini");
  const std::string image = tempRoot() + "/Print/000000.bmp";
  std::filesystem::create_directories(tempRoot() + "/Print");
  ASSERT_TRUE(writers::writeBmp(darkPage(850, 1100), image).ok());
  CButtonSetting button;
  button.imageFolder = "Office";
  std::vector<std::string> files = {image};
  offTheWindowThread([&] { printFiles(button, files, {printers, ui, text}); });

  EXPECT_THAT(files, IsEmpty());
  EXPECT_TRUE(platform::fileExists(image));
  EXPECT_THAT(logMessages(), Contains("End Printing..."));
  EXPECT_THAT(logMessages(), Contains(::testing::AllOf(HasSubstr("Printing failed: CUPS did not take the job"),
                                                       HasSubstr("\"Office\""))));
  EXPECT_THAT(logMessages(), Contains("These files stay: \"" + image + "\""));
}

// The chooser lists the print system's printers with the default selected and
// answers a worker thread through the window thread.
TEST_F(Printing, TheChooserOffersCupsPrintersWithTheDefaultSelected) {
  QtPrinterChooser chooser;
  std::optional<std::string> chosen;
  std::atomic<bool> done = false;
  std::thread worker([&] {
    chosen = chooser.choosePrinter();
    done = true;
  });
  // The dialog runs modally inside the event loop; a timer plays the user.
  QStringList listed;
  QString selected, title;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<CPrinterDlg*>(QApplication::activeModalWidget());
    if (!dialog) return;
    user.stop();
    QListWidget* list = dialog->printerList();
    for (int row = 0; row < list->count(); ++row) listed << list->item(row)->text();
    selected = list->currentItem()->text();
    title = dialog->windowTitle();
    list->setCurrentRow(static_cast<int>(listed.indexOf(QStringLiteral("Reception"))));
    dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
  });
  user.start(20);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done && std::chrono::steady_clock::now() < deadline) QCoreApplication::processEvents();
  if (!done) std::abort();  // the worker waits for the window thread forever
  worker.join();
  EXPECT_EQ(listed, (QStringList{QStringLiteral("Office"), QStringLiteral("Reception")}));
  EXPECT_EQ(selected, QStringLiteral("Office"));
  EXPECT_EQ(title, QStringLiteral("Printer Dialog"));
  EXPECT_EQ(chosen, "Reception");
}

TEST(PrinterChooser, SaysSoWhenThePrintersCannotBeListedAndStaysOpen) {
  const ScopedEnvironment nowhere("CUPS_SERVER", tempRoot() + "/no-scheduler.sock");
  cupsSetServer(nullptr);
  CPrinterDlg dialog(CPrinterDlg::systemPrinters());
  cupsSetServer(nullptr);
  EXPECT_EQ(dialog.printerList()->count(), 0);
  EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled());
  dialog.show();
  QMessageBox* notice = nullptr;
  ASSERT_TRUE(eventually([&] {
    QCoreApplication::processEvents();
    notice = dialog.findChild<QMessageBox*>();
    return notice && notice->isVisible();
  }));
  EXPECT_EQ(notice->text(), QStringLiteral("You do not have permission to view the printers."));
  notice->accept();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_THAT(logMessages(), Contains(HasSubstr("The printers cannot be listed: ")));
}

}  // namespace
}  // namespace ostrel
