#pragma once
// The text recognised on a batch's pages as one document, written page by page
// as the pages come (nothing but the file is kept between pages):
//
//   text      UTF-8 plain text: lines as recognised, paragraphs separated by an
//             empty line, pages by a form feed.
//   rich text RTF 1.x: one paragraph per recognised paragraph (its lines joined
//             so a word processor reflows it), a page break between pages;
//             characters beyond ASCII as \uN escapes (UTF-16 units, signed),
//             each followed by its Windows-1252 character (\'xx) or "?" for
//             readers that skip \u.
//   document  the same RTF under the ".doc" name: every word processor opens it,
//             where the binary Word format would need a library no distribution
//             keeps.
//
// Finish contract as for the PDF writer: the file is written under a hidden
// temporary name and moved to its path by finish(); the destructor finishes a
// document left open. A document that received no page leaves no file.
#include <memory>
#include <string>

#include "imaging/ocr/page_text.h"
#include "imaging/writers/write_result.h"

namespace ostrel::writers {

enum class TextFormat { plain, rich };

// The RTF of one paragraph's text: its characters escaped for RTF.
std::string rtfEscaped(const std::string& utf8);

class TextDocument {
 public:
  TextDocument(std::string path, TextFormat format);
  ~TextDocument();
  TextDocument(TextDocument&&) noexcept;
  TextDocument& operator=(TextDocument&&) noexcept;

  bool ok() const;
  const std::string& path() const;
  int pageCount() const;

  // Appends a page's text (an empty page adds an empty page).
  WriteResult addPage(const ocr::PageText& text);
  WriteResult finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ostrel::writers
