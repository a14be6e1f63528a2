#include "app/scan/naming/naming_pattern.h"

#include <algorithm>
#include <cstdio>

namespace ostrel {

namespace {

// Values that hold groups of their own (a user name "<U>", say) could expand
// without end; past these bounds the rest of the text stays as it is.
constexpr int kMaxGroups = 1000;
constexpr std::size_t kMaxLength = 32768;

std::string formatNumber(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string zeroPadded(int value, std::size_t width) {
  std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
  const std::size_t signWidth = value < 0 ? 1 : 0;
  if (digits.size() + signWidth < width) digits.insert(0, width - digits.size() - signWidth, '0');
  return value < 0 ? "-" + digits : digits;
}

int twelveHour(int hour) { return hour >= 13 && hour <= 23 ? hour - 12 : hour; }

bool isYear(char c) { return c == 'Y' || c == 'y'; }
bool isDay(char c) { return c == 'D' || c == 'd'; }
bool isSecond(char c) { return c == 'S' || c == 's'; }

class GroupExpander {
 public:
  GroupExpander(std::string_view group, NamingSource& source, bool& numbered)
      : group_(group), source_(source), numbered_(numbered) {}

  std::string run() {
    while (at_ < group_.size()) step();
    return out_;
  }

 private:
  std::size_t runOf(bool (*matches)(char), std::size_t limit) const {
    std::size_t n = 0;
    while (at_ + n < group_.size() && n < limit && matches(group_[at_ + n])) ++n;
    return n;
  }
  bool nextIs(bool (*matches)(char)) const { return at_ + 1 < group_.size() && matches(group_[at_ + 1]); }
  bool nextIs(char c) const { return at_ + 1 < group_.size() && group_[at_ + 1] == c; }

  // A one- or two-letter token: "%02d" for the pair, "%d" for one letter.
  void pair(bool twoLetters, int value) {
    out_ += formatNumber(twoLetters ? "%02d" : "%d", value);
    at_ += twoLetters ? 2 : 1;
  }

  void step() {
    const char c = group_[at_];
    switch (c) {
      case '#': {
        const std::size_t n = runOf([](char x) { return x == '#'; }, group_.size());
        out_ += zeroPadded(source_.counter(), std::min(n, kMaxLength));
        numbered_ = true;
        at_ += n;
        return;
      }
      case 'Y':
      case 'y': {
        static constexpr const char* kFormats[] = {"%d", "%02d", "%03d", "%04d"};
        static constexpr int kModulus[] = {10, 100, 1000, 10000};
        const std::size_t n = runOf(isYear, 4);
        out_ += formatNumber(kFormats[n - 1], source_.now().year % kModulus[n - 1]);
        at_ += n;
        return;
      }
      case 'M': return pair(nextIs('M'), source_.now().month);
      case 'm': return pair(nextIs('m'), source_.now().minute);
      case 'D':
      case 'd': return pair(nextIs(isDay), source_.now().day);
      case 'H': return pair(nextIs('H'), source_.now().hour);
      case 'h': return pair(nextIs('h'), twelveHour(source_.now().hour));
      case 'S':
      case 's': return pair(nextIs(isSecond), source_.now().second);
      case 'B': out_ += source_.barcode(); break;
      case 'U': out_ += source_.userName(); break;
      case 'C': out_ += source_.computerName(); break;
      default: out_ += c; break;
    }
    ++at_;
  }

  std::string_view group_;
  NamingSource& source_;
  bool& numbered_;
  std::size_t at_ = 0;
  std::string out_;
};

}  // namespace

ExpandedName expandPattern(std::string_view pattern, NamingSource& source) {
  ExpandedName result;
  std::string text(pattern);
  for (int groups = 0; groups < kMaxGroups && text.size() <= kMaxLength; ++groups) {
    const std::size_t open = text.find('<');
    if (open == std::string::npos) break;
    const std::size_t close = text.find('>', open + 1);
    if (close == std::string::npos) break;
    const std::string_view group = std::string_view(text).substr(open + 1, close - open - 1);
    std::string expanded = GroupExpander(group, source, result.numbered).run();
    text.replace(open, close - open + 1, expanded);
  }
  result.baseName = std::move(text);
  return result;
}

}  // namespace ostrel
