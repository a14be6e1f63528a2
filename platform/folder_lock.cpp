#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace ostrel::platform {

FolderLock::FolderLock(const std::string& folder)
    : fd_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_.valid()) {
    while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

}  // namespace ostrel::platform
