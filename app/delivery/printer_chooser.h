#pragma once
// The printer chooser (CPrinterDlg) as the configuration asks it: a modal list of
// the system's printers with the default one selected. app/ui/ implements it.
#include <optional>
#include <string>

namespace ostrel {

class PrinterChooser {
 public:
  virtual ~PrinterChooser() = default;
  // The chosen printer's name on OK, nullopt on Cancel. May be called from any thread.
  virtual std::optional<std::string> choosePrinter() = 0;
};

}  // namespace ostrel
