#include "app/output/writers/write_result.h"

#include <cstring>

namespace ostrel::writers {

std::string ioError(const char* what, const std::string& path, int errorNumber) {
  std::string text = std::string("cannot ") + what + " " + path;
  if (errorNumber != 0) text += std::string(": ") + std::strerror(errorNumber);
  return text;
}

}  // namespace ostrel::writers
