#pragma once
// CConfigDlg: the configuration window. The user picks a button and a mode;
// Next opens the easy dialog or the advanced wizard for that button.
#include <QPointer>

#include "app/ui/config/config_context.h"
#include "app/scan/scanner_config.h"
#include "app/ui/config/config_dialog.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace ostrel {

class CConfigDlg : public ConfigDialog {
  Q_OBJECT

 public:
  // preset 0: none, the first button is chosen.
  CConfigDlg(QWidget* parent, ConfigContext& context, int preset);
  int selectedButton() const;
  // The manager's close request: closes an open child first, then this window
  // with Cancel.
  void requestClose();

 public slots:
  // Next.
  void accept() override;

 private:
  void showDestination();

  ConfigContext& context_;
  QComboBox* buttons_;
  QLabel* destinationName_;
  QLabel* destinationIcon_;
  QRadioButton* easy_;
  QRadioButton* advanced_;
  QPointer<QDialog> openChild_;
  bool closing_ = false;
};

// The configuration window as the manager opens it.
class QtConfigurationWindow : public ConfigurationWindow {
 public:
  QtConfigurationWindow(ProfileStore& store, ScannerConfig& scanner, std::string programFolder,
                        CloudAccountDialog& cloudAccount)
      : store_(store), scanner_(scanner), programFolder_(std::move(programFolder)), cloudAccount_(cloudAccount) {}

  void run(int button) override;
  void requestClose() override;

 private:
  ProfileStore& store_;
  ScannerConfig& scanner_;
  std::string programFolder_;
  CloudAccountDialog& cloudAccount_;
  QPointer<CConfigDlg> open_;
};

}  // namespace ostrel
