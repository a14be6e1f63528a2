#pragma once
// What the configuration dialogs share: centred on the desktop with the
// program icon, texts looked up by section and key, and the OK/Cancel row.
#include <QDialog>
#include <QString>

#include "app/settings/localized_text.h"

class QDialogButtonBox;
class QPushButton;

namespace ostrel {

class ConfigDialog : public QDialog {
  Q_OBJECT

 public:
  ConfigDialog(QWidget* parent, const LocalizedText& texts, const char* section);

 protected:
  void showEvent(QShowEvent* event) override;
  // The dialog's text for key, else english.
  QString text(const char* key, const char* english) const;
  const LocalizedText& texts() const { return texts_; }

 private:
  LocalizedText texts_;
  const char* section_;
};

// A button row with a default accept button and a reject button, both named
// for tests ("ok", "cancel"). Texts may carry mnemonics.
struct DialogButtons {
  QDialogButtonBox* box;
  QPushButton* ok;
  QPushButton* cancel;  // nullptr when asked for none
};
DialogButtons makeDialogButtons(QDialog& dialog, const QString& okText, const QString& cancelText);

// A warning box over parent with the given title.
void showWarning(QWidget* parent, const QString& title, const QString& message);

}  // namespace ostrel
