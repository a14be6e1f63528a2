#include "imaging/pdf/pdf_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "imaging/writers/ccitt_g4.h"
#include "imaging/writers/jpeg_encoder.h"
#include "imaging/writers/page_rows.h"
#include "imaging/writers/staged_file.h"
#include "platform/file_descriptor.h"

namespace ostrel::pdf {

namespace {

// Objects 1 and 2 are the catalog and the page tree, written last; every page
// then takes three numbers: its image, its content stream and the page itself.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kFirstPageObject = 3;
constexpr int kObjectsPerPage = 3;

// Below 10 dpi a resolution is taken as missing.
constexpr int kMinimumDotsPerMetre = 394;

// Points (1/72 inch) as text with two decimals; integer arithmetic keeps the
// output free of the locale's decimal separator.
std::string points(int pixels, int dotsPerMetre) {
  if (dotsPerMetre < kMinimumDotsPerMetre) dotsPerMetre = Dib::kDotsPerMetre300;
  const double value = pixels * 72.0 / (dotsPerMetre * 0.0254);
  const long long hundredths = std::llround(value * 100.0);
  std::string text = std::to_string(hundredths / 100) + ".";
  const long long fraction = hundredths % 100;
  if (fraction < 10) text += "0";
  return text + std::to_string(fraction);
}

}  // namespace

struct PdfWriter::State {
  std::string path;
  int jpegQuality = kDefaultJpegQuality;
  std::unique_ptr<writers::StagedFile> staged;
  int fd = -1;
  std::uint64_t written = 0;             // bytes so far, for the cross-reference table
  std::uint64_t complete = 0;            // bytes up to the end of the last complete page
  std::vector<std::uint64_t> offsets;    // by object number; 0 is the free entry
  std::vector<std::uint8_t> encoded;     // reused by every page
  std::string error;
  int pages = 0;
  bool finished = false;
  bool keptAfterFailure = false;  // a write failed; the complete pages are still to be finished

  ~State() {
    if (fd >= 0) ::close(fd);
  }

  // Straight to the descriptor, unbuffered: after a failed write nothing is left
  // in a buffer to be flushed later over the cut-back file.
  void put(const void* data, std::size_t size) {
    if (!error.empty()) return;
    if (const int failure = platform::writeAll(fd, data, size)) {
      error = writers::ioError("write", path, failure);
      return;
    }
    written += size;
  }
  void put(std::string_view text) { put(text.data(), text.size()); }
  void beginObject(int number) {
    if (offsets.size() <= static_cast<std::size_t>(number)) offsets.resize(static_cast<std::size_t>(number) + 1);
    offsets[static_cast<std::size_t>(number)] = written;
    put(std::to_string(number) + " 0 obj\n");
  }
  void stream(const std::string& dictionary, const void* data, std::size_t size) {
    put("<< " + dictionary + " /Length " + std::to_string(size) + " >>\nstream\n");
    put(data, size);
    put("\nendstream\nendobj\n");
  }
  // Drops the torn page after a failed write, so the pages before it can still
  // be completed into a document.
  bool cutBackToCompletePages() {
    if (::ftruncate(fd, static_cast<off_t>(complete)) != 0 ||
        ::lseek(fd, static_cast<off_t>(complete), SEEK_SET) < 0) {
      return false;
    }
    written = complete;
    offsets.resize(static_cast<std::size_t>(kFirstPageObject + kObjectsPerPage * pages));
    return true;
  }
  void writeTrailer();
};

PdfWriter::PdfWriter(std::string path, int jpegQuality) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.path = std::move(path);
  s.jpegQuality = jpegQuality;
  s.staged = std::make_unique<writers::StagedFile>(s.path);
  if (!s.staged->ok()) {
    s.error = s.staged->error();
    return;
  }
  s.fd = ::open(s.staged->temporaryPath().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (s.fd < 0) {
    s.error = writers::ioError("create", s.path, errno);
    return;
  }
  s.offsets.resize(kFirstPageObject);
  // The binary comment marks the file as binary for transfer programs.
  s.put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  s.complete = s.written;
}

PdfWriter::~PdfWriter() {
  if (state_) (void)finish();
}

PdfWriter::PdfWriter(PdfWriter&&) noexcept = default;
PdfWriter& PdfWriter::operator=(PdfWriter&& other) noexcept {
  if (this != &other) {
    if (state_) (void)finish();
    state_ = std::move(other.state_);
  }
  return *this;
}

bool PdfWriter::ok() const { return state_->error.empty(); }
const std::string& PdfWriter::path() const { return state_->path; }
int PdfWriter::pageCount() const { return state_->pages; }

WriteResult PdfWriter::addPage(const Dib& page) {
  State& s = *state_;
  if (s.finished) return WriteResult::failure("PDF " + s.path + " is already closed");
  if (!s.error.empty()) return WriteResult::failure(s.error);

  const writers::PageKind kind = writers::pageKind(page);
  const std::string width = std::to_string(page.width());
  const std::string height = std::to_string(page.height());
  std::string image = "/Type /XObject /Subtype /Image /Width " + width + " /Height " + height;
  WriteResult encoded = WriteResult::success();
  if (kind == writers::PageKind::bilevel) {
    encoded = writers::encodeCcittG4(page, s.encoded);
    image += " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode"
             " /DecodeParms << /K -1 /Columns " + width + " /Rows " + height + " /BlackIs1 false >>";
  } else {
    encoded = writers::encodeJpeg(page, s.jpegQuality, s.encoded);
    image += std::string(" /ColorSpace ") + (kind == writers::PageKind::grey ? "/DeviceGray" : "/DeviceRGB") +
             " /BitsPerComponent 8 /Filter /DCTDecode";
  }
  if (!encoded) {
    return WriteResult::failure("page " + std::to_string(s.pages + 1) + " left out of " + s.path + ": " +
                                encoded.error());
  }

  const int imageObject = kFirstPageObject + kObjectsPerPage * s.pages;
  const std::string pageWidth = points(page.width(), page.xDotsPerMetre());
  const std::string pageHeight = points(page.height(), page.yDotsPerMetre());
  s.beginObject(imageObject);
  s.stream(image, s.encoded.data(), s.encoded.size());

  const std::string content = "q " + pageWidth + " 0 0 " + pageHeight + " 0 0 cm /Im0 Do Q\n";
  s.beginObject(imageObject + 1);
  s.stream("", content.data(), content.size());

  s.beginObject(imageObject + 2);
  s.put("<< /Type /Page /Parent " + std::to_string(kPageTree) + " 0 R /MediaBox [0 0 " + pageWidth + " " +
        pageHeight + "] /Resources << /XObject << /Im0 " + std::to_string(imageObject) +
        " 0 R >> >> /Contents " + std::to_string(imageObject + 1) + " 0 R >>\nendobj\n");
  if (!s.error.empty()) {
    if (s.pages > 0 && s.cutBackToCompletePages()) s.keptAfterFailure = true;
    return WriteResult::failure(s.error);
  }
  ++s.pages;
  s.complete = s.written;
  return WriteResult::success();
}

void PdfWriter::State::writeTrailer() {
  beginObject(kPageTree);
  std::string tree = "<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [";
  for (int i = 0; i < pages; ++i) tree += " " + std::to_string(kFirstPageObject + kObjectsPerPage * i + 2) + " 0 R";
  put(tree + " ] >>\nendobj\n");
  beginObject(kCatalog);
  put("<< /Type /Catalog /Pages " + std::to_string(kPageTree) + " 0 R >>\nendobj\n");

  const std::uint64_t xref = written;
  std::string table = "xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n";
  table.reserve(table.size() + 20 * offsets.size() + 100);
  char entry[32];
  for (std::size_t i = 1; i < offsets.size(); ++i) {
    // Each entry is exactly 20 bytes, its end of line a space and a line feed.
    std::snprintf(entry, sizeof entry, "%010llu 00000 n \n", static_cast<unsigned long long>(offsets[i]));
    table.append(entry, 20);
  }
  table += "trailer\n<< /Size " + std::to_string(offsets.size()) + " /Root " + std::to_string(kCatalog) +
           " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  put(table);  // in one write: the descriptor is unbuffered
}

WriteResult PdfWriter::finish() {
  State& s = *state_;
  if (!s.finished) {
    s.finished = true;
    // After a failed write the pages before it still make a document: it is
    // completed and kept, and the failure is still reported.
    const std::string failure = s.keptAfterFailure ? std::exchange(s.error, {}) : std::string();
    bool committed = false;
    if (s.error.empty() && s.pages > 0) {
      s.writeTrailer();
      const int descriptor = std::exchange(s.fd, -1);
      if (::close(descriptor) != 0 && s.error.empty()) s.error = writers::ioError("write", s.path, errno);
      if (s.error.empty()) {
        if (WriteResult moved = s.staged->commit(); !moved) s.error = moved.error();
        committed = s.error.empty();
      }
    } else if (s.error.empty()) {
      s.error = "no page was added; " + s.path + " was not written";
    }
    if (!committed) s.pages = 0;
    if (!failure.empty()) {
      s.error = s.error.empty() ? writers::keptPagesError(failure, s.pages, s.path) : failure;
    }
    s.staged.reset();  // removes the temporary file unless it was moved into place
    s.encoded = {};
  }
  return s.error.empty() ? WriteResult::success() : WriteResult::failure(s.error);
}

}  // namespace ostrel::pdf
