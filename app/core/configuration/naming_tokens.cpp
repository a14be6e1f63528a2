#include "app/core/configuration/naming_tokens.h"

#include <array>

namespace ostrel {

namespace {

constexpr std::array<NamingToken, 13> kTokens{{
    {"Menu4", "<#>    index", "#"},
    {"Menu5", "<YYYY> year, 4 digits", "YYYY"},
    {"Menu6", "<YY>   year, 2 digits", "YY"},
    {"Menu7", "<MM>   month, 01-12", "MM"},
    {"Menu8", "<DD>   day, 01-31", "DD"},
    {"Menu9", "<MMDDYYYY> month/day/year", "MMDDYYYY"},
    {"Menu10", "<HH>   hour, 01-24", "HH"},
    {"Menu11", "<hh>   hour, 01-12", "hh"},
    {"Menu12", "<mm>   minute, 00-59", "mm"},
    {"Menu13", "<ss>   second, 00-59", "ss"},
    {"Menu14", "<B>    barcode", "B"},
    {"Menu15", "<U>    user name", "U"},
    {"Menu16", "<C>    computer name", "C"},
}};

}  // namespace

std::span<const NamingToken> namingTokens() { return kTokens; }

std::string insertNamingToken(std::string_view name, std::string_view token) {
  std::string result(name);
  if (!result.empty() && result.back() == '>') {
    result.pop_back();
    return result.append(token).append(">");
  }
  return result.append("<").append(token).append(">");
}

}  // namespace ostrel
