#pragma once
// libMirelle.so: the cloud client library on WebDAV. The folder chooser
// (libDrovel.so) logs in and walks the account's folder tree through these C
// exports; texts cross as zero-terminated UTF-16.
//
// One session per process. The server text is the account's WebDAV base URL
// (for Nextcloud https://host/remote.php/dav/files/USER/; "https://" is assumed
// when no scheme is given). Nodes belong to the library and stay valid until
// the next login or the logoff. Folders are listed lazily: a node's sub-folders
// are fetched from the server (one PROPFIND of depth 1) the first time
// NV_Get_FirstChild is asked for them.
#include <cstdint>

#define MIRELLE_EXPORT __attribute__((visibility("default")))

extern "C" {

struct NvFolderNode {
  const NvFolderNode* parent;    // null for the root
  const char16_t* title;         // display name, or the last segment of the href; shown as text only
  const char16_t* identifier;    // the folder's href as the server wrote it
  std::int32_t subfolderCount;   // -1 until the sub-folders were listed
  const char16_t* url;           // the folder's absolute URL
};

// Results of NV_Client_Login.
enum NvLoginResult {
  NV_LOGIN_OK = 0,
  NV_LOGIN_REFUSED = 1,      // the server turned the credentials down
  NV_LOGIN_UNREACHABLE = 2,  // network, certificate, time-out, or no WebDAV there
  NV_LOGIN_BAD_ARGUMENT = 3,
};

// `number` is passed through by the callers and not used. Any earlier session ends.
MIRELLE_EXPORT int NV_Client_Login(const char16_t* server, const char16_t* serverAgain, int number,
                                   const char16_t* user, const char16_t* password);
MIRELLE_EXPORT int NV_Client_Logoff(void);
// The root of the logged-in account (also stored into *slot when slot is given), or null.
MIRELLE_EXPORT const NvFolderNode* NV_Get_Root(const NvFolderNode** slot);
// The first sub-folder, or null (none, or the listing failed: see the activity log).
MIRELLE_EXPORT const NvFolderNode* NV_Get_FirstChild(const NvFolderNode* node);
MIRELLE_EXPORT const NvFolderNode* NV_Get_NextFolder(const NvFolderNode* node);

}  // extern "C"
