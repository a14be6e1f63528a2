#pragma once
// The numbers of the messages that cross between copies of the program. They
// keep the values of the window messages they stand for, so a record on the
// manager socket reads the same as the message it replaces.
#include <cstdint>

namespace ostrel::manager_message {

// A button event: first parameter the button number, second the event kind.
inline constexpr std::int32_t kButtonEvent = 0x0419;
// A command: first parameter the command number.
inline constexpr std::int32_t kCommand = 0x0111;
inline constexpr std::int32_t kExitCommand = 32773;

}  // namespace ostrel::manager_message
