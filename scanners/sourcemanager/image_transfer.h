#pragma once
// Handing a page image to the application by the kinds of TWAIN transfer,
// the same for every data source: memory (strips of rows in the application's
// buffer) and file (a BMP file the application named beforehand). A native
// transfer hands over the page's own memory (memoryHoldingImage).
#include <string>

#include "imaging/dib.h"
#include "scanners/protocol/twain_protocol.h"

namespace ostrel::virtualscanner {

// DAT_IMAGEINFO of a page scanned at a resolution.
void describeImage(const Dib& page, double xDpi, double yDpi, twain::TW_IMAGEINFO& info);

// DAT_SETUPMEMXFER: the strip buffer sizes the sources work with.
void memoryTransferSizes(twain::TW_SETUPMEMXFER& setup);

// One page's memory transfer, strip after strip, rows top down; colour goes
// as red, green, blue.
class StripTransfer {
 public:
  void restart() { row_ = 0; }
  bool started() const { return row_ > 0; }
  // Fills the strip with the next rows: TWRC_SUCCESS while rows remain,
  // TWRC_XFERDONE with the last ones, TWRC_FAILURE (nothing done) when the
  // buffer is missing or cannot hold a row.
  twain::TW_UINT16 next(const Dib& page, twain::TW_IMAGEMEMXFER& strip);

 private:
  int row_ = 0;
};

// DAT_SETUPFILEXFER: the file a file transfer writes, BMP only.
class FileTransferSetup {
 public:
  struct Answer {
    twain::TW_UINT16 returnCode = twain::TWRC_SUCCESS;
    twain::TW_UINT16 condition = twain::TWCC_SUCCESS;
    std::string record;  // the session record's line for a MSG_SET
  };
  // transferring: a transfer is under way, when the file cannot change.
  Answer handle(twain::TW_UINT16 msg, twain::TW_SETUPFILEXFER& setup, bool transferring);
  const std::string& file() const { return file_; }

 private:
  std::string file_ = "TWAIN.TMP";
  twain::TW_UINT16 format_ = twain::TWFF_BMP;
};

}  // namespace ostrel::virtualscanner
