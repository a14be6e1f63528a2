#include "app/ui/fax/fax_login_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/ui/artwork.h"
#include "app/ui/fax/fax_send_dialog.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/window_placement.h"

namespace ostrel {

namespace {

QLineEdit* readOnlyField(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setReadOnly(true);
  return field;
}

}  // namespace

QString CFaxLoginDlg::text(const char* key, const char* english) const {
  return QString::fromStdString(parts_.texts("FaxLogin", key, english));
}

CFaxLoginDlg::CFaxLoginDlg(FaxDialogParts parts, std::vector<std::string> documents, QWidget* parent)
    : QDialog(parent), parts_(std::move(parts)), documents_(std::move(documents)) {
  setWindowTitle(text("Title", "Fax Login"));
  setWindowIcon(artwork::programIcon());

  user_ = new QLineEdit(QString::fromStdString(parts_.memory.userId()), this);
  user_->setObjectName(QStringLiteral("userId"));
  password_ = new QLineEdit(QString::fromStdString(parts_.memory.password()), this);
  password_->setObjectName(QStringLiteral("password"));
  password_->setEchoMode(QLineEdit::Password);
  login_ = new QPushButton(text("0004", "&Login"), this);
  login_->setObjectName(QStringLiteral("login"));
  login_->setDefault(true);
  state_ = new QLabel(text("0015", "Not logged in."), this);
  state_->setObjectName(QStringLiteral("state"));

  auto* loginBox = new QGroupBox(text("0001", "Fax Service Login"), this);
  auto* loginForm = new QFormLayout;
  loginForm->addRow(text("0002", "User ID"), user_);
  loginForm->addRow(text("0003", "Password"), password_);
  auto* loginRow = new QHBoxLayout;
  loginRow->addWidget(state_, 1);
  loginRow->addWidget(login_);
  auto* loginLayout = new QVBoxLayout(loginBox);
  auto* hint = new QLabel(text("0013", "Enter the user ID and password of your fax service account."), loginBox);
  loginLayout->addWidget(hint);
  loginLayout->addLayout(loginForm);
  loginLayout->addLayout(loginRow);

  credit_ = readOnlyField(this, "credit");
  number_ = readOnlyField(this, "ownNumber");
  auto* accountBox = new QGroupBox(text("0005", "Account Information"), this);
  accountForm_ = new QFormLayout(accountBox);
  QFormLayout* accountForm = accountForm_;
  accountHint_ = new QLabel(text("0019", "Log in to see your credit and fax number."), accountBox);
  accountForm->addRow(accountHint_);
  accountForm->addRow(text("0006", "Credit"), credit_);
  accountForm->addRow(text("0007", "My Fax Number"), number_);

  buyCredit_ = new QPushButton(text("0009", "Buy Credit"), this);
  buyCredit_->setObjectName(QStringLiteral("buyCredit"));
  history_ = new QPushButton(text("0010", "Sent Fax History"), this);
  history_->setObjectName(QStringLiteral("sentHistory"));
  auto* signUp = new QPushButton(text("0011", "Sign Up"), this);
  signUp->setObjectName(QStringLiteral("signUp"));
  buyCredit_->setEnabled(false);
  history_->setEnabled(false);
  auto* webBox = new QGroupBox(text("0008", "Member Services"), this);
  auto* webLayout = new QVBoxLayout(webBox);
  webLayout->addWidget(new QLabel(text("0021", "Open the member pages in your browser."), webBox));
  auto* webRow = new QHBoxLayout;
  webRow->addWidget(buyCredit_);
  webRow->addWidget(history_);
  webLayout->addLayout(webRow);
  auto* signUpNote = new QLabel(text("0012", "Not a member yet? Sign up on the service's web site."), webBox);
  auto* signUpRow = new QHBoxLayout;
  signUpRow->addWidget(signUpNote, 1);
  signUpRow->addWidget(signUp);
  webLayout->addLayout(signUpRow);

  auto* buttons = new QDialogButtonBox(this);
  send_ = buttons->addButton(text("0023", "&Send Fax"), QDialogButtonBox::AcceptRole);
  send_->setObjectName(QStringLiteral("ok"));
  send_->setEnabled(false);
  QPushButton* cancel = buttons->addButton(text("0024", "&Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("cancel"));
  auto* note = new QLabel(text("0020", "The scanned documents are sent after you press Send Fax."), this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(loginBox);
  layout->addWidget(accountBox);
  layout->addWidget(webBox);
  layout->addWidget(note);
  layout->addWidget(buttons);
  // Labels keep to one line each: wrapped ones would leave the layout to
  // guess heights from widths, and squeeze the edit fields at large scales.

  connect(login_, &QPushButton::clicked, this, &CFaxLoginDlg::startLogin);
  connect(buyCredit_, &QPushButton::clicked, this, [this] { openWebPage(FaxWebPage::buyCredit); });
  connect(history_, &QPushButton::clicked, this, [this] { openWebPage(FaxWebPage::sentHistory); });
  connect(signUp, &QPushButton::clicked, this, [this] { openWebPage(FaxWebPage::signUp); });
  connect(buttons, &QDialogButtonBox::accepted, this, &CFaxLoginDlg::openSendDialog);
  connect(buttons, &QDialogButtonBox::rejected, this, &CFaxLoginDlg::reject);
}

CFaxLoginDlg::~CFaxLoginDlg() {
  // A login still under way finishes first: it uses the service and the texts.
  if (worker_) worker_->wait();
}

void CFaxLoginDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
}

void CFaxLoginDlg::startLogin() {
  if (worker_) return;
  const std::string userId = user_->text().toStdString();
  const std::string password = password_->text().toStdString();
  login_->setEnabled(false);
  auto outcome = std::make_shared<FaxLoginOutcome>();
  worker_ = QThread::create([this, outcome, userId, password] { *outcome = parts_.service.logIn(userId, password); });
  worker_->setParent(this);
  connect(worker_, &QThread::finished, this, [this, outcome, userId, password] {
    worker_->deleteLater();
    worker_ = nullptr;
    showOutcome(*outcome, userId, password);
  });
  worker_->start();
}

void CFaxLoginDlg::showOutcome(const FaxLoginOutcome& outcome, const std::string& userId,
                               const std::string& password) {
  if (outcome.loggedIn) {
    loggedUser_ = userId;
    loggedPassword_ = password;
    parts_.memory.rememberLogin(userId, password);
    credit_->setText(QString::fromStdString(outcome.credit));
    number_->setText(QString::fromStdString(outcome.ownNumber));
    user_->setReadOnly(true);
    password_->setReadOnly(true);
    send_->setEnabled(true);
    buyCredit_->setEnabled(true);
    history_->setEnabled(true);
    state_->setText(text("0014", "Logged in."));
    accountForm_->setRowVisible(accountHint_, false);
    send_->setDefault(true);
    send_->setFocus();
  } else {
    login_->setEnabled(true);
  }
  if (!outcome.message.empty()) {
    QMessageBox* box = newMessageBox(outcome.message, MessageKind::Error, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
  emit loginFinished(outcome.loggedIn);
}

std::string CFaxLoginDlg::openWebPage(FaxWebPage page) {
  // The member pages take the login as typed.
  const FaxWebForm form = webForm(page, readWebHosts(parts_.spoolBase), user_->text().toStdString(),
                                  password_->text().toStdString());
  const auto path = writePrivatePage(autoSubmitPage(form));
  if (!path) return {};
  if (parts_.openPage) parts_.openPage(*path);
  return *path;
}

void CFaxLoginDlg::openSendDialog() {
  hide();
  CFaxSendDlg send(parts_, {loggedUser_, loggedPassword_, number_->text().toStdString(), documents_}, parentWidget());
  send.exec();
  accept();
}

}  // namespace ostrel
