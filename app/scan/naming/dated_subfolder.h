#pragma once
// The dated subfolders a job appends to its output folder, chosen by the
// button's SubfolderName:
//   0 "12-04-2026/"  1 "04-12-2026/"  2 "week48/" (week of the year, Monday first)
//   3 "week5/" (day of the week, Sunday 0)  4 "12-2026/"  5 "/12-<user name>/"
#include <ctime>
#include <optional>
#include <string>

namespace ostrel {

inline constexpr int kDefaultSubfolderName = 2;

// The folder with the subfolder appended; the folder alone for other values.
// Without a date (the clock could not be read) the date parts print as 0 and
// the week as nothing.
std::string datedSubfolder(const std::string& folder, int subfolderName,
                           const std::optional<std::tm>& date, const std::string& userName);

}  // namespace ostrel
