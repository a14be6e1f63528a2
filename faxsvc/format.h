#pragma once
// printf-style formatting into a std::string, for the log lines and file
// templates whose exact texts are fixed.
#include <string>

namespace ostrel::fax {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Local time now, through strftime.
std::string localTimeText(const char* pattern);

}  // namespace ostrel::fax
