#pragma once
// The command line as the still-image service, an installer or the user gives
// it, and the event codes of the still-image events. Every search runs on the
// whole line: the program path and its arguments joined by single blanks, so a
// line passed as one quoted argument reads the same as one split into several.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

enum class StartForm {
  Scanner,    // "/StiDevice:": run as, or forward to, one scanner's manager
  Uninstall,  // "-closeobx"
  Install,    // "/ProductCode:"
  Configure,  // "/Configure"
  StartAll,   // none of these, and no arguments
  Help,       // "--help" or "-h" as an argument, whatever else the line holds
  Unknown,    // arguments, but none of the switches
};

struct CommandLine {
  std::string text;  // the program path and its arguments joined by single blanks
  std::string program;
  std::vector<std::string> arguments;
};

// words: the program path, then the arguments.
CommandLine commandLineOf(std::vector<std::string> words);

// Help first, then the forms in the order above; the switches are
// case-sensitive. Arguments of blanks alone count as none.
StartForm startForm(const CommandLine& commandLine);

// The program file's name without its folder.
std::string programName(std::string_view program);

// What --help prints: the command-line forms, named after the program file.
std::string usageText(std::string_view program);

// The text between "/StiDevice:" and the first blank after it; nullopt when
// the switch is missing or no blank follows.
std::optional<std::string> stiDeviceName(std::string_view commandLine);

// Everything after "/StiEvent:"; without the switch, the line from its tenth
// character on (which matches no event).
std::string stiEventText(std::string_view commandLine);

// Up to 38 characters after "/ProductCode:".
std::string productCode(std::string_view commandLine);

// 0 starts the manager, 1..9 and 11..19 are buttons, 10 opens the
// configuration window, -1 closes the running manager. Case is ignored.
int eventCode(std::string_view eventText);

// The button number of a code (0: the configuration window) and its kind
// (1 for codes below 10, else 2).
inline int eventButton(int code) { return code % 10; }
inline int eventKind(int code) { return code < 10 ? 1 : 2; }

}  // namespace ostrel
