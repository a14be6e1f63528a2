#include "app/delivery/pending_delivery.h"

#include "platform/activity_log.h"

namespace ostrel {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void PendingDelivery::fax(std::vector<std::string>& files) {
  std::string line = "Fax request not carried out (not built yet); " + std::to_string(files.size()) +
                     " file(s) stay where they are:";
  for (const std::string& file : files) line += " " + quoted(file);
  Log(line);
  files.clear();
}

}  // namespace ostrel
