#pragma once
// The fax destination: the scanned files go to the fax dialogs, which log in,
// collect receivers and cover text and queue the fax with the fax service.
#include <string>
#include <vector>

namespace ostrel {

// The login and send dialogs, shown on the window thread while the job waits.
class FaxDialogs {
 public:
  virtual ~FaxDialogs() = default;
  // Runs the dialogs for the files; returns once they have closed.
  virtual void run(const std::vector<std::string>& files) = 0;
};

// Hands the files to the dialogs and empties the list, queued or not: the
// files stay where the job wrote them, and a queued fax has its own copies.
void faxFiles(std::vector<std::string>& files, FaxDialogs& dialogs);

}  // namespace ostrel
