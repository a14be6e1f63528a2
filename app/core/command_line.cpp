#include "app/core/command_line.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "platform/activity_log.h"
#include "platform/text.h"

namespace ostrel {

namespace {

constexpr std::string_view kDeviceSwitch = "/StiDevice:";
constexpr std::string_view kEventSwitch = "/StiEvent:";
constexpr std::string_view kProductSwitch = "/ProductCode:";
constexpr std::size_t kProductCodeLength = 38;

// Event identifiers of the scanner's still-image events, in lower case.
constexpr std::array<std::pair<std::string_view, int>, 20> kEvents = {{
    {"{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}", 0},
    {"{2f596c80-76ec-11da-aafd-0050ba1aca6f}", 1},
    {"{556b9161-dd64-11d7-aafb-0050ba1aca6f}", 11},
    {"{2f596c81-76ec-11da-aafd-0050ba1aca6f}", 2},
    {"{556b9162-dd64-11d7-aafb-0050ba1aca6f}", 12},
    {"{2f596c82-76ec-11da-aafd-0050ba1aca6f}", 3},
    {"{556b9163-dd64-11d7-aafb-0050ba1aca6f}", 13},
    {"{2f596c83-76ec-11da-aafd-0050ba1aca6f}", 4},
    {"{d87c0860-dd6d-11d7-aafb-0050ba1aca6f}", 14},
    {"{2f596c84-76ec-11da-aafd-0050ba1aca6f}", 5},
    {"{d87c0861-dd6d-11d7-aafb-0050ba1aca6f}", 15},
    {"{2f596c85-76ec-11da-aafd-0050ba1aca6f}", 6},
    {"{d87c0862-dd6d-11d7-aafb-0050ba1aca6f}", 16},
    {"{2f596c86-76ec-11da-aafd-0050ba1aca6f}", 7},
    {"{d87c0863-dd6d-11d7-aafb-0050ba1aca6f}", 17},
    {"{2f596c87-76ec-11da-aafd-0050ba1aca6f}", 8},
    {"{d87c0864-dd6d-11d7-aafb-0050ba1aca6f}", 18},
    {"{2f596c88-76ec-11da-aafd-0050ba1aca6f}", 9},
    {"{d87c0865-dd6d-11d7-aafb-0050ba1aca6f}", 19},
    {"configuration", 10},
}};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

CommandLine commandLineOf(std::vector<std::string> words) {
  CommandLine line;
  for (const std::string& word : words) {
    if (&word != &words.front()) line.text += ' ';
    line.text += word;
  }
  if (!words.empty()) {
    line.program = std::move(words.front());
    line.arguments.assign(std::make_move_iterator(words.begin() + 1),
                          std::make_move_iterator(words.end()));
  }
  return line;
}

StartForm startForm(const CommandLine& commandLine) {
  const auto& arguments = commandLine.arguments;
  if (std::any_of(arguments.begin(), arguments.end(),
                  [](const std::string& argument) { return argument == "--help" || argument == "-h"; })) {
    return StartForm::Help;
  }
  const std::string_view text = commandLine.text;
  if (contains(text, kDeviceSwitch)) return StartForm::Scanner;
  if (contains(text, "-closeobx")) return StartForm::Uninstall;
  if (contains(text, kProductSwitch)) return StartForm::Install;
  if (contains(text, "/Configure")) return StartForm::Configure;
  const bool blankOnly = std::all_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
    return argument.find_first_not_of(' ') == std::string::npos;
  });
  return blankOnly ? StartForm::StartAll : StartForm::Unknown;
}

std::string programName(std::string_view program) {
  const std::size_t slash = program.rfind('/');
  return std::string(slash == std::string_view::npos ? program : program.substr(slash + 1));
}

std::string usageText(std::string_view program) {
  const std::string name = programName(program);
  const std::string indent(7, ' ');
  return "Usage: " + name + " \"/StiDevice:DEVICE /StiEvent:EVENT\"\n" + indent + name +
         " /Configure | /ProductCode:CODE | -closeobx | --help\n" + indent + name + "\n"
         "\n"
         "/StiDevice:DEVICE /StiEvent:EVENT\n"
         "    Run as the button manager of the scanner registered as DEVICE (see\n"
         "    `ostrel-device list`), or hand EVENT to the manager already running for it.\n"
         "    EVENT is a button's event identifier, {d87c0866-dd6d-11d7-aafb-0050ba1aca6f}\n"
         "    to start the manager, or Configuration; any other EVENT closes the manager.\n"
         "/Configure          open the configuration of every scanner\n"
         "/ProductCode:CODE   register the program after its installation: start it at\n"
         "                    login, and move the data folder aside to\n"
         "                    Ostrel.before-<date-time> so the next start is fresh\n"
         "-closeobx           close every manager and clean up before removal: the\n"
         "                    autostart entry, the scanbd hook and the data folder go\n"
         "(no arguments)      start a manager for every scanner, new SANE ones registered\n"
         "--help, -h          show this text\n"
         "\n"
         "The activity log, OBX-YYYY-MM.log, is in " + ActivityLog::folder() + "\n";
}

std::optional<std::string> stiDeviceName(std::string_view commandLine) {
  const std::size_t at = commandLine.find(kDeviceSwitch);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t begin = at + kDeviceSwitch.size();
  const std::size_t blank = commandLine.find(' ', begin);
  if (blank == std::string_view::npos) return std::nullopt;
  return std::string(commandLine.substr(begin, blank - begin));
}

std::string stiEventText(std::string_view commandLine) {
  const std::size_t at = commandLine.find(kEventSwitch);
  if (at != std::string_view::npos) {
    return std::string(commandLine.substr(at + kEventSwitch.size()));
  }
  return commandLine.size() > 9 ? std::string(commandLine.substr(9)) : std::string();
}

std::string productCode(std::string_view commandLine) {
  const std::size_t at = commandLine.find(kProductSwitch);
  if (at == std::string_view::npos) return {};
  return std::string(commandLine.substr(at + kProductSwitch.size(), kProductCodeLength));
}

int eventCode(std::string_view eventText) {
  const std::string lower = platform::asciiLowerCopy(eventText);
  for (const auto& [identifier, code] : kEvents) {
    if (lower == identifier) return code;
  }
  return -1;
}

}  // namespace ostrel
