#pragma once
// An exclusive advisory lock on a folder, held for one read-modify-write of a file
// in it. Locking the folder rather than the file works across the atomic renames
// that replace the file, and leaves no lock files behind for folder scans to see.
#include <string>

#include "platform/file_descriptor.h"

namespace ostrel::platform {

class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);  // closing the descriptor releases the lock

 private:
  UniqueFd fd_;
};

}  // namespace ostrel::platform
