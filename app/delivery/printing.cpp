#include "app/delivery/printing.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "imaging/image_file_reader.h"
#include "platform/activity_log.h"

namespace ostrel {

namespace {

constexpr const char* kDocumentName = "Farrow";

std::string listed(const std::vector<std::string>& files) {
  std::string text;
  for (const std::string& file : files) text += " \"" + file + "\"";
  return text;
}

// A reason as the end of a log line: with one full stop.
std::string sentence(const std::string& reason) { return reason.ends_with('.') ? reason : reason + "."; }

void logFilesStay(const std::vector<std::string>& files) {
  if (!files.empty()) Log("These files stay:" + listed(files));
}

}  // namespace

std::optional<PageSize> fitToPrintableArea(int imageWidth, int imageHeight, const PrintableArea& area) {
  // 64 bits: the products of device sizes overflow 32 bits at a high resolution.
  const std::int64_t dpi = area.dotsPerInch;
  const std::int64_t width = imageWidth * dpi / 300;
  const std::int64_t height = imageHeight * dpi / 300;
  const std::int64_t areaWidth = area.width;
  const std::int64_t areaHeight = area.height;
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return std::nullopt;
  PageSize size;
  if (width * areaHeight < height * areaWidth) {
    size.height = area.height;
    size.width = static_cast<int>(width * areaHeight / height);
  } else {
    size.width = area.width;
    size.height = static_cast<int>(height * areaWidth / width);
  }
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  return size;
}

void printFiles(CButtonSetting& button, std::vector<std::string>& files, const PrintParts& parts) {
  const std::vector<std::string> toPrint = std::exchange(files, {});
  if (button.imageFolder.empty()) button.imageFolder = parts.printers.defaultPrinter();
  const std::string& printer = button.imageFolder;

  Printers::Opened opened = parts.printers.open(printer);
  if (!opened.device) {
    Log("Printer Error.");
    Log("The printer \"" + printer + "\" cannot be used: " + sentence(opened.reason));
    logFilesStay(toPrint);
    parts.ui.showMessage(parts.text("Else", "Message8", "Printer Error"), MessageKind::Error);
    return;
  }
  PrinterDevice& device = *opened.device;
  const PrintableArea area = device.printableArea();
  if (!device.startDocument(kDocumentName)) {
    // The job never reached the printer, so its files are kept.
    Log("Start Document failed.");
    logFilesStay(toPrint);
    return;
  }

  Log("Start Printing...");
  std::vector<std::string> printed;
  for (const std::string& file : toPrint) {
    std::string error;
    const std::optional<Dib> image = readImageFile(file, &error);
    if (!image) {
      Log("Not printed: " + file + " cannot be read as an image (" + error + ").");
      continue;
    }
    const std::optional<PageSize> size = fitToPrintableArea(image->width(), image->height(), area);
    if (!size) {
      Log("Not printed: " + file + " is too small for the printer's resolution.");
      continue;
    }
    device.printPage(*image, size->width, size->height);
    printed.push_back(file);
  }
  const std::string refused = device.endDocument();
  Log("End Printing...");
  opened.device.reset();

  if (!refused.empty()) {
    Log("Printing failed: " + sentence(refused));
    logFilesStay(toPrint);
    return;
  }
  // The images were made for the printer only; CUPS holds the job now.
  std::vector<std::string> kept;
  for (const std::string& file : toPrint) {
    const bool wasPrinted = std::find(printed.begin(), printed.end(), file) != printed.end();
    if (!wasPrinted) {
      kept.push_back(file);
    } else if (std::remove(file.c_str()) != 0) {
      Log("The printed file " + file + " cannot be deleted: " + std::strerror(errno) + ".");
    }
  }
  logFilesStay(kept);
}

}  // namespace ostrel
