#pragma once
// The cloud login and folder choice of a cloud button with SelectFolder 1, made
// at scan time through libDrovel.so beside the program. The library is loaded
// for this one action and unloaded again. Texts cross as zero-terminated UTF-16
// buffers owned by the caller:
//
//   int Nv_ClientLogin(const char16_t* server, const char16_t* serverAgain, int number,
//                      const char16_t* user, const char16_t* password);   // 0: logged in
//   int Nv_Select(char16_t* path, int pathChars, char16_t* folderId, int folderIdChars);
//                      // 0: chosen; both buffers are in/out
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

inline constexpr const char* kCloudChooserLibrary = "libDrovel.so";
// The server a button names when it names none: the value "Server" of
// HKEY_CURRENT_USER\Software\Ostrel\Cloud, else this.
inline constexpr const char* kDefaultCloudServer = "localhost";
inline constexpr const char* kCloudSettingsKey = "Software\\Ostrel\\Cloud";

// The WebDAV address the button's cloud account lives on.
std::string cloudServerOf(const CButtonSetting& button);

enum class CloudFolderOutcome {
  libraryMissing,  // the library or one of its two functions is missing
  loginFailed,
  chosen,          // folderPath and folderId hold the choice
  notChosen,       // the user left the chooser without a folder
};

struct CloudFolderChoice {
  CloudFolderOutcome outcome = CloudFolderOutcome::libraryMissing;
  std::string folderPath;  // the cloud folder's display path, e.g. "\A\B\"
  std::string folderId;    // "FolderID::" and the folder's identifier
};

// Logs in with the button's server (cloudServerOf), Account and
// Password, then lets the user choose, starting at the button's ImageFolder and ID.
CloudFolderChoice chooseCloudFolder(const std::string& libraryPath, const CButtonSetting& button);

}  // namespace ostrel
