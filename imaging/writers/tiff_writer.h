#pragma once
// A TIFF file written one page at a time with libtiff, each page its own
// directory appended as it arrives, so memory stays flat whatever the page count.
// Compression follows each page: CCITT Group 4 for 1-bit pages (min-is-white),
// JPEG for grey and colour pages (colour as YCbCr). Resolution is written in
// whole dots per inch, truncated from the page's dots per metre (11811 -> 299);
// a page without a resolution gets none.
//
// Finish contract: as every other writer, it writes to a hidden temporary file
// beside its path (see staged_file.h), which holds a valid TIFF of every page
// added so far after each successful addPage(). finish() closes it and moves it
// to its path; until then an older file of that name stays as it was, also when
// the process dies on the way. A writer destroyed without finish() finishes in
// its destructor, but the outcome is then lost to the caller. A writer that
// received no page leaves no file: an empty TIFF is not a valid file.
#include <memory>
#include <string>

#include "imaging/dib.h"
#include "imaging/writers/write_result.h"

namespace ostrel::writers {

class TiffWriter {
 public:
  // Creates the temporary file at once; a failure shows in ok() and every later
  // call reports it.
  explicit TiffWriter(std::string path);
  ~TiffWriter();
  TiffWriter(TiffWriter&&) noexcept;
  TiffWriter& operator=(TiffWriter&&) noexcept;

  bool ok() const;
  const std::string& path() const;
  // The pages in the file, also after a failure and after finish().
  int pageCount() const;

  // Appends the page as the next directory. After a failure the file keeps the
  // pages written before it, and further pages are refused.
  WriteResult addPage(const Dib& page);
  // Closes the file and moves it to its path. Success only when every page went
  // in and the file holds at least one; after a failed page the pages before it
  // are moved into place and the failure says how many. Later calls return the
  // same outcome.
  WriteResult finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ostrel::writers
