#pragma once
// printf-style formatting into a std::string, for the log lines and file
// templates whose exact texts are fixed.
#include <ctime>
#include <string>

namespace ostrel::fax {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Local time now (or at `when`), through strftime.
std::string localTimeText(const char* pattern);
std::string localTimeText(const char* pattern, std::time_t when);

}  // namespace ostrel::fax
