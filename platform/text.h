#pragma once
// Small text helpers shared by the platform layer and its callers. All text is UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel::platform {

// ASCII case folding: the INI and registry names the program uses are ASCII,
// and other bytes compare exactly.
char asciiLower(char c);
std::string asciiLowerCopy(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);

// Blanks are space and tab, as the private-profile functions trim them.
std::string_view trimBlanks(std::string_view text);

// Cuts text to at most maxChars code points without splitting a UTF-8 sequence.
std::string truncateChars(std::string_view text, std::size_t maxChars);

// UTF-8 <-> UTF-16 code units; malformed UTF-8 bytes become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Joins a folder and a name with exactly one '/' between them.
std::string joinPath(std::string_view folder, std::string_view name);

// The folder a path names its file in, without the final '/'; "." for a bare name.
std::string folderOf(std::string_view path);

}  // namespace ostrel::platform
