#include "scanners/sourcemanager/image_transfer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "scanners/sourcemanager/dsm_memory.h"

namespace ostrel::virtualscanner {

using namespace twain;

void describeImage(const Dib& page, double xDpi, double yDpi, TW_IMAGEINFO& info) {
  const int bits = page.bitsPerPixel();
  info = TW_IMAGEINFO{};
  info.XResolution = toFix32(xDpi);
  info.YResolution = toFix32(yDpi);
  info.ImageWidth = page.width();
  info.ImageLength = page.height();
  info.SamplesPerPixel = static_cast<TW_INT16>(bits == 24 ? 3 : 1);
  for (int i = 0; i < info.SamplesPerPixel; ++i) info.BitsPerSample[i] = static_cast<TW_INT16>(bits == 1 ? 1 : 8);
  info.BitsPerPixel = static_cast<TW_INT16>(bits);
  info.Planar = 0;
  info.PixelType = static_cast<TW_INT16>(bits == 24 ? TWPT_RGB : bits == 8 ? TWPT_GRAY : TWPT_BW);
  info.Compression = TWCP_NONE;
}

void memoryTransferSizes(TW_SETUPMEMXFER& setup) {
  setup.MinBufSize = 4096;
  setup.MaxBufSize = 1u << 20;
  setup.Preferred = 64 * 1024;
}

TW_UINT16 StripTransfer::next(const Dib& page, TW_IMAGEMEMXFER& strip) {
  const std::size_t bytesPerRow = (static_cast<std::size_t>(page.width()) * page.bitsPerPixel() + 7) / 8;
  const bool handle = (strip.Memory.Flags & TWMF_HANDLE) != 0;
  auto* memory = static_cast<std::uint8_t*>(handle ? memoryLock(strip.Memory.TheMem) : strip.Memory.TheMem);
  if (!memory || strip.Memory.Length < bytesPerRow) return TWRC_FAILURE;

  const int rows = std::min(static_cast<int>(strip.Memory.Length / bytesPerRow), page.height() - row_);
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* in = page.row(row_ + r);
    std::uint8_t* out = memory + static_cast<std::size_t>(r) * bytesPerRow;
    if (page.bitsPerPixel() == 24) {
      // Memory transfers carry colour as red, green, blue.
      for (int x = 0; x < page.width(); ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    } else {
      std::memcpy(out, in, bytesPerRow);
    }
  }
  if (handle) memoryUnlock(strip.Memory.TheMem);
  strip.Compression = TWCP_NONE;
  strip.BytesPerRow = static_cast<TW_UINT32>(bytesPerRow);
  strip.Columns = static_cast<TW_UINT32>(page.width());
  strip.Rows = static_cast<TW_UINT32>(rows);
  strip.XOffset = 0;
  strip.YOffset = static_cast<TW_UINT32>(row_);
  strip.BytesWritten = static_cast<TW_UINT32>(rows * bytesPerRow);
  row_ += rows;
  return row_ < page.height() ? TWRC_SUCCESS : TWRC_XFERDONE;
}

FileTransferSetup::Answer FileTransferSetup::handle(TW_UINT16 msg, TW_SETUPFILEXFER& setup, bool transferring) {
  if (msg == MSG_GET || msg == MSG_GETDEFAULT) {
    std::snprintf(setup.FileName, sizeof setup.FileName, "%s", file_.c_str());
    setup.Format = format_;
    setup.VRefNum = 0;
    return {};
  }
  if (msg != MSG_SET) return {TWRC_FAILURE, TWCC_BADPROTOCOL, {}};
  const std::string name(setup.FileName, strnlen(setup.FileName, sizeof setup.FileName));
  const std::string line = "MSG_SET DAT_SETUPFILEXFER " + name + " format " + std::to_string(setup.Format);
  if (transferring) return {TWRC_FAILURE, TWCC_SEQERROR, line + " (refused: TWCC_SEQERROR)"};
  if (setup.Format != TWFF_BMP || name.empty()) return {TWRC_FAILURE, TWCC_BADVALUE, line + " (refused: TWCC_BADVALUE)"};
  file_ = name;
  format_ = setup.Format;
  return {TWRC_SUCCESS, TWCC_SUCCESS, line};
}

}  // namespace ostrel::virtualscanner
