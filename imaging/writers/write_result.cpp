#include "imaging/writers/write_result.h"

#include <cstring>

namespace ostrel::writers {

std::string ioError(const char* what, const std::string& path, int errorNumber) {
  std::string text = std::string("cannot ") + what + " " + path;
  if (errorNumber != 0) text += std::string(": ") + std::strerror(errorNumber);
  return text;
}

std::string keptPagesError(const std::string& failure, int pages, const std::string& path) {
  return failure + "; the " + std::to_string(pages) + " page(s) before it are kept in " + path;
}

}  // namespace ostrel::writers
