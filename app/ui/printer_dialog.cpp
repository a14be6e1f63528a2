#include "app/ui/printer_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/localized_text.h"
#include "app/delivery/cups_queue.h"
#include "app/ui/artwork.h"
#include "app/ui/window_placement.h"
#include "app/ui/window_thread.h"
#include "platform/activity_log.h"

namespace ostrel {

namespace {

QString text(const char* key, const char* english) {
  return QString::fromStdString(programTexts()("Print", key, english));
}

}  // namespace

CPrinterDlg::PrinterList CPrinterDlg::systemPrinters() {
  PrinterList printers{QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName(), {}};
  // An empty list is either no printer at all or a print system that cannot be asked.
  if (printers.names.isEmpty()) printers.problem = cupsSchedulerProblem();
  return printers;
}

CPrinterDlg::CPrinterDlg(PrinterList printers, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), problem_(std::move(printers.problem)) {
  setWindowTitle(text("Title", "Printer Dialog"));
  setWindowIcon(artwork::programIcon());
  auto* label = new QLabel(text("Text1", "Select a printer:"), this);
  label->setBuddy(list_);
  list_->setObjectName(QStringLiteral("printers"));
  list_->addItems(printers.names);
  list_->setMinimumSize(260, 140);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(text("Button1", "OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(text("Button2", "Cancel"), QDialogButtonBox::RejectRole);
  ok_->setObjectName(QStringLiteral("ok"));
  cancel->setObjectName(QStringLiteral("cancel"));
  ok_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &CPrinterDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPrinterDlg::reject);
  connect(list_, &QListWidget::itemDoubleClicked, this, &CPrinterDlg::accept);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { ok_->setEnabled(row >= 0); });

  int selected = printers.names.isEmpty() ? -1 : 0;
  for (int i = 0; i < printers.names.size(); ++i) {
    if (printers.names[i].compare(printers.defaultName, Qt::CaseInsensitive) == 0) {
      selected = i;
      break;
    }
  }
  list_->setCurrentRow(selected);
  ok_->setEnabled(selected >= 0);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

void CPrinterDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
  if (shown_ || problem_.empty()) return;
  shown_ = true;
  Log("The printers cannot be listed: " + problem_);
  // Over the chooser, which stays open with its empty list.
  auto* notice = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                 text("Message1", "You do not have permission to view the printers."),
                                 QMessageBox::Ok, this);
  notice->setAttribute(Qt::WA_DeleteOnClose);
  notice->open();
}

void CPrinterDlg::accept() {
  const QListWidgetItem* item = list_->currentItem();
  if (!item) return;
  chosen_ = item->text();
  QDialog::accept();
}

std::optional<std::string> QtPrinterChooser::choosePrinter() {
  return onWindowThread([]() -> std::optional<std::string> {
    CPrinterDlg dialog(CPrinterDlg::systemPrinters());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosenPrinter().toStdString();
  });
}

}  // namespace ostrel
