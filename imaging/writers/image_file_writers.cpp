#include "imaging/writers/image_file_writers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "imaging/writers/jpeg_encoder.h"
#include "imaging/writers/staged_file.h"
#include "imaging/writers/tiff_writer.h"
#include "imaging/format_codes.h"

namespace ostrel::writers {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

WriteResult writeBytes(const std::vector<std::uint8_t>& bytes, StagedFile& staged) {
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(staged.temporaryPath().c_str(), "wb"));
  if (!file) return WriteResult::failure(ioError("write", staged.finalPath(), errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) return WriteResult::failure(ioError("write", staged.finalPath(), errno));
  return staged.commit();
}

}  // namespace

int jpegQuality(int fileFormatProperty) { return std::clamp(100 - fileFormatProperty, 1, 100); }

WriteResult writeJpeg(const Dib& page, const std::string& path, int quality) {
  std::vector<std::uint8_t> bytes;
  if (WriteResult encoded = encodeJpeg(page, quality, bytes); !encoded) {
    return WriteResult::failure(path + ": " + encoded.error());
  }
  StagedFile staged(path);
  if (!staged.ok()) return WriteResult::failure(staged.error());
  return writeBytes(bytes, staged);
}

// The TIFF writer stages its file itself; a page that fails leaves it with no
// page, so nothing is moved into place.
WriteResult writeTiff(const Dib& page, const std::string& path) {
  TiffWriter tiff(path);
  WriteResult added = tiff.addPage(page);
  WriteResult finished = tiff.finish();
  if (!added || !finished) {
    return WriteResult::failure("cannot write " + path + ": " + (added ? finished : added).error());
  }
  return WriteResult::success();
}

WriteResult writeImageFile(int formatCode, const Dib& page, const std::string& path,
                           int fileFormatProperty) {
  switch (formatCode) {
    case format::kBmp: return writeBmp(page, path);
    case format::kJpeg: return writeJpeg(page, path, jpegQuality(fileFormatProperty));
    case format::kGif: return writeGif(page, path);
    case format::kTiff: return writeTiff(page, path);
    default:
      return WriteResult::failure("format code " + std::to_string(formatCode) +
                                  " is not a single-page image format; " + path + " was not written");
  }
}

}  // namespace ostrel::writers
