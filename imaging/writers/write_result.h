#pragma once
// The outcome of writing a file or one page of it: success, or why it failed.
// A writer never reports success for a file that is not complete on disk.
#include <string>
#include <utility>

namespace ostrel::writers {

class [[nodiscard]] WriteResult {
 public:
  static WriteResult success() { return WriteResult(); }
  static WriteResult failure(std::string reason) { return WriteResult(std::move(reason)); }

  bool ok() const { return error_.empty(); }
  explicit operator bool() const { return ok(); }
  // Empty on success; a sentence naming the file and the cause otherwise.
  const std::string& error() const { return error_; }

 private:
  WriteResult() = default;
  explicit WriteResult(std::string reason)
      : error_(reason.empty() ? std::string("unknown write error") : std::move(reason)) {}
  std::string error_;
};

// "cannot <what> <path>: <cause of errno>", the shape of every I/O failure we report.
std::string ioError(const char* what, const std::string& path, int errorNumber);

// "<failure>; the <pages> page(s) before it are kept in <path>", for a
// multi-page file cut back to its complete pages after a failed write.
std::string keptPagesError(const std::string& failure, int pages, const std::string& path);

}  // namespace ostrel::writers
