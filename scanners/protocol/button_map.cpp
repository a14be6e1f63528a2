#include "scanners/protocol/button_map.h"

#include <algorithm>
#include <cctype>

#include "platform/text.h"
#include "platform/ini_file.h"

namespace ostrel {

namespace {

constexpr std::string_view kButtons = "Buttons";
constexpr std::string_view kSensors = "ButtonSensors";

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
  return out;
}

// "button-3", "button_3", "button3": 3.
int numberedButton(std::string_view name) {
  constexpr std::string_view kPrefix = "button";
  if (!name.starts_with(kPrefix)) return 0;
  name.remove_prefix(kPrefix.size());
  if (!name.empty() && (name.front() == '-' || name.front() == '_')) name.remove_prefix(1);
  if (name.size() != 1 || name.front() < '1' || name.front() > '9') return 0;
  return name.front() - '0';
}

}  // namespace

std::string buttonSourceName(ButtonSource source) {
  switch (source) {
    case ButtonSource::Poll: return "poll";
    case ButtonSource::Scanbd: return "scanbd";
    case ButtonSource::None: return "none";
  }
  return "poll";
}

std::optional<ButtonSource> parseButtonSource(std::string_view text) {
  const std::string name = lower(text);
  if (name == "poll") return ButtonSource::Poll;
  if (name == "scanbd") return ButtonSource::Scanbd;
  if (name == "none") return ButtonSource::None;
  return std::nullopt;
}

std::optional<int> parseSensorButton(std::string_view text) {
  const std::string value = lower(text);
  if (value == "value") return kButtonFromValue;
  if (value == "none") return 0;
  if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') return value[0] - '0';
  return std::nullopt;
}

std::string sensorButtonText(int button) {
  if (button == kButtonFromValue) return "value";
  return button >= 1 && button <= 9 ? std::to_string(button) : "none";
}

ButtonMap ButtonMap::defaults() {
  ButtonMap map;
  map.entries = {{"scan", 1}, {"email", 2}, {"copy", 3},  {"pdf", 4},   {"file", 5},
                 {"ocr", 6},  {"fax", 7},   {"print", 8}, {"web", 9},
                 {"function", kButtonFromValue}, {"button", kButtonFromValue}};
  return map;
}

ButtonMap ButtonMap::load(const std::string& scannerIni, std::string* problems) {
  ButtonMap map = defaults();
  const std::string source = platform::GetPrivateProfileString(kButtons, "Source", "poll", scannerIni);
  if (const auto parsed = parseButtonSource(source)) {
    map.source = *parsed;
  } else if (problems) {
    *problems += "the button source \"" + source + "\" is none of poll, scanbd, none; poll is used. ";
  }
  for (const std::string& key : platform::GetPrivateProfileKeyNames(kSensors, scannerIni)) {
    const std::string value = platform::GetPrivateProfileString(kSensors, key, "", scannerIni);
    if (const auto button = parseSensorButton(value)) {
      map.entries[lower(key)] = *button;
    } else if (problems) {
      *problems += "the sensor " + key + " maps to \"" + value + "\", which is no button. ";
    }
  }
  return map;
}

int ButtonMap::buttonFor(std::string_view sensor) const {
  const std::string name = lower(sensor);
  if (const auto found = entries.find(name); found != entries.end()) return found->second;
  return numberedButton(name);
}

std::string scannerIniBeside(const std::string& driverPath) {
  return platform::joinPath(platform::folderOf(driverPath), "scanner.ini");
}

bool saveSensorButton(const std::string& scannerIni, std::string_view sensor, int button) {
  return platform::WritePrivateProfileString(kSensors, sensor, sensorButtonText(button), scannerIni);
}

bool saveButtonSource(const std::string& scannerIni, ButtonSource source) {
  return platform::WritePrivateProfileString(kButtons, "Source", buttonSourceName(source), scannerIni);
}

}  // namespace ostrel
