#include "app/core/startup_marker.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/folder_lock.h"
#include "platform/ini_file.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

// The program's own marker is one header and one key. Anything else writing
// there could make it megabytes that the private-profile functions would parse
// whole on every start, for one key that comes first.
constexpr std::uintmax_t kMarkerSizeLimit = 64 * 1024;

// Cuts a marker beyond the limit down to its whole lines within it, so what
// reads or writes the marker next handles a small file with the same head.
void cutOversizedMarker(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size <= kMarkerSizeLimit) return;  // also: missing, or not a plain file
  platform::FolderLock lock(platform::folderOf(path));
  std::string head(kMarkerSizeLimit + 1, '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (head.size() <= kMarkerSizeLimit) return;  // replaced by a small one meanwhile
  const std::size_t lineEnd = head.rfind('\n', kMarkerSizeLimit - 1);
  head.resize(lineEnd == std::string::npos ? 0 : lineEnd + 1);
  if (platform::replaceFileAtomically(path, head, 0666, platform::Flush::no)) {
    Log("Startup.txt is larger than 64 KiB; only its lines within the first 64 KiB are kept.");
  } else {
    Log("Startup.txt is larger than 64 KiB and cannot be cut down.");
  }
}

}  // namespace

std::string startupMarkerPath(std::string_view scannerName) {
  return scannerFolder(scannerName) + "Startup.txt";
}

bool readStartupMarker(std::string_view scannerName) {
  const std::string path = startupMarkerPath(scannerName);
  cutOversizedMarker(path);
  return platform::GetPrivateProfileInt("1", "Startup", 0, path) != 0;
}

void writeStartupMarker(std::string_view scannerName, bool running) {
  const std::string path = startupMarkerPath(scannerName);
  cutOversizedMarker(path);
  platform::WritePrivateProfileString("1", "Startup", running ? "1" : "0", path);
}

}  // namespace ostrel
