#pragma once
// The chooser's rules without windows: what the caller asks to find, which
// tree item answers it, the path of a folder, and the bounded copies into the
// caller's buffers.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::chooser {

inline constexpr std::u16string_view kFolderIdPrefix = u"FolderID::";
// At most this many folders of the wanted name are weighed against the parent rule.
inline constexpr std::size_t kMaxCandidates = 128;

struct WantedFolder {
  std::u16string identifier;  // without the prefix; empty when a path was given
  std::u16string name;        // the path's last component
  std::u16string parentName;  // the component before it; empty when the path has none
};

// The text of a caller's buffer: up to the first zero or the capacity.
std::u16string bufferText(const char16_t* buffer, int capacity);
// What Nv_Select is asked for: a folderId of more than 16 characters is the
// wanted text, else the path is.
std::u16string wantedText(std::u16string_view path, std::u16string_view folderId);
// Splits the wanted text: "FolderID::x" asks for identifier x; a path asks for
// its last component under a parent of the component before it.
WantedFolder parseWanted(std::u16string_view wanted);

// Case-insensitive comparison of folder names, as the parent rule wants.
bool sameNameNoCase(std::u16string_view a, std::u16string_view b);

// "/A/B/" from the titles of the folders below the root down to the chosen
// one; "/" for the root itself.
std::u16string folderPath(const std::vector<std::u16string>& titlesBelowRoot);

// A title as the tree shows it: control characters become U+FFFD, so a title
// cannot break a line or hide text. Everything else, "/", "\" and ".."
// included, is shown as it is: a title is text, never a local path.
std::u16string displayTitle(std::u16string_view title);

// Copies text into a caller's buffer of `capacity` characters: cut to fit and
// always terminated; a capacity below 1 or a null buffer writes nothing.
void copyBounded(char16_t* buffer, int capacity, std::u16string_view text);

}  // namespace ostrel::chooser
