#pragma once
// The names the <U> and <C> tokens insert.
#include <optional>
#include <string>

namespace ostrel {

// The logged-on user's login name from the password database.
std::optional<std::string> systemUserName();
// The host name.
std::optional<std::string> systemComputerName();

}  // namespace ostrel
