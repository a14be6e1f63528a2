#include "imaging/writers/staged_file.h"

namespace ostrel::writers {

// Not flushed before the rename: see platform::Flush for why scanned files are not.
StagedFile::StagedFile(std::string finalPath)
    : finalPath_(std::move(finalPath)), staged_(finalPath_, 0666, platform::Flush::no) {
  if (!staged_.ok()) error_ = ioError("create", finalPath_, staged_.error());
}

WriteResult StagedFile::commit() {
  if (!ok()) return WriteResult::failure(error_);
  if (const int failure = staged_.commit()) {
    return WriteResult::failure(ioError("replace", finalPath_, failure));
  }
  return WriteResult::success();
}

}  // namespace ostrel::writers
