#include "faxsvc/format.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <vector>

namespace ostrel::fax {

std::string format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, pattern, copy);
  va_end(copy);
  std::string out;
  if (size > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), pattern, args);
    out.assign(buffer.data(), static_cast<std::size_t>(size));
  }
  va_end(args);
  return out;
}

std::string localTimeText(const char* pattern) { return localTimeText(pattern, std::time(nullptr)); }

std::string localTimeText(const char* pattern, std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
  return std::string(buffer, n);
}

}  // namespace ostrel::fax
