#pragma once
// Printing the page images of a finished job, and what it asks of the print
// system: a device context for a named printer. app/ui/ implements that with Qt
// PrintSupport on CUPS; the calls may come from any thread.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/scan/user_interface.h"
#include "app/settings/localized_text.h"
#include "app/settings/profile_records.h"
#include "imaging/dib.h"

namespace ostrel {

// The printable area in device pixels and the device's resolution.
struct PrintableArea {
  int width = 0;
  int height = 0;
  int dotsPerInch = 0;
};

// One printer opened for one document. Destroying it without endDocument()
// drops the document: nothing reaches the printer.
class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;
  virtual PrintableArea printableArea() const = 0;
  // False when the document cannot be started.
  virtual bool startDocument(const std::string& name) = 0;
  // One page: the whole image stretched into width x height device pixels at the
  // top left corner of the printable area.
  virtual void printPage(const Dib& image, int width, int height) = 0;
  // Ends the document and hands it to the print system. Empty when the system
  // accepted the whole job (a document without pages is no job and passes),
  // else the reason it did not.
  virtual std::string endDocument() = 0;
};

class Printers {
 public:
  virtual ~Printers() = default;
  // The system's default printer; empty when there is none.
  virtual std::string defaultPrinter() = 0;
  struct Opened {
    std::unique_ptr<PrinterDevice> device;
    std::string reason;  // why there is no device
  };
  virtual Opened open(const std::string& printer) = 0;
};

// The size of an image of imageWidth x imageHeight pixels, taken as 300 dpi, in
// device pixels, fitted into the printable area with its aspect ratio kept: the
// full height when the image is relatively taller than the area, else the full
// width. nullopt when the image comes to nothing at the device's resolution.
struct PageSize {
  int width = 0;
  int height = 0;
  bool operator==(const PageSize&) const = default;
};
std::optional<PageSize> fitToPrintableArea(int imageWidth, int imageHeight, const PrintableArea& area);

struct PrintParts {
  Printers& printers;
  UserInterface& ui;
  const LocalizedText& text;
};

// Prints the files on the button's printer (ImageFolder; when empty the default
// printer, which the button then keeps in memory), one page each, as one
// document, and deletes the printed files once the print system has accepted
// the job. Files that were not printed stay. Leaves `files` empty.
void printFiles(CButtonSetting& button, std::vector<std::string>& files, const PrintParts& parts);

}  // namespace ostrel
