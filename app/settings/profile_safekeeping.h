#pragma once
// What keeps a damaged profile file from going unnoticed: a last good copy of
// each file beside it, and the test that tells a damaged file (random bytes, a
// file emptied by a crash) from one that is merely incomplete (a hand edit that
// left keys or sections out, whose missing keys read as defaults).
#include <string>

#include "platform/staged_file.h"

namespace ostrel {

enum class ProfileKind { scan, application, button };

// "<file>.last-good" beside the file: the file as it was after its last
// successful save.
std::string lastGoodPath(const std::string& path);

// Damaged: the file holds bytes that are not text (platform::profileFileIsText),
// or no section its kind is read for: a numbered section with Valid 1 or more
// for scan profiles and destinations, a section "1" to "9" for buttons. A
// missing file is not damaged.
bool isDamagedProfile(const std::string& path, ProfileKind kind);

// Copies a file to another through the atomic write.
bool copyProfileFile(const std::string& from, const std::string& to, platform::Flush flush);

// Makes the file's last good copy, unless the file is missing or damaged. It is
// flushed to the disk: it exists to outlive a crash.
bool keepLastGood(const std::string& path, ProfileKind kind);

}  // namespace ostrel
