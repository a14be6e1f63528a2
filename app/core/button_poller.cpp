#include "app/core/button_poller.h"

#include <utility>

#include "platform/activity_log.h"

namespace ostrel {

namespace {

// A scanner that cannot be reached (switched off, unplugged, held by another
// program) is tried again less often.
constexpr std::chrono::seconds kRetryInterval{2};

}  // namespace

std::vector<SensorPress> SensorEdges::update(const std::vector<SensorState>& readings) {
  std::vector<SensorPress> presses;
  if (last_) {
    for (const SensorState& reading : readings) {
      const int button = map_.buttonFor(reading.name);
      if (button == 0) continue;
      int before = 0;
      for (const SensorState& old : *last_) {
        if (old.name == reading.name) before = old.value;
      }
      if (reading.value == before || reading.value == 0) continue;
      if (button == kButtonFromValue) {
        if (reading.value >= 1 && reading.value <= 9) presses.push_back({reading.name, reading.value});
      } else if (before == 0) {
        presses.push_back({reading.name, button});
      }
    }
  }
  last_ = readings;
  return presses;
}

std::string describeSensors(const std::vector<SensorState>& sensors, const ButtonMap& map) {
  std::string text;
  for (const SensorState& sensor : sensors) {
    const int button = map.buttonFor(sensor.name);
    text += (text.empty() ? "" : ", ") + sensor.name +
            (button == kButtonFromValue ? " (its value)"
             : button == 0              ? " (no button)"
                                        : " (button " + std::to_string(button) + ")");
  }
  return text;
}

ButtonPoller::ButtonPoller(SensorSource& source, ButtonMap map, Press press, std::chrono::milliseconds interval)
    : source_(source),
      edges_(std::move(map)),
      press_(std::move(press)),
      interval_(interval),
      thread_([this](std::stop_token stop) { run(stop); }) {}

ButtonPoller::~ButtonPoller() {
  thread_.request_stop();
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (held_) source_.release();
}

void ButtonPoller::pause() {
  std::unique_lock lock(mutex_);
  ++pauses_;
  changed_.notify_all();
  // A reading under way ends first; then the device is let go here, under the
  // lock, so no reading can start in between.
  changed_.wait(lock, [this] { return !reading_; });
  if (held_) {
    source_.release();
    held_ = false;
  }
}

void ButtonPoller::resume() {
  const std::lock_guard lock(mutex_);
  if (pauses_ > 0) --pauses_;
  resetEdges_ = true;
  changed_.notify_all();
}

void ButtonPoller::run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    if (pauses_ == 0) {
      if (std::exchange(resetEdges_, false)) edges_.reset();
      reading_ = true;
      lock.unlock();
      const Outcome outcome = poll();
      lock.lock();
      reading_ = false;
      held_ = outcome == Outcome::Read;
      changed_.notify_all();
      if (outcome == Outcome::NoSensors) {
        source_.release();
        return;
      }
      unreachable_ = outcome == Outcome::Unreachable;
    }
    const auto wait = unreachable_ ? std::chrono::duration_cast<std::chrono::milliseconds>(kRetryInterval) : interval_;
    const int pausesBefore = pauses_;
    // A pause or resume ends the wait early: after a resume the poll goes on at once.
    changed_.wait_for(lock, stop, wait, [&] { return pauses_ != pausesBefore; });
  }
}

// Runs without the lock; unreachable_ and announced_ change only on this thread.
ButtonPoller::Outcome ButtonPoller::poll() {
  const std::optional<std::vector<SensorState>> readings = source_.read();
  if (!readings) {
    if (!unreachable_) Log("The scanner's button sensors cannot be read now; trying again every 2 seconds.");
    edges_.reset();
    return Outcome::Unreachable;
  }
  if (unreachable_) Log("The scanner's button sensors can be read again.");
  if (readings->empty()) {
    Log("The scanner's backend shows no button sensors; its buttons are not read.");
    return Outcome::NoSensors;
  }
  if (!std::exchange(announced_, true)) {
    Log("The scanner's buttons are read every " + std::to_string(interval_.count()) +
        " ms from its sensors: " + describeSensors(*readings, edges_.map()) + ".");
  }
  for (const SensorPress& press : edges_.update(*readings)) {
    Log("The button sensor " + press.sensor + " is pressed: button " + std::to_string(press.button) + ".");
    press_(press.button);
  }
  return Outcome::Read;
}

}  // namespace ostrel
