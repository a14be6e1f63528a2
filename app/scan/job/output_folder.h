#pragma once
// Where a job's files go before any dated subfolder, by the kind of the
// button's destination. Folders always end with '/', so names never run into
// the folder's own name (stored folders, the built-in ones among them, may lack it).
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

// The folder with one '/' at its end; an empty folder stays empty.
std::string withSeparator(std::string folder);

// "%AppData%/Ostrel/<name>/": the working folders of printing, mail and the cloud.
std::string workingFolder(const std::string& name);
std::string cloudTemporaryFolder();

// PRINT, MAIL and GOOGLE: their working folders; storage, FAX and programs: the
// button's ImageFolder with environment variables expanded (empty when it is).
std::string destinationFolder(const CButtonSetting& button);

}  // namespace ostrel
