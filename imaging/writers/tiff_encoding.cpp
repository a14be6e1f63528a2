// libtiff stays in this file: the TIFF file writer and the bare G4 encoder for
// PDF pages share the page tags and the row loop below.
#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "imaging/writers/ccitt_g4.h"
#include "imaging/writers/page_rows.h"
#include "imaging/writers/staged_file.h"
#include "imaging/writers/tiff_writer.h"
#include "platform/file_descriptor.h"

namespace ostrel::writers {

namespace {

constexpr int kJpegQuality = 75;
// JPEG strips must hold a multiple of 16 rows with 2x2 colour subsampling.
constexpr std::uint32_t kJpegRowsPerStrip = 256;

// libtiff's messages for one handle, kept instead of printed.
struct Messages {
  std::string lastError;
};

int collectError(TIFF*, void* userData, const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  auto* messages = static_cast<Messages*>(userData);
  messages->lastError = module ? std::string(module) + ": " + text : std::string(text);
  return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using OpenOptions = std::unique_ptr<TIFFOpenOptions, OptionsDeleter>;

OpenOptions quietOptions(Messages* messages) {
  OpenOptions options(TIFFOpenOptionsAlloc());
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), collectError, messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), ignoreWarning, nullptr);
  return options;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

std::string failureText(const char* what, const Messages& messages) {
  return messages.lastError.empty() ? std::string(what) : std::string(what) + ": " + messages.lastError;
}

// Sets the tags of one page and writes its rows. `resolution` is false for the
// bare G4 data, which carries none.
bool writePage(TIFF* tiff, const Dib& page, bool resolution) {
  const PageKind kind = pageKind(page);
  const auto width = static_cast<std::uint32_t>(page.width());
  const auto height = static_cast<std::uint32_t>(page.height());
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  if (kind == PageKind::bilevel) {
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
  } else {
    const bool grey = kind == PageKind::grey;
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_YCBCR);
    // Pseudo-tags, set after the compression: quality, and RGB in while YCbCr is stored.
    TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, kJpegQuality);
    if (!grey) TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::min(height, kJpegRowsPerStrip));
  }
  const int xDpi = page.xDpi();
  const int yDpi = page.yDpi();
  if (resolution && xDpi > 0 && yDpi > 0) {
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(xDpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(yDpi));
  }

  RowReader rows(page, layoutFor(kind, RowLayout::rgb));
  // libtiff may alter the row it is given, so the page's own rows go through a copy.
  const tmsize_t rowBytes = TIFFScanlineSize(tiff);
  if (rowBytes <= 0) return false;
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(rowBytes));
  for (std::uint32_t y = 0; y < height; ++y) {
    std::memcpy(scratch.data(), rows.row(static_cast<int>(y)), scratch.size());
    if (TIFFWriteScanline(tiff, scratch.data(), y, 0) < 0) return false;
  }
  return TIFFWriteDirectory(tiff) != 0;
}

// Where libtiff's bytes go: a growable buffer, or a file descriptor that can be
// cut off after a failure so that libtiff's closing flush adds no torn page.
struct Target {
  std::vector<std::uint8_t>* memory = nullptr;
  std::size_t position = 0;
  int fd = -1;
  bool refused = false;
};

tmsize_t targetRead(thandle_t handle, void* buffer, tmsize_t size) {
  auto* t = static_cast<Target*>(handle);
  if (t->fd >= 0) return ::read(t->fd, buffer, static_cast<std::size_t>(size));
  const std::size_t available = t->position < t->memory->size() ? t->memory->size() - t->position : 0;
  const std::size_t n = std::min(available, static_cast<std::size_t>(size));
  std::memcpy(buffer, t->memory->data() + t->position, n);
  t->position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t targetWrite(thandle_t handle, void* buffer, tmsize_t size) {
  auto* t = static_cast<Target*>(handle);
  if (t->refused) return -1;
  const auto n = static_cast<std::size_t>(size);
  if (t->fd >= 0) {
    if (const int failure = platform::writeAll(t->fd, buffer, n)) {
      errno = failure;  // the page's failure names it
      return -1;
    }
    return size;
  }
  if (t->position + n > t->memory->size()) t->memory->resize(t->position + n);
  std::memcpy(t->memory->data() + t->position, buffer, n);
  t->position += n;
  return size;
}

toff_t targetSeek(thandle_t handle, toff_t offset, int whence) {
  auto* t = static_cast<Target*>(handle);
  if (t->fd >= 0) return static_cast<toff_t>(::lseek(t->fd, static_cast<off_t>(offset), whence));
  std::size_t base = 0;
  if (whence == SEEK_CUR) base = t->position;
  if (whence == SEEK_END) base = t->memory->size();
  t->position = base + static_cast<std::size_t>(offset);
  return t->position;
}

toff_t targetSize(thandle_t handle) {
  auto* t = static_cast<Target*>(handle);
  if (t->fd < 0) return t->memory->size();
  struct stat info {};
  return ::fstat(t->fd, &info) == 0 ? static_cast<toff_t>(info.st_size) : 0;
}

int targetClose(thandle_t) { return 0; }  // the descriptor is closed by its owner
int targetMap(thandle_t, void**, toff_t*) { return 0; }
void targetUnmap(thandle_t, void*, toff_t) {}

TIFF* openTarget(Target& target, const char* name, Messages& messages) {
  const OpenOptions options = quietOptions(&messages);
  return TIFFClientOpenExt(name, "w", &target, targetRead, targetWrite, targetSeek, targetClose,
                           targetSize, targetMap, targetUnmap, options.get());
}

}  // namespace

WriteResult encodeCcittG4(const Dib& page, std::vector<std::uint8_t>& out) {
  if (page.bitsPerPixel() != 1) return WriteResult::failure("only 1-bit pages can be CCITT G4 coded");
  out.clear();
  Target target;
  target.memory = &out;
  Messages messages;
  TiffHandle tiff(openTarget(target, "page", messages));
  if (!tiff || !writePage(tiff.get(), page, false)) {
    return WriteResult::failure(failureText("CCITT G4 encoding failed", messages));
  }
  // The page went into one strip; keep its bytes and drop the TIFF around them.
  TIFFSetDirectory(tiff.get(), 0);
  toff_t* offsets = nullptr;
  toff_t* counts = nullptr;
  if (!TIFFGetField(tiff.get(), TIFFTAG_STRIPOFFSETS, &offsets) ||
      !TIFFGetField(tiff.get(), TIFFTAG_STRIPBYTECOUNTS, &counts) || offsets[0] + counts[0] > out.size()) {
    return WriteResult::failure(failureText("CCITT G4 encoding lost its strip", messages));
  }
  const std::size_t offset = offsets[0];
  const std::size_t count = counts[0];
  tiff.reset();
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(offset));
  out.resize(count);
  return WriteResult::success();
}

struct TiffWriter::State {
  std::string path;
  std::optional<StagedFile> staged;
  Messages messages;
  Target target;
  TiffHandle tiff;  // declared after target: closed while the target still exists
  std::string error;
  off_t goodSize = 0;  // the file's size after the last complete page
  int pages = 0;
  bool finished = false;

  void fail(std::string reason) {
    error = std::move(reason);
    // Cut the file back to its last complete page and let nothing more in.
    target.refused = true;
    if (target.fd >= 0 && pages > 0) (void)::ftruncate(target.fd, goodSize);
  }
};

TiffWriter::TiffWriter(std::string path) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.path = std::move(path);
  s.staged.emplace(s.path);
  if (!s.staged->ok()) {
    s.error = s.staged->error();
    return;
  }
  s.target.fd = ::open(s.staged->temporaryPath().c_str(), O_RDWR | O_CLOEXEC);
  if (s.target.fd < 0) {
    s.error = ioError("create", s.path, errno);
    return;
  }
  s.tiff.reset(openTarget(s.target, s.path.c_str(), s.messages));
  if (!s.tiff) s.fail(failureText(("cannot start TIFF " + s.path).c_str(), s.messages));
}

TiffWriter::~TiffWriter() {
  if (state_) (void)finish();
}

TiffWriter::TiffWriter(TiffWriter&&) noexcept = default;
TiffWriter& TiffWriter::operator=(TiffWriter&& other) noexcept {
  if (this != &other) {
    if (state_) (void)finish();
    state_ = std::move(other.state_);
  }
  return *this;
}

bool TiffWriter::ok() const { return state_->error.empty(); }
const std::string& TiffWriter::path() const { return state_->path; }
int TiffWriter::pageCount() const { return state_->pages; }

WriteResult TiffWriter::addPage(const Dib& page) {
  State& s = *state_;
  if (s.finished) return WriteResult::failure("TIFF " + s.path + " is already closed");
  if (!s.error.empty()) return WriteResult::failure(s.error);
  s.messages.lastError.clear();
  errno = 0;
  if (!writePage(s.tiff.get(), page, true)) {
    const int cause = errno;
    std::string reason = failureText(
        ("cannot write page " + std::to_string(s.pages + 1) + " of " + s.path).c_str(), s.messages);
    if (s.messages.lastError.empty() && cause != 0) reason += std::string(": ") + std::strerror(cause);
    s.fail(std::move(reason));
    return WriteResult::failure(s.error);
  }
  ++s.pages;
  s.goodSize = ::lseek(s.target.fd, 0, SEEK_END);
  return WriteResult::success();
}

WriteResult TiffWriter::finish() {
  State& s = *state_;
  if (!s.finished) {
    s.finished = true;
    // Only a failed page leaves an error here once a page is in.
    const bool pageFailed = s.pages > 0 && !s.error.empty();
    s.tiff.reset();
    bool closed = true;
    if (s.target.fd >= 0) {
      closed = ::close(s.target.fd) == 0;
      if (!closed && s.error.empty()) s.error = ioError("finish", s.path, errno);
      s.target.fd = -1;
    }
    if (s.pages == 0) {
      if (s.error.empty()) s.error = "no page was added; " + s.path + " was not written";
    } else if (closed) {
      // After a failed page the file was cut back to the pages before it, which go in.
      if (WriteResult moved = s.staged->commit(); !moved) {
        s.error = moved.error();
      } else if (pageFailed) {
        s.error = keptPagesError(s.error, s.pages, s.path);
      }
    }
    s.staged.reset();  // removes the temporary file unless it was moved into place
  }
  return s.error.empty() ? WriteResult::success() : WriteResult::failure(s.error);
}

}  // namespace ostrel::writers
