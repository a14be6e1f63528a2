#pragma once
// The cloud delivery: every file of a cloud button is handed to the uploader
// Wexford beside the program, started in the background (the manager never
// waits on the network; the uploader logs what became of the file).
//
//   -Server <url> -Account <account> -Password - [-FolderID <FolderID::id>]
//   -Path "<folder path>" -File "<file path>" -Title "<file name>"
//
// The password, encoded by the password codec, goes to the uploader's standard
// input through a pipe ("-Password -"), never into its command line, which
// every local user can read.
#include <string>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

inline constexpr const char* kUploaderProgram = "Wexford";

// The uploader's arguments for one file, in the order above.
std::vector<std::string> uploadArguments(const CButtonSetting& button, const std::string& server,
                                         const std::string& path);

// Starts the uploader for the file; logs "Google Docs: " and the command line,
// or why it could not be started.
void startUpload(const std::string& programFolder, const CButtonSetting& button, const std::string& path);

}  // namespace ostrel
