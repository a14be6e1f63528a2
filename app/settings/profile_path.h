#pragma once
// Folder and program paths as the profile files hold them.
#include <string>
#include <string_view>

namespace ostrel {

// Stands for the user's documents folder at the start of a stored path, so
// profiles and templates stay valid for any user.
inline constexpr std::string_view kMyDocumentsMarker = "%MYDOCUMENTS%";

// A value starting with the marker (any case) gets the documents folder in its
// place and keeps the rest unchanged; any other value has its environment
// variables expanded. The result is not cut: a cut path would name another folder.
std::string ExpandProfilePath(std::string_view value);

// The stored form of a folder: one at or under the documents folder gets the
// marker in place of the documents folder, so the file suits any user; any
// other folder is kept as it is. ExpandProfilePath turns it back.
std::string PortableProfilePath(std::string_view folder);

// The documents folder followed by "/Ostrel/": where output goes by default.
std::string defaultFolderBase();

}  // namespace ostrel
