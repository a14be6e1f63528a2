#pragma once
// CPrinterDlg: the printer chooser of a printing button. It lists the print
// system's printers with the default one selected (else the first); OK takes the
// selected printer's name, Cancel none. When the printers cannot be listed it
// says so ("Message1") and stays open with an empty list.
#include <QDialog>
#include <QStringList>
#include <string>

#include "app/delivery/printer_chooser.h"

class QListWidget;
class QPushButton;

namespace ostrel {

class CPrinterDlg : public QDialog {
  Q_OBJECT

 public:
  struct PrinterList {
    QStringList names;
    QString defaultName;
    std::string problem;  // why the printers cannot be listed; empty when they can
  };
  // The print system's printers, as Qt lists them from CUPS.
  static PrinterList systemPrinters();

  explicit CPrinterDlg(PrinterList printers, QWidget* parent = nullptr);

  QString chosenPrinter() const { return chosen_; }
  QListWidget* printerList() const { return list_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override;

 private:
  QListWidget* list_;
  QPushButton* ok_;
  std::string problem_;
  QString chosen_;
  bool shown_ = false;
};

class QtPrinterChooser : public PrinterChooser {
 public:
  std::optional<std::string> choosePrinter() override;
};

}  // namespace ostrel
