// Renders the four pages of the advanced wizard, each with a scanned preview
// shown, into PNG files: wizard_snapshot <folder> [--long]. With --long every
// label gets a long translation, to see that nothing is clipped. Run it under
// a real X server (xvfb-run) with QT_SCALE_FACTOR 1 and 2; APPDATA names where
// the preview file goes.
#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/core/wizard/wizard_steps.h"
#include "app/ui/wizard/adv1_page.h"
#include "app/ui/wizard/adv2_page.h"
#include "app/ui/wizard/adv3_page.h"
#include "app/ui/wizard/adv4_page.h"
#include "app/ui/wizard/advanced_wizard.h"
#include "app/ui/wizard/preview_panel.h"
#include "scanners/protocol/bitmap_file.h"
#include "tools/pagegen/page_generator.h"

using namespace ostrel;

namespace {

void write(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A 100-dpi colour preview of a text page with a red form grid over it.
bool writePreview(const std::string& path) {
  auto page = pagegen::generatePage(pagegen::letterPage(100, 24, pagegen::Content::DenseText, 7));
  if (!page) return false;
  for (int y = 0; y < page->height(); ++y) {
    for (int x = 0; x < page->width(); ++x) {
      if (y % 60 < 2 || x % 120 < 2) {
        std::uint8_t* pixel = page->row(y) + 3 * x;
        pixel[0] = 40, pixel[1] = 40, pixel[2] = 220;
      }
    }
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return writeBitmapFile(*page, path);
}

const char* kLong = " - ausführliche Bezeichnung dieser Einstellung";

std::string longTexts() {
  const std::pair<const char*, std::vector<std::pair<const char*, const char*>>> sections[] = {
      {"Adv1",
       {{"LoadSettingText", "Load settings"}, {"ScanToAppText", "Scan Destination"},
        {"FileFormatText", "Scan File Format"}, {"SelectScanTimeText", "&Select at Scan Time"},
        {"RememberFolderText", "&Remember Last Selected Folder"}, {"CreateSubfolder", "&Automatically Create Subfolders"},
        {"SelectFinishedText", "Select Name When &Finished"}, {"NameOptionButton", "Naming Options"}}},
      {"Adv2",
       {{"ScanModeText", "Scan Mode"}, {"ResolutionText", "Resolution"}, {"HorizontalText", "Horizontal Offset"},
        {"VerticalText", "Vertical Offset"}, {"BrightnessText", "Brightness"}, {"ColorMatchText", "ColorMatch"},
        {"BothText", "Both Sides"}, {"PreviewText", "Preview Scan"}}},
      {"Adv3",
       {{"AutoOrient", "Auto-Orient to Text"}, {"Degree2", "90 degrees left"}, {"Batch3", "Use a blank page to separate output files"},
        {"Batch2", "Create new file every"}, {"MultiFeed3", "Stop Scanning after Misfeed"},
        {"MultiFeed4", "Audible Multi-Feed Alert"}, {"MorePage", "Ask for more pages when empty"}}},
      {"Adv4",
       {{"EdgeCleanup", "Edge Cleanup"}, {"Sensitivity", "Sensitivity (pixels)"}, {"BackgroundText", "Background color"},
        {"DropoutCheck", "Color Dropout"}, {"BlankRemove", "Blank Page Removal"}, {"PageSensitivity", "Page Sensitivity"},
        {"Profile", "Save the profile"}}},
  };
  std::string text;
  for (const auto& [section, keys] : sections) {
    text += std::string("[") + section + "]\r\n";
    for (const auto& [key, english] : keys) text += std::string(key) + "=" + english + kLong + "\r\n";
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
  const bool longTexts_ = argc > 2 && QByteArray(argv[2]) == "--long";
  const std::string root = out.absoluteFilePath(QStringLiteral("profiles")).toStdString();
  write(root + "/ScanSetting.ini",
        "[0]\r\nValid=1\r\nTitle=Forms\r\nResolution=300\r\nScanMode=1\r\nDropout=2\r\nBrightness=10\r\n"
        "Automatic=0\r\nPaperSize=4\r\nWidth=2550\r\nHeight=3300\r\nCheckDespeckle=1\r\nBlankPageRemove=1\r\n"
        "[1]\r\nValid=1\r\nTitle=Photo\r\nScanMode=2\r\n");
  write(root + "/ApplicationSetting.ini",
        "[0]\r\nValid=1\r\nTitle=Storage\r\nImageFormatCheck=-1\r\nDefaultFormat=64\r\n"
        "[1]\r\nValid=1\r\nTitle=Print\r\nPath=PRINT\r\nImageFormatCheck=1\r\n");
  write(root + "/ButtonSetting.ini",
        "[1]\r\nTitle=Invoices\r\nScanSetting=Forms\r\nApplicationSetting=Storage\r\nFileFormat=64\r\n"
        "ImageFolder=%MYDOCUMENTS%/Ostrel/Invoices/\r\nImageName=Invoice<YYYYMMDD><###>\r\nSelectFolder=1\r\n");
  const std::string textFile = root + "/ResourceSetting.ini";
  write(textFile, longTexts_ ? longTexts() : std::string());
  ProfileStore profiles;
  profiles.LoadScanSettings(root + "/ScanSetting.ini");
  profiles.LoadApplicationSettings(root + "/ApplicationSetting.ini");
  profiles.LoadButtonSettings(root + "/ButtonSetting.ini", 9);
  ScannerConfig scanner;
  scanner.hasFeeder = scanner.hasDuplex = true;
  scanner.maxWidth = 2550;
  scanner.maxLength = 4200;
  const LocalizedText texts(textFile);
  if (!writePreview(wizard::previewFilePath())) {
    std::fprintf(stderr, "The preview could not be written.\n");
    return 1;
  }
  WizardContext context{profiles, scanner, texts, 1, showWizardMessage, {}, AdvancedWizard::programDialogs()};
  context.dialogs.askProfileName = [](QWidget*) { return std::optional<std::string>(); };
  context.dialogs.jpegQuality = [](QWidget*, int) { return std::optional<int>(); };
  context.dialogs.browseFolder = [](QWidget*, const QString&, const std::string&) { return std::optional<std::string>(); };
  context.dialogs.namingMenu = [](QWidget&, QLineEdit&) {};

  const QString suffix = longTexts_ ? QStringLiteral("-long") : QString();
  int failures = 0;
  auto snap = [&](WizardPage& page, const QString& name) {
    page.show();
    QTest::qWait(600);  // the preview is read and drawn on its own thread
    if (!page.grab().save(out.absoluteFilePath(name + suffix + QStringLiteral(".png")))) ++failures;
    page.hide();
  };
  {
    CAdv1Dlg page(context);
    snap(page, QStringLiteral("adv1"));
  }
  {
    CAdv2Dlg page(context);
    snap(page, QStringLiteral("adv2"));
  }
  {
    CAdv3Dlg page(context);
    snap(page, QStringLiteral("adv3"));
  }
  {
    CAdv4Dlg page(context);
    snap(page, QStringLiteral("adv4"));
  }
  wizard::deletePreviewFile();
  return failures;
}
