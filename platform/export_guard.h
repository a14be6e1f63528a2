#pragma once
// The one way a C export keeps an exception from crossing its library's
// boundary: the failure becomes the export's failure value and one line through
// report, which each library points at its own log.
#include <exception>
#include <string>

namespace ostrel::platform {

template <typename Result, typename Call, typename Report>
Result guardExport(Result failure, Call&& call, Report&& report) noexcept {
  try {
    return call();
  } catch (const std::exception& error) {
    report(std::string(error.what()));
  } catch (...) {
    report(std::string("unexpected failure"));
  }
  return failure;
}

}  // namespace ostrel::platform
