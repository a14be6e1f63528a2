#include "app/ui/cloud/google_doc_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <thread>

#include "app/scan/job/cloud_folder_chooser.h"
#include "app/ui/artwork.h"

namespace ostrel {

namespace {

QString qText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CGoogleDocDlg::CGoogleDocDlg(CButtonSetting& button, std::string programFolder, QWidget* parent)
    : QDialog(parent), button_(button), programFolder_(std::move(programFolder)),
      texts_(resourceSettingPath(programFolder_)) {
  setWindowTitle(text("Title", "Upload to Google Docs"));
  setWindowIcon(artwork::programIcon());

  auto* heading = new QLabel(text("Text1", "Google Account"), this);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(20);
  font.setBold(true);
  heading->setFont(font);

  server_ = new QLineEdit(qText(button.server), this);
  server_->setObjectName(QStringLiteral("server"));
  // An empty field keeps the default of the user's settings, shown greyed.
  CButtonSetting withoutServer;
  server_->setPlaceholderText(qText(cloudServerOf(withoutServer)));
  server_->setMinimumWidth(320);
  user_ = new QLineEdit(qText(button.account), this);
  user_->setObjectName(QStringLiteral("user"));
  password_ = new QLineEdit(qText(button.password), this);
  password_->setObjectName(QStringLiteral("password"));
  password_->setEchoMode(QLineEdit::Password);

  // "{id}\path" carries the identifier in front of the shown path.
  std::string shown = button.imageFolder;
  folderId_ = button.id;
  if (shown.starts_with('{')) {
    if (const std::size_t close = shown.find('}'); close != std::string::npos) {
      folderId_ = shown.substr(1, close - 1);
      shown = shown.substr(close + 1);
    }
  }
  folder_ = new QLineEdit(qText(shown), this);
  folder_->setObjectName(QStringLiteral("folder"));
  folder_->setReadOnly(true);
  browse_ = new QPushButton(text("Button1", "Browse..."), this);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse_);

  auto* form = new QFormLayout;
  form->addRow(text("Text5", "Server:"), server_);
  form->addRow(text("Text2", "Username:"), user_);
  form->addRow(text("Text3", "Password:"), password_);
  form->addRow(text("Text4", "Folder:"), folderRow);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(text("Button2", "OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(text("Button3", "Cancel"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &CGoogleDocDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, &CGoogleDocDlg::browse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addSpacing(8);
  layout->addLayout(form);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CGoogleDocDlg::text(const char* key, const char* english) const {
  return qText(texts_("Google", key, english));
}

void CGoogleDocDlg::browse() {
  CButtonSetting typed;
  typed.server = server_->text().trimmed().toStdString();
  typed.account = user_->text().toStdString();
  typed.password = password_->text().toStdString();
  typed.imageFolder = folder_->text().toStdString();
  typed.id = folderId_;
  const std::string library = programFolder_ + "/" + kCloudChooserLibrary;

  // The login talks to the network: it runs on a worker thread while this one
  // keeps drawing; the chooser brings its tree back onto this thread.
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  CloudFolderChoice choice;
  QEventLoop waiting;
  {
    std::jthread worker([&] {
      choice = chooseCloudFolder(library, typed);
      QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QApplication::restoreOverrideCursor();
    waiting.exec();
  }
  setEnabled(true);
  switch (choice.outcome) {
    case CloudFolderOutcome::libraryMissing:
      QMessageBox::information(this, windowTitle(), text("Message1", "Drovel.dll is missing."));
      break;
    case CloudFolderOutcome::loginFailed:
      QMessageBox::warning(this, windowTitle(), text("Message2", "Login Google docs failed."));
      break;
    case CloudFolderOutcome::chosen:
      folder_->setText(qText(choice.folderPath));
      folderId_ = choice.folderId;
      break;
    case CloudFolderOutcome::notChosen:
      break;
  }
}

void CGoogleDocDlg::accept() {
  button_.server = server_->text().trimmed().toStdString();
  button_.account = user_->text().toStdString();
  button_.password = password_->text().toStdString();
  button_.id = folderId_;
  button_.imageFolder = folder_->text().toStdString();
  QDialog::accept();
}

std::optional<std::string> QtCloudAccountDialog::run(CButtonSetting& button, int) {
  CGoogleDocDlg dialog(button, programFolder_);
  open_ = &dialog;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  if (save_) save_(button);
  return dialog.folderId();
}

void QtCloudAccountDialog::requestClose() {
  if (open_) open_->reject();
}

}  // namespace ostrel
