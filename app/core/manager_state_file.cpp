#include "app/core/manager_state_file.h"

#include <unistd.h>

#include "platform/activity_log.h"
#include "platform/manager_channel.h"
#include "platform/staged_file.h"

namespace ostrel {

ManagerStateFile::ManagerStateFile(std::string_view scannerName) : path_(platform::managerStatePath(scannerName)) {
  write(0, false);
}

ManagerStateFile::~ManagerStateFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

void ManagerStateFile::write(int eventsHandled, bool jobRunning) {
  if (path_.empty()) return;
  const std::string line = std::to_string(eventsHandled) + (jobRunning ? " 1\n" : " 0\n");
  if (!platform::replaceFileAtomically(path_, line, 0600, platform::Flush::no)) {
    Log("The manager's state cannot be written to " + path_ + ".");
  }
}

}  // namespace ostrel
