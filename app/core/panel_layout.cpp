#include "app/core/panel_layout.h"

namespace ostrel {

int PanelLayout::rowOf(int index) const {
  if (index < 0 || index >= buttonCount_) return -1;
  const int row = index - offset_;
  return row >= 0 && row < kVisibleRows ? row : -1;
}

bool PanelLayout::scrollDown() {
  if (offset_ + kVisibleRows >= buttonCount_) return false;
  ++offset_;
  return true;
}

bool PanelLayout::scrollUp() {
  if (offset_ <= 0) return false;
  --offset_;
  return true;
}

}  // namespace ostrel
