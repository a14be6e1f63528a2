#pragma once
// The scanner's buttons read by the manager itself: while the scanner is idle
// its button sensors are read every interval on a thread of their own, and a
// sensor that turns on becomes a press of the button it stands for. While a
// scan or preview holds the scanner nothing is read and the device is let go,
// so the session owns it.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scanners/protocol/button_map.h"

namespace ostrel {

struct SensorState {
  std::string name;
  bool isNumber = false;
  int value = 0;
};

// Where the sensors are read.
class SensorSource {
 public:
  virtual ~SensorSource() = default;
  // Every sensor (none when the scanner has none); nullopt when the scanner
  // cannot be reached.
  virtual std::optional<std::vector<SensorState>> read() = 0;
  // Lets go of the scanner; the next read takes it again.
  virtual void release() = 0;
};

struct SensorPress {
  std::string sensor;
  int button = 0;
  bool operator==(const SensorPress&) const = default;
};

// From readings to presses, one press per change: a switch that turns on, a
// number that changes to another non-zero value. The first reading, and the
// first after reset(), only sets what counts as unchanged, so a button held
// down through a scan is not pressed again.
class SensorEdges {
 public:
  explicit SensorEdges(ButtonMap map) : map_(std::move(map)) {}
  std::vector<SensorPress> update(const std::vector<SensorState>& readings);
  void reset() { last_.reset(); }
  const ButtonMap& map() const { return map_; }

 private:
  ButtonMap map_;
  std::optional<std::vector<SensorState>> last_;
};

// "scan (button 1), email (button 2), function (its value)", for the log.
std::string describeSensors(const std::vector<SensorState>& sensors, const ButtonMap& map);

class ButtonPoller {
 public:
  using Press = std::function<void(int button)>;

  // press is called on the poller's thread.
  ButtonPoller(SensorSource& source, ButtonMap map, Press press, std::chrono::milliseconds interval);
  ~ButtonPoller();
  ButtonPoller(const ButtonPoller&) = delete;
  ButtonPoller& operator=(const ButtonPoller&) = delete;

  // Returns once the poller holds the scanner no more; reading stops until
  // as many resume() calls have come.
  void pause();
  void resume();

 private:
  enum class Outcome { Read, Unreachable, NoSensors };

  void run(std::stop_token stop);
  // One reading and the presses it shows.
  Outcome poll();

  SensorSource& source_;
  SensorEdges edges_;
  Press press_;
  std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable_any changed_;
  int pauses_ = 0;
  bool reading_ = false;  // a reading is under way, the scanner held
  bool held_ = false;     // the source holds the scanner
  bool unreachable_ = false;
  bool resetEdges_ = false;
  bool announced_ = false;
  std::jthread thread_;  // last: it starts once everything above is set up
};

}  // namespace ostrel
