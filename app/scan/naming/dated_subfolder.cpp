#include "app/scan/naming/dated_subfolder.h"

#include <cstdio>

namespace ostrel {

namespace {

std::string padded(const char* format, int value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string datedSubfolder(const std::string& folder, int subfolderName,
                           const std::optional<std::tm>& date, const std::string& userName) {
  const std::string year = padded("%4d", date ? date->tm_year + 1900 : 0);  // blank-padded
  const std::string month = padded("%02d", date ? date->tm_mon + 1 : 0);
  const std::string day = padded("%02d", date ? date->tm_mday : 0);
  switch (subfolderName) {
    case 0: return folder + month + "-" + day + "-" + year + "/";
    case 1: return folder + day + "-" + month + "-" + year + "/";
    case 2: {
      char week[128] = "";
      if (date && std::strftime(week, sizeof week, "%W", &*date) == 0) week[0] = '\0';
      return folder + "week" + week + "/";
    }
    case 3: return folder + "week" + std::to_string(date ? date->tm_wday : 0) + "/";
    case 4: return folder + month + "-" + padded("%04d", date ? date->tm_year + 1900 : 0) + "/";
    // The extra separator after the folder is kept: stored paths may hold it.
    case 5: return folder + "/" + month + "-" + userName + "/";
    default: return folder;
  }
}

}  // namespace ostrel
