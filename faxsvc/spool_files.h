#pragma once
// File operations of the spool folders: exclusive opens with retries, moves that
// replace, sizes, creation times, folder listings, and the checks that keep
// names from the server or a request inside their folder.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "faxsvc/diagnostic_log.h"
#include "faxsvc/stop_signal.h"
#include "faxsvc/timing.h"
#include "platform/unique_fd.h"

namespace ostrel::fax {

// A plain file name that stays in its folder: not empty, not "." or "..", no
// '/' or '\', no control characters, at most 255 bytes.
bool isSafeFileName(std::string_view name);

// A received fax's info file stem: the name with every trailing '.', 't', 'i'
// and 'f' removed (a set of characters, so "report.tif" gives "repor").
std::string receivedStem(std::string_view fileName);

// The name a received fax is stored under: one ending in .tif, .tiff or .pdf
// (in any case, behind at least one other character) as it is, any other with
// ".tif" appended, so that a server cannot write a file that passes for one of
// the library's own, such as an info file.
std::string receivedFaxName(std::string_view name);

// Opens a file for reading and writing with an exclusive lock, as the writers of
// spool files hold one while they write. One attempt now, then one per tick,
// `attempts` in all. The error is 0 when only the lock was in the way. Only
// plain files are opened: not through a symbolic link, not a FIFO or device.
struct ExclusiveOpen {
  platform::UniqueFd fd;
  int error = 0;
};
ExclusiveOpen openExclusive(const std::string& path, int attempts, Timing timing, const StopSignal& stop);

std::optional<std::string> readAll(int fd);

// The size of a plain file; 0 when it cannot be opened, is not a plain file, is
// empty or is too large to send, each logged as the path and the reason.
std::uint64_t fileLength(const std::string& path, DiagnosticLog& log);

// Reads exactly `size` bytes from the start of a plain file; nullopt if it is
// shorter or unreadable.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::uint64_t size);

// Moves a file, replacing the target, copying when a rename cannot; 0 or errno.
int moveFileReplacing(const std::string& from, const std::string& to);

// Birth time where the file system records it, else the modification time.
std::chrono::nanoseconds creationTime(const std::string& path);

struct FolderEntry {
  std::string name;
  bool isDirectory = false;
};
// Entries whose name ends in `suffix` (compared without case), in listing
// order; nullopt with errno when the folder cannot be listed.
std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder, std::string_view suffix,
                                                   int& error);

// Writes new files into one folder and never touches an existing one: a taken
// name gets a numbered variant ("fax.tif" -> "fax-1.tif"), also when the
// sidecar suffix is set and that name's sidecar file already exists. It
// remembers the last number each name got, so a run of files under one name
// costs a probe or two per file instead of one per file already there.
class NewFileWriter {
 public:
  explicit NewFileWriter(std::string folder, std::string sidecarSuffix = {});

  // The name used, or nullopt when the file cannot be written.
  std::optional<std::string> write(const std::string& name, std::span<const std::uint8_t> bytes);

 private:
  std::string folder_;
  std::string sidecarSuffix_;
  std::unordered_map<std::string, int> lastNumbers_;
};

}  // namespace ostrel::fax
