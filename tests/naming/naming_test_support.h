#pragma once
// A fixed clock for naming tests: dates are built in UTC so the day of the week
// and of the year come out the same wherever the tests run.
#include <ctime>

namespace ostrel::testing {

inline std::tm dateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  const std::time_t seconds = ::timegm(&t);
  std::tm normalised{};
  ::gmtime_r(&seconds, &normalised);
  return normalised;
}

}  // namespace ostrel::testing
