#pragma once
// Environment expansion and the special folders the program was designed around,
// mapped onto the XDG conventions. Paths use '/' and come back without a trailing
// separator. Every call reads the environment afresh, so a test that points HOME
// or APPDATA elsewhere is followed at once.
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::platform {

// The value of an environment variable, its name compared without case (an exact
// match is preferred). %AppData% and %USERPROFILE% map to the folders below even
// when no such variable is set.
std::optional<std::string> environmentValue(std::string_view name);

// Replaces each %NAME% by its value; unknown names and a lone '%' stay as they are.
std::string ExpandEnvironmentStrings(std::string_view text);

// $HOME, else the password database's home folder.
std::string homeFolder();
// $APPDATA, else $XDG_DATA_HOME, else ~/.local/share.
std::string appDataFolder();
// XDG_DOCUMENTS_DIR of ~/.config/user-dirs.dirs (or $XDG_CONFIG_HOME), else ~/Documents.
std::string documentsFolder();
// The folder of the running executable.
std::string programFolder();

// Creates one folder level (mode 0777 less the umask); true when it exists afterwards.
bool createFolder(const std::string& path);
// Creates every missing level of a path.
bool createFolderTree(const std::string& path);
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

}  // namespace ostrel::platform
