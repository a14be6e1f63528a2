#pragma once
// One destination section of ApplicationSetting.ini.
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

// Reads the record's own section and returns its Valid value, or 0 when the
// section is valid but names a program that does not exist here (the section
// stays in the file; only this run skips it). An application marker is resolved
// (and written back into the file where that is due), any other path expanded.
int ReadApplicationSettingSection(CApplicationSetting& destination, const std::string& path);

// Writes Valid=1 and every key. False when a key could not be written.
bool WriteApplicationSettingSection(const CApplicationSetting& destination, const std::string& path);

// "PRINT", "MAIL", "GOOGLE", "FAX" or "FTP": paths that name no program.
bool isDestinationKeyword(std::string_view path);

}  // namespace ostrel
