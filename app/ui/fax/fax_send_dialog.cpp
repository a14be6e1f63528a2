#include "app/ui/fax/fax_send_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/delivery/fax/fax_texts.h"
#include "app/ui/artwork.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/window_placement.h"

namespace ostrel {

namespace {

constexpr int kDomesticCode = 82;
// The font sizes offered for the cover text; the cover page sets each in
// pixels, the size plus 8. The 27th is chosen at first.
constexpr int kFontSizes = 40;
constexpr int kFirstFontSizeIndex = 26;
constexpr int kCoverPixelOffset = 8;

}  // namespace

QString CFaxSendDlg::text(const char* key, const char* english) const {
  return QString::fromStdString(parts_.texts("FaxSend", key, english));
}

CFaxSendDlg::CFaxSendDlg(const FaxDialogParts& parts, FaxSendInput input, QWidget* parent)
    : QDialog(parent), parts_(parts), input_(std::move(input)) {
  setWindowTitle(text("Title", "Send Fax"));
  setWindowIcon(artwork::programIcon());

  country_ = new QComboBox(this);
  country_->setObjectName(QStringLiteral("country"));
  for (const FaxCountry& country : parseCountryList(parts_.texts("Fax", "FaxCountryCode", ""))) {
    country_->addItem(QString::fromStdString(country.name), country.code);
  }
  country_->setCurrentIndex(country_->findData(kDomesticCode));

  receiver_ = new QComboBox(this);
  receiver_->setObjectName(QStringLiteral("receiver"));
  receiver_->setEditable(true);
  receiver_->setInsertPolicy(QComboBox::NoInsert);
  for (const auto& entry : historyEntries(parts_.memory.receiverHistory())) {
    receiver_->addItem(QString::fromStdString(entry));
  }
  receiver_->setCurrentIndex(receiver_->count() > 0 ? 0 : -1);

  subject_ = new QLineEdit(this);
  subject_->setObjectName(QStringLiteral("subject"));

  fontSize_ = new QComboBox(this);
  fontSize_->setObjectName(QStringLiteral("fontSize"));
  for (int size = 1; size <= kFontSizes; ++size) fontSize_->addItem(QString::number(size), size);
  fontSize_->setCurrentIndex(kFirstFontSizeIndex);

  cover_ = new QPlainTextEdit(this);
  cover_->setObjectName(QStringLiteral("cover"));
  cover_->setTabChangesFocus(true);

  documents_ = new QTreeWidget(this);
  documents_->setObjectName(QStringLiteral("documents"));
  documents_->setRootIsDecorated(false);
  documents_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
  documents_->setColumnWidth(0, 200);
  documents_->setColumnWidth(1, 60);
  for (const auto& document : input_.documents) {
    std::error_code error;
    const auto size = std::filesystem::file_size(document, error);
    auto* item = new QTreeWidgetItem(documents_);
    item->setText(0, QString::fromStdString(std::filesystem::path(document).filename().string()));
    item->setText(1, error ? QString() : QString::fromStdString(documentSizeText(size)));
    item->setToolTip(0, QString::fromStdString(document));
  }

  auto* form = new QFormLayout;
  form->addRow(text("0001", "Country"), country_);
  form->addRow(text("0002", "Receiver Fax Number"), receiver_);
  form->addRow(text("0003", "Subject"), subject_);
  auto* coverLabel = new QLabel(text("0004", "Cover Page Text"), this);
  auto* coverRow = new QHBoxLayout;
  coverRow->addWidget(coverLabel, 1);
  coverRow->addWidget(new QLabel(text("0007", "Font Size"), this));
  coverRow->addWidget(fontSize_);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* send = buttons->addButton(text("0006", "&Send"), QDialogButtonBox::AcceptRole);
  send->setObjectName(QStringLiteral("ok"));
  send->setDefault(true);
  QPushButton* cancel = buttons->addButton(text("0008", "&Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CFaxSendDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CFaxSendDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(coverRow);
  layout->addWidget(cover_, 1);
  layout->addWidget(new QLabel(text("0005", "Documents"), this));
  layout->addWidget(documents_, 1);
  layout->addWidget(buttons);
  setMinimumSize(420, 460);
}

void CFaxSendDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
}

void CFaxSendDlg::accept() {
  FaxRequest request;
  request.country = country_->currentData().toInt();
  request.receiver = receiver_->currentText().trimmed().toStdString();
  request.title = subject_->text().toStdString();
  request.userId = input_.userId;
  request.senderNo = input_.senderNo;
  request.documents = input_.documents;
  request.coverText = cover_->toPlainText().toStdString();
  request.coverPixelSize = fontSize_->currentData().toInt() + kCoverPixelOffset;
  QueuedFax queued = queueFax(parts_.spoolBase, request, parts_.clock);
  if (!queued.queued) {
    QMessageBox* box = newMessageBox("The fax was not queued: " + queued.error, MessageKind::Error, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return;
  }
  parts_.memory.rememberReceiver(request.receiver);
  queued_ = std::move(queued);
  QDialog::accept();
}

}  // namespace ostrel
