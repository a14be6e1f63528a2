#pragma once
// The folders and files of the service, all under the program directory.
#include <string>

#include "platform/text.h"

namespace ostrel::fax {

struct FaxPaths {
  std::string base;  // the program directory
  std::string send;
  std::string recv;
  std::string tif;

  static FaxPaths under(const std::string& programDirectory) {
    return {programDirectory, platform::joinPath(programDirectory, "Send"),
            platform::joinPath(programDirectory, "Recv"), platform::joinPath(programDirectory, "Tif")};
  }

  std::string resultFile(const std::string& fod) const { return platform::joinPath(send, fod + ".rlt"); }
};

}  // namespace ostrel::fax
