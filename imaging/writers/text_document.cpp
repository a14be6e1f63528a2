#include "imaging/writers/text_document.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "imaging/writers/staged_file.h"
#include "imaging/writers/text_encoding.h"

namespace ostrel::writers {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Windows-1252 names the fallback of readers that skip \u; the escapes carry
// every character, and "?" stands in for the skipped one.
constexpr const char* kRtfStart =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}}\n"
    "\\viewkind4\\pard\\f0\\fs24 ";
constexpr const char* kRtfEnd = "}\n";

}  // namespace

std::string rtfEscaped(const std::string& utf8) {
  std::string out;
  // Readers that skip \u take the character after it: the Windows-1252 one
  // when there is one, else "?".
  const auto unit = [&out](unsigned value16, std::optional<unsigned char> fallback) {
    out += "\\u" + std::to_string(static_cast<int>(static_cast<short>(value16)));
    if (fallback) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += std::string("\\'") + kHex[*fallback >> 4] + kHex[*fallback & 0xF];
    } else {
      out += "?";
    }
  };
  for (const char32_t c : decodeUtf8(utf8)) {
    if (c < 0x80) {
      if (c == '\t') {
        out += "\\tab ";
      } else if (c >= 0x20) {
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += static_cast<char>(c);
      }
    } else if (c > 0xFFFF) {
      // RTF counts in signed 16-bit UTF-16 units: beyond the basic plane a
      // character takes a surrogate pair.
      const char32_t v = c - 0x10000;
      unit(0xD800 + static_cast<unsigned>(v >> 10), std::nullopt);
      unit(0xDC00 + static_cast<unsigned>(v & 0x3FF), std::nullopt);
    } else {
      unit(static_cast<unsigned>(c), windows1252(c));
    }
  }
  return out;
}

struct TextDocument::State {
  std::string path;
  TextFormat format;
  std::unique_ptr<StagedFile> staged;
  std::unique_ptr<std::FILE, FileCloser> file;
  std::string error;
  int pages = 0;
  bool finished = false;

  void put(const std::string& text) {
    if (!error.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) {
      error = ioError("write", path, errno);
    }
  }
};

TextDocument::TextDocument(std::string path, TextFormat format) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.path = std::move(path);
  s.format = format;
  s.staged = std::make_unique<StagedFile>(s.path);
  if (!s.staged->ok()) {
    s.error = s.staged->error();
    return;
  }
  s.file.reset(std::fopen(s.staged->temporaryPath().c_str(), "wb"));
  if (!s.file) {
    s.error = ioError("create", s.path, errno);
    return;
  }
  if (format == TextFormat::rich) s.put(kRtfStart);
}

TextDocument::~TextDocument() {
  if (state_) (void)finish();
}

TextDocument::TextDocument(TextDocument&&) noexcept = default;
TextDocument& TextDocument::operator=(TextDocument&& other) noexcept {
  if (this != &other) {
    if (state_) (void)finish();
    state_ = std::move(other.state_);
  }
  return *this;
}

bool TextDocument::ok() const { return state_->error.empty(); }
const std::string& TextDocument::path() const { return state_->path; }
int TextDocument::pageCount() const { return state_->pages; }

WriteResult TextDocument::addPage(const ocr::PageText& text) {
  State& s = *state_;
  if (s.finished) return WriteResult::failure(s.path + " is already closed");
  if (!s.error.empty()) return WriteResult::failure(s.error);
  if (s.format == TextFormat::plain) {
    if (s.pages > 0) s.put("\f");
    const std::string plain = text.plainText();
    s.put(plain.empty() ? plain : plain + "\n");
  } else {
    if (s.pages > 0) s.put("\\page\n");
    for (const std::string& paragraph : text.paragraphs()) s.put(rtfEscaped(paragraph) + "\\par\n");
  }
  if (!s.error.empty()) return WriteResult::failure(s.error);
  ++s.pages;
  return WriteResult::success();
}

WriteResult TextDocument::finish() {
  State& s = *state_;
  if (s.finished) return s.error.empty() ? WriteResult::success() : WriteResult::failure(s.error);
  s.finished = true;
  if (s.error.empty() && s.pages == 0) s.error = "no page was added; " + s.path + " was not written";
  if (s.error.empty() && s.format == TextFormat::rich) s.put(kRtfEnd);
  if (s.file && std::fclose(s.file.release()) != 0 && s.error.empty()) s.error = ioError("write", s.path, errno);
  if (s.error.empty()) {
    if (WriteResult moved = s.staged->commit(); !moved) s.error = moved.error();
  }
  if (!s.error.empty()) s.pages = 0;
  s.staged.reset();
  return s.error.empty() ? WriteResult::success() : WriteResult::failure(s.error);
}

}  // namespace ostrel::writers
