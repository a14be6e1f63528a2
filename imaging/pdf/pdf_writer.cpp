#include "imaging/pdf/pdf_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include <zlib.h>

#include "imaging/pdf/glyphless_font.h"
#include "imaging/pdf/text_layer.h"
#include "imaging/writers/ccitt_g4.h"
#include "imaging/writers/jpeg_encoder.h"
#include "imaging/writers/page_rows.h"
#include "imaging/writers/staged_file.h"
#include "platform/file_descriptor.h"

namespace ostrel::pdf {

namespace {

// Objects 1 and 2 are the catalog and the page tree, written last; the pages'
// objects (image, content stream, page) and the fonts, when the first page
// needs them, follow in the order they are written.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kFirstPageObject = 3;

constexpr const char* kInvisibleFont = "FText";
constexpr const char* kVisibleFont = "FVis";

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

double pointsPerPixel(int dotsPerMetre) {
  if (dotsPerMetre < kMinimumDotsPerMetre) dotsPerMetre = Dib::kDotsPerMetre300;
  return 72.0 / (dotsPerMetre * 0.0254);
}

// Deflated bytes; the text layer and the font's tables shrink to a fraction.
std::vector<std::uint8_t> deflated(const void* data, std::size_t size) {
  uLongf length = compressBound(static_cast<uLong>(size));
  std::vector<std::uint8_t> out(length);
  if (compress2(out.data(), &length, static_cast<const Bytef*>(data), static_cast<uLong>(size), Z_BEST_COMPRESSION) !=
      Z_OK) {
    return {};
  }
  out.resize(length);
  return out;
}

// Maps every code of the glyph-less font (a UTF-16 unit) to that same unit, in
// blocks of 256 codes whose last byte runs 00 to FF as ranges want it.
std::string identityToUnicode() {
  std::string map =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  char line[40];
  for (int block = 0; block < 256; block += 100) {
    const int count = std::min(100, 256 - block);
    map += std::to_string(count) + " beginbfrange\n";
    for (int high = block; high < block + count; ++high) {
      std::snprintf(line, sizeof line, "<%02X00> <%02XFF> <%02X00>\n", high, high, high);
      map += line;
    }
    map += "endbfrange\n";
  }
  return map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
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
  std::vector<int> pageObjects;          // the page objects, for the page tree
  // Font objects, written with the first page that needs them; 0 until then.
  int invisibleFont = 0;
  int visibleFont = 0;
  // What the file held at the end of the last complete page.
  std::size_t objectsAtComplete = kFirstPageObject;
  int invisibleFontAtComplete = 0;
  int visibleFontAtComplete = 0;
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
  int newObject() {
    const int number = static_cast<int>(offsets.size());
    offsets.push_back(0);
    return number;
  }
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
  // A stream deflated when that makes it smaller.
  void deflatedStream(std::string dictionary, const void* data, std::size_t size) {
    const std::vector<std::uint8_t> packed = deflated(data, size);
    if (packed.empty() || packed.size() >= size) return stream(dictionary, data, size);
    if (!dictionary.empty()) dictionary += " ";
    stream(dictionary + "/Filter /FlateDecode", packed.data(), packed.size());
  }
  void markComplete() {
    complete = written;
    objectsAtComplete = offsets.size();
    invisibleFontAtComplete = invisibleFont;
    visibleFontAtComplete = visibleFont;
  }
  int invisibleFontObject();
  int visibleFontObject();
  // Drops the torn page after a failed write, so the pages before it can still
  // be completed into a document.
  bool cutBackToCompletePages() {
    if (::ftruncate(fd, static_cast<off_t>(complete)) != 0 ||
        ::lseek(fd, static_cast<off_t>(complete), SEEK_SET) < 0) {
      return false;
    }
    written = complete;
    offsets.resize(objectsAtComplete);
    pageObjects.resize(static_cast<std::size_t>(pages));
    invisibleFont = invisibleFontAtComplete;
    visibleFont = visibleFontAtComplete;
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
  s.markComplete();
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

int PdfWriter::State::invisibleFontObject() {
  if (invisibleFont != 0) return invisibleFont;
  const std::vector<std::uint8_t> font = glyphlessFont();
  const int file = newObject();
  beginObject(file);
  const std::vector<std::uint8_t> packedFont = deflated(font.data(), font.size());
  stream("/Length1 " + std::to_string(font.size()) + " /Filter /FlateDecode", packedFont.data(), packedFont.size());

  const int descriptor = newObject();
  beginObject(descriptor);
  put("<< /Type /FontDescriptor /FontName /GlyphLessFont /Flags 5 /FontBBox [0 " +
      std::to_string(kGlyphlessDescent) + " " + std::to_string(kGlyphlessAdvance) + " " +
      std::to_string(kGlyphlessAscent) + "] /ItalicAngle 0 /Ascent " + std::to_string(kGlyphlessAscent) +
      " /Descent " + std::to_string(kGlyphlessDescent) + " /CapHeight " + std::to_string(kGlyphlessAscent) +
      " /StemV 80 /FontFile2 " + std::to_string(file) + " 0 R >>\nendobj\n");

  // Every code draws the font's one empty glyph.
  std::vector<std::uint8_t> toGlyph(2 * 65536);
  for (std::size_t i = 1; i < toGlyph.size(); i += 2) toGlyph[i] = 1;
  const int glyphMap = newObject();
  beginObject(glyphMap);
  deflatedStream("", toGlyph.data(), toGlyph.size());

  const std::string unicode = identityToUnicode();
  const int toUnicode = newObject();
  beginObject(toUnicode);
  deflatedStream("", unicode.data(), unicode.size());

  const int descendant = newObject();
  beginObject(descendant);
  put("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /GlyphLessFont /CIDSystemInfo << /Registry (Adobe) "
      "/Ordering (Identity) /Supplement 0 >> /FontDescriptor " + std::to_string(descriptor) + " 0 R /DW " +
      std::to_string(kGlyphlessAdvance) + " /CIDToGIDMap " + std::to_string(glyphMap) + " 0 R >>\nendobj\n");

  invisibleFont = newObject();
  beginObject(invisibleFont);
  put("<< /Type /Font /Subtype /Type0 /BaseFont /GlyphLessFont /Encoding /Identity-H /DescendantFonts [" +
      std::to_string(descendant) + " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R >>\nendobj\n");
  return invisibleFont;
}

int PdfWriter::State::visibleFontObject() {
  if (visibleFont != 0) return visibleFont;
  visibleFont = newObject();
  beginObject(visibleFont);
  put("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>\nendobj\n");
  return visibleFont;
}

WriteResult PdfWriter::addPage(const Dib& page, const ocr::PageText* text, TextLayer layer) {
  State& s = *state_;
  if (s.finished) return WriteResult::failure("PDF " + s.path + " is already closed");
  if (!s.error.empty()) return WriteResult::failure(s.error);

  const bool withText = text != nullptr && !text->empty() && layer != TextLayer::none;
  const bool imageReplaced = withText && layer == TextLayer::replacesImage;
  const std::string width = std::to_string(page.width());
  const std::string height = std::to_string(page.height());
  std::string image = "/Type /XObject /Subtype /Image /Width " + width + " /Height " + height;
  if (!imageReplaced) {
    const writers::PageKind kind = writers::pageKind(page);
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
  }

  const std::string pageWidth = points(page.width(), page.xDotsPerMetre());
  const std::string pageHeight = points(page.height(), page.yDotsPerMetre());
  PageGeometry placed;
  placed.pointsPerPixelX = pointsPerPixel(page.xDotsPerMetre());
  placed.pointsPerPixelY = pointsPerPixel(page.yDotsPerMetre());
  placed.widthPoints = page.width() * placed.pointsPerPixelX;
  placed.heightPoints = page.height() * placed.pointsPerPixelY;

  std::string resources;
  std::string content;
  if (withText) {
    const int font = imageReplaced ? s.visibleFontObject() : s.invisibleFontObject();
    const char* name = imageReplaced ? kVisibleFont : kInvisibleFont;
    resources += std::string(" /Font << /") + name + " " + std::to_string(font) + " 0 R >>";
    content = imageReplaced ? visibleText(*text, placed, name) : invisibleText(*text, placed, name);
  }
  if (!imageReplaced) {
    const int imageObject = s.newObject();
    s.beginObject(imageObject);
    s.stream(image, s.encoded.data(), s.encoded.size());
    resources += " /XObject << /Im0 " + std::to_string(imageObject) + " 0 R >>";
    content = "q " + pageWidth + " 0 0 " + pageHeight + " 0 0 cm /Im0 Do Q\n" + content;
  }

  const int contentObject = s.newObject();
  s.beginObject(contentObject);
  if (withText) {
    s.deflatedStream("", content.data(), content.size());
  } else {
    s.stream("", content.data(), content.size());
  }

  const int pageObject = s.newObject();
  s.beginObject(pageObject);
  s.put("<< /Type /Page /Parent " + std::to_string(kPageTree) + " 0 R /MediaBox [0 0 " + pageWidth + " " +
        pageHeight + "] /Resources <<" + resources + " >> /Contents " + std::to_string(contentObject) +
        " 0 R >>\nendobj\n");
  if (!s.error.empty()) {
    if (s.pages > 0 && s.cutBackToCompletePages()) s.keptAfterFailure = true;
    return WriteResult::failure(s.error);
  }
  ++s.pages;
  s.pageObjects.push_back(pageObject);
  s.markComplete();
  return WriteResult::success();
}

void PdfWriter::State::writeTrailer() {
  beginObject(kPageTree);
  std::string tree = "<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [";
  for (const int page : pageObjects) tree += " " + std::to_string(page) + " 0 R";
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
