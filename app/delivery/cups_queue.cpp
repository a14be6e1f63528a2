#include "app/delivery/cups_queue.h"

#include <cups/cups.h>

#include <memory>

namespace ostrel {

namespace {

struct FreeDest {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

std::string lastError() {
  const char* text = cupsLastErrorString();
  return text && *text ? text : "CUPS error " + std::to_string(static_cast<int>(cupsLastError()));
}

std::string option(const cups_dest_t& dest, const char* name) {
  const char* value = cupsGetOption(name, dest.num_options, dest.options);
  return value ? value : "";
}

}  // namespace

std::string cupsQueueProblem(const std::string& printer) {
  if (printer.empty()) return "no printer is named and CUPS has no default printer";
  const std::unique_ptr<cups_dest_t, FreeDest> dest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr));
  if (!dest) {
    if (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) {
      return "CUPS has no printer named \"" + printer + "\"";
    }
    return "CUPS cannot be asked about \"" + printer + "\": " + lastError();
  }
  // printer-state 5 is "stopped" (RFC 8011).
  if (option(*dest, "printer-state") == "5") {
    const std::string message = option(*dest, "printer-state-message");
    return "the queue \"" + printer + "\" is stopped" + (message.empty() ? "" : " (" + message + ")");
  }
  if (option(*dest, "printer-is-accepting-jobs") == "false") {
    return "the queue \"" + printer + "\" does not accept jobs";
  }
  return {};
}

std::string cupsSchedulerProblem() {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  cupsFreeDests(count, dests);
  if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
    return lastError();
  }
  return {};
}

std::string submitToCups(const std::string& printer, const std::string& file, const std::string& title,
                         const std::vector<std::pair<std::string, std::string>>& options) {
  int count = 0;
  cups_option_t* list = nullptr;
  for (const auto& [name, value] : options) count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
  const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.c_str(), file.c_str(), title.c_str(), count, list);
  cupsFreeOptions(count, list);
  if (job > 0) return {};
  return "CUPS did not take the job for \"" + printer + "\": " + lastError();
}

}  // namespace ostrel
