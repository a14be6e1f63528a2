#include "app/core/button_polling.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "platform/activity_log.h"
#include "platform/dynamic_library.h"
#include "scanners/protocol/driver_interface.h"

namespace ostrel {

namespace {

// More sensors than any scanner shows.
constexpr int kMostSensors = 64;

// The sensors as the scanner's driver library reads them.
class DriverSensors final : public SensorSource {
 public:
  static std::unique_ptr<DriverSensors> open(const std::string& driverPath) {
    // An empty path would make the loader hand back the program itself.
    if (driverPath.empty()) return nullptr;
    auto library = platform::DynamicLibrary::open(driverPath);
    if (!library) return nullptr;
    auto* read = library->function<ReadButtonSensorsFunction>("ReadButtonSensors");
    auto* release = library->function<ReleaseButtonSensorsFunction>("ReleaseButtonSensors");
    if (!read || !release) return nullptr;
    return std::unique_ptr<DriverSensors>(new DriverSensors(std::move(*library), read, release));
  }
  ~DriverSensors() override { release_(); }

  std::optional<std::vector<SensorState>> read() override {
    const int count = read_(records_.data(), kMostSensors);
    if (count < 0) return std::nullopt;
    std::vector<SensorState> sensors;
    for (int i = 0; i < std::min(count, kMostSensors); ++i) {
      const ButtonSensorRecord& record = records_[static_cast<std::size_t>(i)];
      sensors.push_back({std::string(record.name, strnlen(record.name, sizeof record.name)),
                         record.kind == kSensorNumber, record.value});
    }
    return sensors;
  }
  void release() override { release_(); }

 private:
  DriverSensors(platform::DynamicLibrary library, ReadButtonSensorsFunction* read,
                ReleaseButtonSensorsFunction* release)
      : library_(std::move(library)), read_(read), release_(release) {}

  platform::DynamicLibrary library_;
  ReadButtonSensorsFunction* read_;
  ReleaseButtonSensorsFunction* release_;
  std::array<ButtonSensorRecord, kMostSensors> records_{};
};

}  // namespace

ButtonPolling::ButtonPolling(ScannerConfig& config, ButtonPoller::Press press, std::chrono::milliseconds interval)
    : config_(config) {
  std::string problems;
  const ButtonMap map = ButtonMap::load(scannerIniBeside(config.driverPath), &problems);
  if (!problems.empty()) Log("The scanner's button settings: " + problems);
  switch (map.source) {
    case ButtonSource::Scanbd:
      Log("The scanner's buttons reach Ostrel through scanbd (button source scanbd).");
      return;
    case ButtonSource::None:
      Log("The scanner's buttons are not read (button source none).");
      return;
    case ButtonSource::Poll: break;
  }
  source_ = DriverSensors::open(config.driverPath);
  if (!source_) {
    Log("The scanner's driver reads no button sensors; its buttons are not read.");
    return;
  }
  poller_ = std::make_unique<ButtonPoller>(*source_, map, std::move(press), interval);
  config_.onClaim = [poller = poller_.get()](bool claimed) {
    if (claimed) {
      poller->pause();
    } else {
      poller->resume();
    }
  };
}

ButtonPolling::~ButtonPolling() {
  if (poller_) config_.onClaim = nullptr;
}

}  // namespace ostrel
