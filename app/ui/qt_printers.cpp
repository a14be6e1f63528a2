#include "app/ui/qt_printers.h"

#include <stdlib.h>
#include <unistd.h>

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <filesystem>

#include "app/delivery/cups_queue.h"
#include "app/ui/dib_image.h"
#include "app/ui/window_thread.h"

namespace ostrel {

namespace {

// A file of our own for the document, removed with the object.
class SpoolFile {
 public:
  SpoolFile() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::string pattern = (folder / "ostrel-print-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return;
    ::close(fd);
    path_ = pattern;
  }
  ~SpoolFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class QtPrinterDevice : public PrinterDevice {
 public:
  explicit QtPrinterDevice(const QPrinterInfo& info) : printer_(info, QPrinter::HighResolution) {
    // A new QPrinter keeps Qt's own paper, not the queue's.
    printer_.setPageSize(info.defaultPageSize());
  }

  PrintableArea printableArea() const override {
    return {printer_.width(), printer_.height(), printer_.logicalDpiX()};
  }

  bool startDocument(const std::string& name) override {
    // Qt hands the document to CUPS itself but does not say whether CUPS took
    // it, so it writes the document to a file of ours (a name without ".pdf"
    // keeps the printer's own engine) and endDocument submits that.
    spool_ = std::make_unique<SpoolFile>();
    if (spool_->path().empty()) return false;
    title_ = name;
    printer_.setOutputFileName(QString::fromStdString(spool_->path()));
    printer_.setDocName(QString::fromStdString(name));
    return painter_.begin(&printer_);
  }

  void printPage(const Dib& image, int width, int height) override {
    if (pages_ > 0) printer_.newPage();
    painter_.save();
    painter_.drawImage(QRect(0, 0, width, height), toQImage(image));
    painter_.restore();
    ++pages_;
  }

  std::string endDocument() override {
    if (!painter_.end()) return "the document cannot be written to " + spool_->path();
    if (pages_ == 0) return {};
    return submitToCups(printer_.printerName().toStdString(), spool_->path(), title_,
                        {{"media", printer_.pageLayout().pageSize().key().toStdString()}, {"sides", "one-sided"}});
  }

 private:
  QPrinter printer_;
  QPainter painter_;  // after the printer: ends before it goes
  std::unique_ptr<SpoolFile> spool_;
  std::string title_;
  int pages_ = 0;
};

}  // namespace

std::string QtPrinters::defaultPrinter() {
  return onWindowThread([] { return QPrinterInfo::defaultPrinterName().toStdString(); });
}

Printers::Opened QtPrinters::open(const std::string& printer) {
  if (std::string problem = cupsQueueProblem(printer); !problem.empty()) return {nullptr, problem};
  std::unique_ptr<PrinterDevice> device = onWindowThread([&printer]() -> std::unique_ptr<PrinterDevice> {
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(printer));
    if (info.isNull()) return nullptr;
    return std::make_unique<QtPrinterDevice>(info);
  });
  if (!device) return {nullptr, "Qt finds no printer named \"" + printer + "\""};
  return {std::move(device), {}};
}

}  // namespace ostrel
