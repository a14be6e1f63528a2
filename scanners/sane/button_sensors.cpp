#include "scanners/sane/button_sensors.h"

#include <cmath>
#include <variant>



namespace ostrel::sane {

std::vector<OptionDescription> findSensors(const std::vector<OptionDescription>& options) {
  std::vector<OptionDescription> sensors;
  for (const OptionDescription& option : options) {
    // A hard-select option software may also set is a setting with a
    // hardware switch beside it, not a button.
    if (!option.active || !option.hardSelect || option.settable || option.valueCount != 1) continue;
    if (option.type == OptionType::Bool || option.type == OptionType::Int) sensors.push_back(option);
  }
  return sensors;
}

std::optional<std::vector<SensorReading>> readSensors(const OptionAccess& device,
                                                      const std::vector<OptionDescription>& sensors) {
  std::vector<SensorReading> readings;
  readings.reserve(sensors.size());
  for (const OptionDescription& sensor : sensors) {
    const std::optional<OptionValue> value = device.value(sensor.name);
    if (!value) return std::nullopt;
    SensorReading reading{sensor.name, sensor.type == OptionType::Int, 0};
    if (const auto* flag = std::get_if<bool>(&*value)) {
      reading.value = *flag ? 1 : 0;
    } else if (const auto* number = std::get_if<double>(&*value)) {
      reading.value = static_cast<int>(std::lround(*number));
    } else {
      return std::nullopt;
    }
    readings.push_back(std::move(reading));
  }
  return readings;
}

}  // namespace ostrel::sane
