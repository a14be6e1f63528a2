#pragma once
// The manager's button poller for its scanner, as the scanner's configuration
// asks: its driver library reads the sensors (a driver without the sensor
// exports reads no buttons), scanner.ini beside the driver holds the map and
// the button source, and every session or preview on the scanner pauses the
// poll for its length.
#include <memory>

#include "app/core/button_poller.h"
#include "app/scan/scanner_config.h"

namespace ostrel {

// The poll interval: a press is seen within this time, and reading a few
// options this often costs an idle manager next to nothing.
inline constexpr std::chrono::milliseconds kSensorPollInterval{150};

class ButtonPolling {
 public:
  // Starts polling when the scanner's button source is "poll" and its driver
  // reads sensors; says in the log what it does and why.
  ButtonPolling(ScannerConfig& config, ButtonPoller::Press press,
                std::chrono::milliseconds interval = kSensorPollInterval);
  // Stops polling and lets go of the scanner.
  ~ButtonPolling();
  ButtonPolling(const ButtonPolling&) = delete;
  ButtonPolling& operator=(const ButtonPolling&) = delete;

  bool polling() const { return poller_ != nullptr; }

 private:
  ScannerConfig& config_;
  std::unique_ptr<SensorSource> source_;
  std::unique_ptr<ButtonPoller> poller_;
};

}  // namespace ostrel
