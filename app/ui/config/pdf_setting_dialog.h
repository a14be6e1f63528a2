#pragma once
// CPdfSetDlg: the kind of PDF a button writes: 3 "Image Only", 0 "OCR with Text
// Replacement", 2 "Searchable PDF - Text under Image".
#include <optional>

#include "app/ui/config/config_dialog.h"

class QRadioButton;

namespace ostrel {

class CPdfSetDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CPdfSetDlg(QWidget* parent, int option, const LocalizedText& texts);
  int option() const;

 private:
  QRadioButton* imageOnly_;
  QRadioButton* textReplacement_;
  QRadioButton* textUnderImage_;
};

// The chosen option on OK, nullopt on Cancel.
std::optional<int> askPdfOption(QWidget* parent, int option, const LocalizedText& texts);

}  // namespace ostrel
