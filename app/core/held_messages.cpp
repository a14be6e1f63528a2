#include "app/core/held_messages.h"

#include <algorithm>
#include <utility>

#include "platform/activity_log.h"

namespace ostrel {

void HeldMessages::showMessage(std::string_view text, MessageKind kind) {
  Log(text);
  const std::lock_guard lock(mutex_);
  // A message repeated page after page (a barcode that cannot be read) is one box line.
  if (std::find(texts_.begin(), texts_.end(), text) == texts_.end()) texts_.emplace_back(text);
  kind_ = std::max(kind_, kind);
}

std::optional<HeldMessages::Held> HeldMessages::take() {
  const std::lock_guard lock(mutex_);
  if (texts_.empty()) return std::nullopt;
  Held held{texts_.front(), std::exchange(kind_, MessageKind::Information)};
  for (auto text = texts_.begin() + 1; text != texts_.end(); ++text) held.text += "\n\n" + *text;
  texts_.clear();
  return held;
}

}  // namespace ostrel
