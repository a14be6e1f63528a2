#pragma once
// Balloons asked for from a thread that is not the panel's and outlives any one
// job (an upload that failed after its job ended): each is posted to the
// window thread and shown by the panel attached there. A balloon with no panel
// attached (before the panel is made, after it is gone) is dropped; what it
// said is in the activity log already.
#include <functional>
#include <string>

#include "app/core/manager_interfaces.h"

namespace ostrel {

class BalloonRelay {
 public:
  using Post = std::function<void(std::function<void()>)>;
  // post runs a call on the window thread, or drops it when that thread serves no more.
  explicit BalloonRelay(Post post) : post_(std::move(post)) {}

  // Any thread.
  void show(std::string text) {
    post_([this, text = std::move(text)] {
      if (panel_) panel_->showBalloon(text);
    });
  }
  // On the window thread; nullptr detaches.
  void attach(PanelView* panel) { panel_ = panel; }

 private:
  Post post_;
  PanelView* panel_ = nullptr;  // read and written on the window thread only
};

}  // namespace ostrel
