#pragma once
// Which scanner button each button sensor stands for, and where a scanner's
// button presses come from, kept per scanner in its driver's scanner.ini:
//
//   [Buttons]
//   Source=poll            poll (the manager reads the sensors), scanbd, none
//   [ButtonSensors]
//   scan=1                 a switch sensor: its press is button 1
//   function=value         a number sensor: its new value is the button
//   email=0                not a button
//
// Entries there stand over the map of the common names (defaults()); sensor
// names are compared without case.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

enum class ButtonSource { Poll, Scanbd, None };

// A number sensor whose value, when it changes to 1..9, is the button.
inline constexpr int kButtonFromValue = -1;

std::string buttonSourceName(ButtonSource source);
std::optional<ButtonSource> parseButtonSource(std::string_view text);

// "1" to "9", "value" (kButtonFromValue), or "0" and "none" (not a button).
std::optional<int> parseSensorButton(std::string_view text);
std::string sensorButtonText(int button);

struct ButtonMap {
  ButtonSource source = ButtonSource::Poll;
  std::map<std::string, int> entries;  // lower-case names

  // scan 1, email 2, copy 3, pdf 4, file 5, ocr 6, fax 7, print 8, web 9;
  // button-N, button_N and buttonN N; function and button their value.
  static ButtonMap defaults();
  // The defaults with the file's entries over them. Entries that do not read
  // are left out, each with a line in problems.
  static ButtonMap load(const std::string& scannerIni, std::string* problems = nullptr);

  // The button a sensor stands for: 1..9, kButtonFromValue, or 0.
  int buttonFor(std::string_view sensor) const;
};

// The scanner.ini beside a driver library.
std::string scannerIniBeside(const std::string& driverPath);

// Writes one entry (button as parseSensorButton reads it) or the source.
bool saveSensorButton(const std::string& scannerIni, std::string_view sensor, int button);
bool saveButtonSource(const std::string& scannerIni, ButtonSource source);

}  // namespace ostrel
