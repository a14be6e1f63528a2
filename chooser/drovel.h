#pragma once
// libDrovel.so: the cloud login and folder chooser the manager loads by file
// name from its own folder for one login or browse action. It loads the cloud
// client library libMirelle.so from its own folder. Texts cross as
// zero-terminated UTF-16 buffers owned by the caller.
#define DROVEL_EXPORT __attribute__((visibility("default")))

extern "C" {

// Passed to the client library's login unchanged; 0 means logged in. The
// server text is the account's WebDAV base URL.
DROVEL_EXPORT int Nv_ClientLogin(const char16_t* server, const char16_t* serverAgain, int number,
                                 const char16_t* user, const char16_t* password);
DROVEL_EXPORT int Nv_ClientLogoff(void);

// Shows the folder tree of the logged-in account. Both buffers are in/out:
// a folderId of more than 16 characters starting with "FolderID::" names the
// folder to select, else path ("/A/B/"; "\" is read as the separator too)
// does. 0 when a folder was chosen: path receives its path ("/A/B/", the root
// "/"), folderId "FolderID::" and its identifier, each cut to its capacity
// (counted in characters, terminator included) and always terminated. -5 when
// the user cancelled or no tree could be shown: the buffers are untouched.
DROVEL_EXPORT int Nv_Select(char16_t* path, int pathChars, char16_t* folderId, int folderIdChars);

}  // extern "C"
