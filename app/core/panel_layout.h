#pragma once
// The panel's button list: five rows 40 pixels apart show the buttons from the
// scroll offset on; the arrows move the offset one row at a time, never past
// the first button nor so far that a row would stay empty.
namespace ostrel {

class PanelLayout {
 public:
  static constexpr int kVisibleRows = 5;
  static constexpr int kRowHeight = 40;
  // Where a button out of view is moved to.
  static constexpr int kHiddenX = 300;

  explicit PanelLayout(int buttonCount) : buttonCount_(buttonCount) {}

  int offset() const { return offset_; }
  int buttonCount() const { return buttonCount_; }

  // The row (0..4) of button index i (0-based), or -1 when it is out of view.
  int rowOf(int index) const;

  // True when the offset changed.
  bool scrollDown();
  bool scrollUp();

 private:
  int buttonCount_;
  int offset_ = 0;
};

}  // namespace ostrel
