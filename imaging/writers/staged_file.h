#pragma once
// A scanned file written through platform::StagedFile: under a hidden temporary
// name beside its final path, moved into place only when complete. A failed
// write then never leaves a torn file for delivery to pick up, and never
// destroys an older file of the same name; a writer killed on the way leaves
// only its staging file, which the next job in the folder removes. Failures come
// back worded as write results.
#include <string>

#include "imaging/writers/write_result.h"
#include "platform/staged_file.h"

namespace ostrel::writers {

class StagedFile {
 public:
  // Creates the temporary file; on failure ok() is false and error() says why
  // (a missing or read-only folder shows up here).
  explicit StagedFile(std::string finalPath);
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // Where to write, while not committed; the temporary file is removed with
  // this object unless committed.
  const std::string& temporaryPath() const { return staged_.temporaryPath(); }
  const std::string& finalPath() const { return finalPath_; }

  // Moves the temporary file to the final path, replacing any file there.
  WriteResult commit();

 private:
  std::string finalPath_;
  platform::StagedFile staged_;
  std::string error_;
};

}  // namespace ostrel::writers
