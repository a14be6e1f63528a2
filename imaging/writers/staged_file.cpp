#include "imaging/writers/staged_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace ostrel::writers {

namespace {

// The longest file name the file systems we write to take, in bytes.
constexpr std::size_t kNameMax = 255;
constexpr const char* kSuffix = ".XXXXXX";

// The name, cut so that "." + name + suffix still fits (at a character boundary,
// so the cut never leaves half a UTF-8 sequence): a final name near the limit
// must not fail only because its temporary name is longer.
std::string temporaryStem(const std::string& name) {
  const std::size_t room = kNameMax - 1 - std::char_traits<char>::length(kSuffix);
  if (name.size() <= room) return name;
  std::size_t end = room;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

}  // namespace

StagedFile::StagedFile(std::string finalPath) : finalPath_(std::move(finalPath)) {
  // Hidden and suffixed, so neither a name probe nor a folder watcher takes it for output.
  const std::size_t slash = finalPath_.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string pattern =
      finalPath_.substr(0, nameStart) + "." + temporaryStem(finalPath_.substr(nameStart)) + kSuffix;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) {
    error_ = ioError("create", finalPath_, errno);
    return;
  }
  // mkstemp makes the file private; output files get the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  temporaryPath_.assign(buffer.data());
}

StagedFile::~StagedFile() {
  if (!committed_ && !temporaryPath_.empty()) std::remove(temporaryPath_.c_str());
}

WriteResult StagedFile::commit() {
  if (!ok()) return WriteResult::failure(error_);
  if (std::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0) {
    return WriteResult::failure(ioError("replace", finalPath_, errno));
  }
  committed_ = true;
  return WriteResult::success();
}

}  // namespace ostrel::writers
