#include "app/delivery/fax/fax_delivery.h"

namespace ostrel {

void faxFiles(std::vector<std::string>& files, FaxDialogs& dialogs) {
  if (!files.empty()) dialogs.run(files);
  files.clear();
}

}  // namespace ostrel
