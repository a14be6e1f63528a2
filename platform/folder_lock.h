#pragma once
// An exclusive advisory lock on a folder, held for one read-modify-write of a file
// in it. Locking the folder rather than the file works across the atomic renames
// that replace the file, and leaves no lock files behind for folder scans to see.
#include <string>

namespace ostrel::platform {

class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

// Writes text to path through a temporary file in the same folder and a rename,
// so readers see the old or the new file, never a half-written one. An existing
// file keeps its permissions; a new one gets newFileMode (less the umask).
bool replaceFileAtomically(const std::string& path, std::string_view text, unsigned newFileMode);

}  // namespace ostrel::platform
