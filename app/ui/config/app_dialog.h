#pragma once
// CAppDlg: the properties of one destination, or a new destination when opened
// with a name the catalog does not hold.
#include <array>
#include <optional>
#include <string>

#include "app/core/configuration/destination_properties.h"
#include "app/ui/config/config_dialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ostrel {

class CAppDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CAppDlg(QWidget* parent, ProfileStore& store, const std::string& name, const LocalizedText& texts);
  // Set once OK has saved.
  const DestinationOutcome& outcome() const { return outcome_; }

 public slots:
  void accept() override;

 private:
  void browse();

  ProfileStore& store_;
  std::string openedName_;
  QLineEdit* name_;
  QLineEdit* path_;
  QPushButton* browse_;
  QLineEdit* before_;
  QLineEdit* after_;
  QCheckBox* folderOnly_;
  QCheckBox* singleEvent_;
  std::array<QCheckBox*, 10> formats_{};
  DestinationOutcome outcome_;
};

// The destination's name (and, for a new one, its default format) after OK;
// nullopt on Cancel.
std::optional<DestinationOutcome> editDestination(QWidget* parent, ProfileStore& store,
                                                  const std::string& name, const LocalizedText& texts);

}  // namespace ostrel
