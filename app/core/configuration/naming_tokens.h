#pragma once
// The naming token menu of the easy dialog and the advanced wizard's first
// page: the tokens a file name pattern understands, and how choosing one edits
// the name field.
#include <span>
#include <string>
#include <string_view>

namespace ostrel {

struct NamingToken {
  const char* key;      // in section "Menu" of the texts file
  const char* english;  // the item's text when the file has none
  const char* token;    // what goes into the name
};

// In menu order, "Menu4" to "Menu16".
std::span<const NamingToken> namingTokens();

// The name after choosing token: a name ending in ">" takes the token into its
// last bracket group (Scan<####> and YYYY give Scan<####YYYY>); any other name
// gets "<token>" appended.
std::string insertNamingToken(std::string_view name, std::string_view token);

}  // namespace ostrel
