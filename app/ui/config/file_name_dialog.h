#pragma once
// CFileNameDlg: the name of a new scan profile. It has no close box and no
// Cancel: it ends only through OK, which is enabled while the name is not empty.
#include <string>

#include "app/ui/config/config_dialog.h"

class QLineEdit;
class QPushButton;

namespace ostrel {

class CFileNameDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CFileNameDlg(QWidget* parent, const LocalizedText& texts, const QString& name = {});
  std::string name() const;

 public slots:
  // Escape and the window manager's close do nothing: a name must be given.
  void reject() override {}

 private:
  QLineEdit* name_;
  QPushButton* ok_;
};

// Runs the dialog; the name the user gave.
std::string askProfileName(QWidget* parent, const LocalizedText& texts, const std::string& name = {});

}  // namespace ostrel
