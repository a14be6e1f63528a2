#pragma once
// One scan profile section of ScanSetting.ini.
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

// Reads the record's own section: the Valid value is returned, and only when it
// is 1 or more are the title and every other key read (missing keys take their
// read defaults, which differ from a new record's for ContinueScan and Audio).
int ReadScanSettingSection(CScanSetting& profile, const std::string& path);

// Writes Valid=1 and every key but FilterValue, which is only ever set by hand.
// False when a key could not be written.
bool WriteScanSettingSection(const CScanSetting& profile, const std::string& path);

}  // namespace ostrel
