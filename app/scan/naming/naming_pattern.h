#pragma once
// Naming patterns such as "Scan<####>" or "<YYYY-MM-DD>_<hh><mm>": text outside
// angle brackets stays as it is; inside a group each character is a token or a
// literal. Expanded text is scanned again, so a value holding a group expands
// too. A "<" with no ">" after it leaves the rest of the pattern as it is.
#include <string>
#include <string_view>

namespace ostrel {

// The local date and time as the tokens print them. When the clock cannot be
// read, the date parts are 0 and the time parts -1.
struct NamingTime {
  int year = 0, month = 0, day = 0;
  int hour = -1, minute = -1, second = -1;
};

// What the tokens draw on while a pattern expands.
class NamingSource {
 public:
  virtual ~NamingSource() = default;
  virtual int counter() const = 0;
  // Read afresh for each token.
  virtual NamingTime now() = 0;
  // The barcode text for a "B" token.
  virtual std::string barcode() = 0;
  // Empty when the name cannot be read (the source tells the user).
  virtual std::string userName() = 0;
  virtual std::string computerName() = 0;
};

struct ExpandedName {
  std::string baseName;
  bool numbered = false;  // a "#" run gave the counter
};

ExpandedName expandPattern(std::string_view pattern, NamingSource& source);

}  // namespace ostrel
