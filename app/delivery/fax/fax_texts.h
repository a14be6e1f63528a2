#pragma once
// What the fax dialogs show and write, as plain text: the credit, document
// sizes, the country list, the receiver history and the cover page.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// The credit as the login dialog shows it: groups of three digits split by
// commas (1234567 as "1,234,567"); 0 shows nothing; a failed query its code.
std::string creditText(int credit);

// A document's size in the send dialog's list: "%6d bytes" below 1 KiB,
// "%6.1f KB" below 1 MiB, else "%6.1f MB".
std::string documentSizeText(std::uintmax_t bytes);

struct FaxCountry {
  std::string name;
  int code = 0;
};

// The FaxCountryCode list: entries split by U+0008, each "name=code". An entry
// without a number after its last '=' is left out.
std::vector<FaxCountry> parseCountryList(std::string_view text);

// The MoblieNO history as the receiver list shows it, split at commas.
std::vector<std::string> historyEntries(std::string_view history);
// The history with the receiver added after a comma, or nullopt when the
// receiver text already occurs in it (a plain substring test) or is empty.
std::optional<std::string> historyWith(std::string_view history, std::string_view receiver);

// The text with &, <, >, " and ' written as character references.
std::string escapeHtml(std::string_view text);

// The cover page: one paragraph per line of the text (split at '\n', a '\r'
// before it dropped, an empty last line left out) in pixelSize px.
std::string coverPageHtml(std::string_view text, int pixelSize);

}  // namespace ostrel
