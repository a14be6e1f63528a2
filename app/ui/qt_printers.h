#pragma once
// The print system for the print step: Qt PrintSupport on CUPS. A printer's
// device context is a QPrinter on the named queue, at Qt's high resolution,
// with the queue's default paper and printable area. Callable from any thread:
// Qt's printer lists are read on the window thread, the pages are painted on
// the caller's.
#include "app/delivery/printing.h"

namespace ostrel {

class QtPrinters : public Printers {
 public:
  std::string defaultPrinter() override;
  Opened open(const std::string& printer) override;
};

}  // namespace ostrel
