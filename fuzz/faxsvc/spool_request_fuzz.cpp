// Parses arbitrary text as a fax request file. An accepted request must have
// the documents its count promises and a job identifier that names a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "faxsvc/spool_files.h"
#include "faxsvc/spool_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto check =
      ostrel::fax::checkRequest(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!check.accepted()) return 0;
  const auto& r = check.request;
  if (r.fileCount < 1 || r.userId.empty() || r.receivers.empty() || r.fod.empty()) std::abort();
  if (!ostrel::fax::isSafeFileName(r.fod + ".rlt")) std::abort();
  if (r.fileCount > 1 && r.documents.size() != static_cast<std::size_t>(r.fileCount)) std::abort();
  if (r.documents.size() > static_cast<std::size_t>(r.fileCount)) std::abort();
  return 0;
}
