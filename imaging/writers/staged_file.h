#pragma once
// A file written under a temporary name beside its final path and moved into
// place only when complete. A failed write then never leaves a torn file for
// delivery to pick up, and never destroys an older file of the same name.
#include <string>

#include "imaging/writers/write_result.h"

namespace ostrel::writers {

class StagedFile {
 public:
  // Creates the temporary file; on failure ok() is false and error() says why
  // (a missing or read-only folder shows up here).
  explicit StagedFile(std::string finalPath);
  ~StagedFile();  // removes the temporary file unless committed
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // Where to write, while not committed.
  const std::string& temporaryPath() const { return temporaryPath_; }
  const std::string& finalPath() const { return finalPath_; }

  // Moves the temporary file to the final path, replacing any file there.
  WriteResult commit();

 private:
  std::string finalPath_;
  std::string temporaryPath_;
  std::string error_;
  bool committed_ = false;
};

}  // namespace ostrel::writers
