#pragma once
// What the four pages of the advanced wizard share: the records they edit, the
// heading with the button's number and name, Back and Next at the bottom, and
// the three ways out. Next and Back copy the page's controls into the records
// (Back on the last page without saving); the close box copies nothing and
// ends the whole configuration. Return presses Next (Finish), Escape is Back.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "app/core/wizard/wizard_steps.h"
#include "app/scan/scanner_config.h"
#include "app/settings/localized_text.h"
#include "app/settings/profile_store.h"

class QBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrel {

// The dialogs the pages open. Each is the program's own dialog in the running
// wizard; tests put recorders in their place. One left empty is not offered:
// its button stays disabled.
struct WizardDialogs {
  // The name for "Save the profile"; nullopt or empty: nothing is saved.
  std::function<std::optional<std::string>(QWidget* parent)> askProfileName;
  // The JPEG quality position on OK.
  std::function<std::optional<int>(QWidget* parent, int position)> jpegQuality;
  // The destination properties of the named destination, or a new one for a
  // name not in the catalog: the destination's name and default format on OK.
  struct Destination {
    std::string name;
    int defaultFormat = 0;
  };
  std::function<std::optional<Destination>(QWidget* parent, const std::string& name)> destinationProperties;
  // The FTP settings of the button; true on OK.
  std::function<bool(QWidget* parent, CButtonSetting& button)> ftp;
  // A printer for a printing button.
  std::function<std::optional<std::string>(QWidget* parent)> choosePrinter;
  // The cloud account of the button: the chosen folder's identifier on OK.
  std::function<std::optional<std::string>(QWidget* parent, CButtonSetting& button)> cloudAccount;
  // Browse for a cloud destination: the folder field's new text (nullopt:
  // unchanged) and then the cloud folder identifier.
  struct CloudFolder {
    std::optional<std::string> folder;
    std::optional<std::string> id;
  };
  std::function<CloudFolder(QWidget* parent, CButtonSetting& button, const std::string& field)> cloudBrowse;
  // A folder for the folder field (with its trailing separator); nullopt when cancelled.
  std::function<std::optional<std::string>(QWidget* parent, const QString& title, const std::string& field)> browseFolder;
  // Shows the naming token menu under the anchor; the choice edits the field.
  std::function<void(QWidget& anchor, QLineEdit& field)> namingMenu;
};

struct WizardContext {
  ProfileStore& profiles;
  ScannerConfig& scanner;
  const LocalizedText& texts;
  int button = 1;  // 1-based
  // A message box over the page; tests record them instead.
  std::function<void(QWidget* page, const std::string& text)> showMessage;
  std::string sourceManagerPath;
  WizardDialogs dialogs;
};

class WizardPage : public QDialog {
  Q_OBJECT

 public:
  WizardPage(WizardContext& context, const char* section, const char* titleDefault, const char* nextDefault,
             QWidget* parent = nullptr);

  CButtonSetting& button() const;
  // The button's scan profile; a button without one gets the first of the list.
  CScanSetting& profile() const;

  // How the page was left once exec() has returned.
  wizard::PageExit exit() const { return exit_; }
  // The close box: the configuration ends and this page copies nothing.
  void requestClose();

  QPushButton* nextButton() const { return next_; }
  QPushButton* backButton() const { return back_; }
  QLineEdit* nameField() const { return name_; }

 public slots:
  void goNext();
  void goBack();
  void reject() override;  // Escape

 protected:
  // Copies the controls into the records; next tells Next from Back.
  virtual void copyControls(bool next) = 0;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

  QString text(const char* key, const char* englishDefault) const;
  void message(const std::string& text);
  // The page's own controls go here, between the heading and the buttons.
  QBoxLayout* body() const { return body_; }

  WizardContext& context_;
  const char* section_;

 private:
  void copyTitle();

  QLineEdit* name_;
  QPushButton* back_;
  QPushButton* next_;
  QBoxLayout* body_;
  wizard::PageExit exit_ = wizard::PageExit::Closed;
  bool tabOrderSet_ = false;
};

}  // namespace ostrel
