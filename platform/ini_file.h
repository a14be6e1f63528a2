#pragma once
// The private-profile functions: one key per call against an INI file named by
// its full path. A missing file reads as defaults and a write creates it. Reads of
// an unchanged file are served from a parsed copy kept per path (checked against
// the file's identity, size and modification time), so key-by-key loading stays
// cheap. Safe to call from several threads.
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::platform {

// Values come back cut to this many characters, as through a 260-unit buffer.
inline constexpr std::size_t kProfileValueMax = 259;

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path);

// The value read as a decimal integer (leading blanks and a sign allowed, digits
// up to the first other character; no digits reads as 0); a missing key or an
// empty value reads as the default.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path);

// Returns false when the folder is missing or not writable, or a name cannot be
// written (see IniDocument::set).
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);

// Section names of the file, and key names of one section, in file order.
std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path);
std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, const std::string& path);

// Whether the file, decoded as it is read, holds only what a text editor
// writes: false for NUL and the control characters other than tab, line
// breaks, form feed and the old end-of-file mark, as random bytes or a block of
// zeros left by a crash bring them. True for a missing file, which holds nothing.
bool profileFileIsText(const std::string& path);

}  // namespace ostrel::platform
