#pragma once
// CJpegSetDlg: the JPEG quality position, 1 ("Best", left) to 100 ("Smallest").
#include <optional>

#include "app/ui/config/config_dialog.h"

class QSlider;

namespace ostrel {

class CJpegSetDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CJpegSetDlg(QWidget* parent, int position, const LocalizedText& texts);
  int position() const;

 private:
  QSlider* slider_;
};

// The chosen position on OK, nullopt on Cancel.
std::optional<int> askJpegQuality(QWidget* parent, int position, const LocalizedText& texts);

}  // namespace ostrel
