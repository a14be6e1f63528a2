#pragma once
// The delivery still being built, the fax dialogs: every request becomes one activity-log line saying what was asked and that it
// was not carried out. The files are left where they were written, since
// nothing has taken them.
#include <string>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

class PendingDelivery {
 public:
  // Leaves `files` empty.
  void fax(std::vector<std::string>& files);
};

}  // namespace ostrel
