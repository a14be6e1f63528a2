#include "tools/virtualscanner/virtual_source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/scan/twain/bitmap_file.h"
#include "platform/text.h"
#include "tools/virtualscanner/dsm_memory.h"

namespace ostrel::virtualscanner {

using namespace twain;

namespace {

double bedWidthInches(const VirtualDevice& d) {
  return std::max(d.feeder ? d.feederWidth : 0, d.flatbed ? d.flatbedWidth : 0) / 300.0;
}
double bedLengthInches(const VirtualDevice& d) {
  return std::max(d.feeder ? d.feederLength : 0, d.flatbed ? d.flatbedLength : 0) / 300.0;
}

FrameInches bed(const VirtualDevice& d) { return {0, 0, bedWidthInches(d), bedLengthInches(d)}; }

TW_FRAME toFrame(const FrameInches& f) {
  return {toFix32(f.left), toFix32(f.top), toFix32(f.right), toFix32(f.bottom)};
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string describe(const Dib& image) {
  return std::to_string(image.width()) + "x" + std::to_string(image.height()) + " " +
         std::to_string(image.bitsPerPixel()) + " bits";
}

}  // namespace

VirtualDataSource::VirtualDataSource(const TW_IDENTITY& identity, VirtualDevice device, std::string deviceFolder,
                                     SheetCache& sheets, std::optional<Dib>& spare)
    : identity_(identity),
      device_(std::move(device)),
      deviceFolder_(std::move(deviceFolder)),
      capabilities_(device_),
      sheets_(sheets),
      spare_(spare),
      frame_(bed(device_)) {}

void VirtualDataSource::open() {
  record_.start(platform::joinPath(deviceFolder_, kSessionRecordName));
  record_.line("MSG_OPENDS");
  capabilities_ = SourceCapabilities(device_);
  stack_ = PageStack::forDevice(device_);
  record_.line("# feeder: " + std::to_string(stack_.size()) + " sheets");
  capabilities_.setReadOnly(CAP_FEEDERLOADED, stack_.size() > 0 ? 1 : 0);
  state_ = State::Open;
  nextSheet_ = 0;
  transfersDone_ = 0;
  current_.reset();
  events_.clear();
  frame_ = bed(device_);
  frameSet_ = false;
}

void VirtualDataSource::close(const char* how) {
  record_.line(how);
  disable();
}

TW_UINT16 VirtualDataSource::fail(TW_UINT16 condition) {
  condition_ = condition;
  return TWRC_FAILURE;
}

TW_UINT16 VirtualDataSource::handle(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  // Only the file transfer carries no data: the file was named beforehand.
  if (!data && !(dg == DG_IMAGE && dat == DAT_IMAGEFILEXFER)) return fail(TWCC_BADVALUE);
  if (dg == DG_CONTROL) {
    switch (dat) {
      case DAT_CAPABILITY: {
        const CapabilityResult result =
            capabilities_.handle(msg, *static_cast<TW_CAPABILITY*>(data), state_ == State::Open);
        if (!result.record.empty()) record_.line(result.record);
        if (result.returnCode != TWRC_SUCCESS) condition_ = result.condition;
        return result.returnCode;
      }
      case DAT_USERINTERFACE: return userInterface(msg, static_cast<TW_USERINTERFACE*>(data));
      case DAT_EVENT:
        if (msg != MSG_PROCESSEVENT) break;
        return event(static_cast<TW_EVENT*>(data));
      case DAT_PENDINGXFERS: return pendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
      case DAT_SETUPMEMXFER: {
        if (msg != MSG_GET) break;
        auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
        setup->MinBufSize = 4096;
        setup->MaxBufSize = 1u << 20;
        setup->Preferred = 64 * 1024;
        return TWRC_SUCCESS;
      }
      case DAT_SETUPFILEXFER: return setupFileTransfer(msg, static_cast<TW_SETUPFILEXFER*>(data));
      case DAT_STATUS: {
        if (msg != MSG_GET) break;
        auto* status = static_cast<TW_STATUS*>(data);
        status->ConditionCode = std::exchange(condition_, TWCC_SUCCESS);
        status->Data = 0;
        return TWRC_SUCCESS;
      }
      default: break;
    }
  } else if (dg == DG_IMAGE) {
    if (dat == DAT_IMAGELAYOUT) return layout(msg, static_cast<TW_IMAGELAYOUT*>(data));
    if (msg == MSG_GET) {
      switch (dat) {
        case DAT_IMAGEINFO: return imageInfo(static_cast<TW_IMAGEINFO*>(data));
        case DAT_IMAGENATIVEXFER: return nativeTransfer(static_cast<TW_HANDLE*>(data));
        case DAT_IMAGEMEMXFER: return memoryTransfer(static_cast<TW_IMAGEMEMXFER*>(data));
        case DAT_IMAGEFILEXFER: return fileTransfer();
        default: break;
      }
    }
  }
  return fail(TWCC_BADPROTOCOL);
}

TW_UINT16 VirtualDataSource::userInterface(TW_UINT16 msg, TW_USERINTERFACE* ui) {
  switch (msg) {
    case MSG_ENABLEDS:
      record_.line("MSG_ENABLEDS ShowUI=" + std::to_string(ui->ShowUI));
      if (state_ != State::Open) return fail(TWCC_SEQERROR);
      // No window of its own: the source is ready at once when paper is loaded,
      // and asks to be closed when the feeder is empty.
      state_ = remaining() > 0 ? State::Ready : State::Enabled;
      events_.push_back(state_ == State::Ready ? MSG_XFERREADY : MSG_CLOSEDSREQ);
      return TWRC_SUCCESS;
    case MSG_ENABLEDSUIONLY:
      record_.line("MSG_ENABLEDSUIONLY");
      if (state_ != State::Open) return fail(TWCC_SEQERROR);
      state_ = State::Enabled;
      events_.push_back(MSG_CLOSEDSOK);
      return TWRC_SUCCESS;
    case MSG_DISABLEDS:
      if (state_ == State::Open) {
        record_.line("MSG_DISABLEDS (refused: not enabled)");
        return fail(TWCC_SEQERROR);
      }
      record_.line(state_ == State::Transferring ? "MSG_DISABLEDS (in the middle of a transfer)" : "MSG_DISABLEDS");
      disable();
      return TWRC_SUCCESS;
    default: return fail(TWCC_BADPROTOCOL);
  }
}

void VirtualDataSource::disable() {
  state_ = State::Open;
  current_.reset();
  events_.clear();
}

TW_UINT16 VirtualDataSource::event(TW_EVENT* event) {
  if (events_.empty()) {
    event->TWMessage = MSG_NULL;
    return TWRC_NOTDSEVENT;
  }
  event->TWMessage = events_.front();
  events_.pop_front();
  return TWRC_DSEVENT;
}

TW_UINT16 VirtualDataSource::layout(TW_UINT16 msg, TW_IMAGELAYOUT* layout) {
  switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
      record_.line(msg == MSG_GETDEFAULT ? "MSG_GETDEFAULT DAT_IMAGELAYOUT" : "MSG_GET DAT_IMAGELAYOUT");
      layout->Frame = toFrame(msg == MSG_GETDEFAULT ? bed(device_) : frame_);
      layout->DocumentNumber = 1;
      layout->PageNumber = static_cast<TW_UINT32>(nextSheet_ + 1);
      layout->FrameNumber = 1;
      return TWRC_SUCCESS;
    case MSG_SET: {
      const FrameInches f{fromFix32(layout->Frame.Left), fromFix32(layout->Frame.Top),
                          fromFix32(layout->Frame.Right), fromFix32(layout->Frame.Bottom)};
      std::string line = "MSG_SET DAT_IMAGELAYOUT " + decimal(f.left) + " " + decimal(f.top) + " " +
                         decimal(f.right) + " " + decimal(f.bottom);
      if (state_ != State::Open) {
        record_.line(line + " (refused: TWCC_SEQERROR)");
        return fail(TWCC_SEQERROR);
      }
      if (!(f.left >= 0 && f.top >= 0 && f.right > f.left && f.bottom > f.top)) {
        record_.line(line + " (refused: TWCC_BADVALUE)");
        return fail(TWCC_BADVALUE);
      }
      record_.line(line);
      frame_ = f;
      frameSet_ = true;
      return TWRC_SUCCESS;
    }
    case MSG_RESET:
      record_.line("MSG_RESET DAT_IMAGELAYOUT");
      if (state_ != State::Open) return fail(TWCC_SEQERROR);
      frame_ = bed(device_);
      frameSet_ = false;
      layout->Frame = toFrame(frame_);
      return TWRC_SUCCESS;
    default: return fail(TWCC_BADPROTOCOL);
  }
}

int VirtualDataSource::remaining() const {
  const int sheets = static_cast<int>(stack_.size() - std::min(nextSheet_, stack_.size()));
  const auto limit = static_cast<TW_INT16>(capabilities_.item(CAP_XFERCOUNT));
  return limit > 0 ? std::min(sheets, std::max(0, limit - transfersDone_)) : sheets;
}

const Dib* VirtualDataSource::currentImage() {
  if (current_) return &*current_;
  while (remaining() > 0) {
    const std::size_t sheet = nextSheet_++;
    std::string error;
    const auto page = stack_.load(sheet, capabilities_.fix32(ICAP_XRESOLUTION), sheets_, &error);
    if (!page) {
      record_.line("# skipped " + baseName(stack_.name(sheet)) + ": " + error);
      continue;
    }
    PixelType type = PixelType::Colour;
    if (capabilities_.flag(kCapAutomaticColour)) {
      type = hasColour(page->image) ? PixelType::Colour : PixelType::Grey;
    } else if (capabilities_.item(ICAP_PIXELTYPE) == TWPT_BW) {
      type = PixelType::BlackWhite;
    } else if (capabilities_.item(ICAP_PIXELTYPE) == TWPT_GRAY) {
      type = PixelType::Grey;
    }
    ScanGeometry geometry;
    geometry.xDpi = capabilities_.fix32(ICAP_XRESOLUTION);
    geometry.yDpi = capabilities_.fix32(ICAP_YRESOLUTION);
    if (frameSet_ && !capabilities_.flag(kCapAutomaticSize)) geometry.frame = frame_;
    if (device_.feeder && capabilities_.flag(CAP_FEEDERENABLED)) {
      geometry.sheetLeft = (bedWidthInches(device_) - page->image.width() / page->xDpi) / 2;
    }
    current_ = renderPage(*page, geometry, type, std::move(spare_));
    spare_.reset();
    if (!current_) {
      record_.line("# skipped " + baseName(stack_.name(sheet)) + ": the frame is too large at this resolution");
      continue;
    }
    currentName_ = baseName(stack_.name(sheet));
    stripRow_ = 0;
    return &*current_;
  }
  return nullptr;
}

// No readable sheet is left although the count said so: the feeder is empty.
TW_UINT16 VirtualDataSource::noImage(const char* triplet) {
  record_.line(std::string(triplet) + " (failed: no readable page left)");
  state_ = State::Enabled;
  events_.push_back(MSG_CLOSEDSREQ);
  return fail(TWCC_OPERATIONERROR);
}

TW_UINT16 VirtualDataSource::nativeTransfer(TW_HANDLE* image) {
  if (state_ != State::Ready) {
    record_.line("MSG_GET DAT_IMAGENATIVEXFER (refused: TWCC_SEQERROR)");
    return fail(TWCC_SEQERROR);
  }
  const Dib* page = currentImage();
  if (!page) return noImage("MSG_GET DAT_IMAGENATIVEXFER");
  const auto packed = page->packed();
  TW_HANDLE handle = memoryAllocate(static_cast<TW_UINT32>(packed.size()));
  if (!handle) return fail(TWCC_LOWMEMORY);
  std::memcpy(memoryLock(handle), packed.data(), packed.size());
  memoryUnlock(handle);
  *image = handle;
  record_.line("MSG_GET DAT_IMAGENATIVEXFER " + currentName_ + " " + describe(*page));
  spare_ = std::move(current_);
  current_.reset();
  state_ = State::Transferring;
  return TWRC_XFERDONE;
}

TW_UINT16 VirtualDataSource::imageInfo(TW_IMAGEINFO* info) {
  if (state_ != State::Ready && state_ != State::Transferring) return fail(TWCC_SEQERROR);
  const Dib* page = currentImage();
  if (!page) return noImage("MSG_GET DAT_IMAGEINFO");
  record_.line("MSG_GET DAT_IMAGEINFO");
  const int bits = page->bitsPerPixel();
  *info = TW_IMAGEINFO{};
  info->XResolution = toFix32(capabilities_.fix32(ICAP_XRESOLUTION));
  info->YResolution = toFix32(capabilities_.fix32(ICAP_YRESOLUTION));
  info->ImageWidth = page->width();
  info->ImageLength = page->height();
  info->SamplesPerPixel = static_cast<TW_INT16>(bits == 24 ? 3 : 1);
  for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = static_cast<TW_INT16>(bits == 1 ? 1 : 8);
  info->BitsPerPixel = static_cast<TW_INT16>(bits);
  info->Planar = 0;
  info->PixelType = static_cast<TW_INT16>(bits == 24 ? TWPT_RGB : bits == 8 ? TWPT_GRAY : TWPT_BW);
  info->Compression = TWCP_NONE;
  return TWRC_SUCCESS;
}

TW_UINT16 VirtualDataSource::memoryTransfer(TW_IMAGEMEMXFER* strip) {
  if (state_ != State::Ready && state_ != State::Transferring) return fail(TWCC_SEQERROR);
  const Dib* page = currentImage();
  if (!page) return noImage("MSG_GET DAT_IMAGEMEMXFER");
  const std::size_t bytesPerRow = (static_cast<std::size_t>(page->width()) * page->bitsPerPixel() + 7) / 8;
  auto* memory = static_cast<std::uint8_t*>(
      strip->Memory.Flags & TWMF_HANDLE ? memoryLock(strip->Memory.TheMem) : strip->Memory.TheMem);
  if (!memory || strip->Memory.Length < bytesPerRow) return fail(TWCC_BADVALUE);
  if (stripRow_ == 0) record_.line("MSG_GET DAT_IMAGEMEMXFER " + currentName_ + " " + describe(*page));

  const int rows = std::min(static_cast<int>(strip->Memory.Length / bytesPerRow), page->height() - stripRow_);
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* in = page->row(stripRow_ + r);
    std::uint8_t* out = memory + static_cast<std::size_t>(r) * bytesPerRow;
    if (page->bitsPerPixel() == 24) {
      // Memory transfers carry colour as red, green, blue.
      for (int x = 0; x < page->width(); ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    } else {
      std::memcpy(out, in, bytesPerRow);
    }
  }
  if (strip->Memory.Flags & TWMF_HANDLE) memoryUnlock(strip->Memory.TheMem);
  strip->Compression = TWCP_NONE;
  strip->BytesPerRow = static_cast<TW_UINT32>(bytesPerRow);
  strip->Columns = static_cast<TW_UINT32>(page->width());
  strip->Rows = static_cast<TW_UINT32>(rows);
  strip->XOffset = 0;
  strip->YOffset = static_cast<TW_UINT32>(stripRow_);
  strip->BytesWritten = static_cast<TW_UINT32>(rows * bytesPerRow);
  stripRow_ += rows;
  state_ = State::Transferring;
  if (stripRow_ < page->height()) return TWRC_SUCCESS;
  current_.reset();
  return TWRC_XFERDONE;
}

TW_UINT16 VirtualDataSource::setupFileTransfer(TW_UINT16 msg, TW_SETUPFILEXFER* setup) {
  if (msg == MSG_GET || msg == MSG_GETDEFAULT) {
    std::snprintf(setup->FileName, sizeof setup->FileName, "%s", transferFile_.c_str());
    setup->Format = transferFormat_;
    setup->VRefNum = 0;
    return TWRC_SUCCESS;
  }
  if (msg != MSG_SET) return fail(TWCC_BADPROTOCOL);
  const std::string name(setup->FileName, strnlen(setup->FileName, sizeof setup->FileName));
  const std::string line = "MSG_SET DAT_SETUPFILEXFER " + name + " format " + std::to_string(setup->Format);
  if (state_ == State::Transferring) {
    record_.line(line + " (refused: TWCC_SEQERROR)");
    return fail(TWCC_SEQERROR);
  }
  if (setup->Format != TWFF_BMP || name.empty()) {
    record_.line(line + " (refused: TWCC_BADVALUE)");
    return fail(TWCC_BADVALUE);
  }
  record_.line(line);
  transferFile_ = name;
  transferFormat_ = setup->Format;
  return TWRC_SUCCESS;
}

TW_UINT16 VirtualDataSource::fileTransfer() {
  if (state_ != State::Ready) return fail(TWCC_SEQERROR);
  const Dib* page = currentImage();
  if (!page) return noImage("MSG_GET DAT_IMAGEFILEXFER");
  if (!writeBitmapFile(*page, transferFile_)) {
    record_.line("MSG_GET DAT_IMAGEFILEXFER (failed: cannot write " + transferFile_ + ")");
    return fail(TWCC_FILEWRITEERROR);
  }
  record_.line("MSG_GET DAT_IMAGEFILEXFER " + currentName_ + " " + describe(*page));
  current_.reset();
  state_ = State::Transferring;
  return TWRC_XFERDONE;
}

TW_UINT16 VirtualDataSource::pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
  switch (msg) {
    case MSG_GET: break;
    case MSG_ENDXFER:
      if (state_ != State::Ready && state_ != State::Transferring) {
        record_.line("MSG_ENDXFER (refused: TWCC_SEQERROR)");
        return fail(TWCC_SEQERROR);
      }
      if (state_ == State::Ready && !current_) ++nextSheet_;  // the application skips a sheet
      ++transfersDone_;
      current_.reset();
      stripRow_ = 0;
      record_.line("MSG_ENDXFER " + std::to_string(remaining()) + " pending");
      state_ = remaining() > 0 ? State::Ready : State::Enabled;
      if (state_ == State::Enabled) events_.push_back(MSG_CLOSEDSREQ);
      break;
    case MSG_RESET:
    case MSG_STOPFEEDER:
      record_.line(msg == MSG_RESET ? "MSG_RESET DAT_PENDINGXFERS" : "MSG_STOPFEEDER");
      if (state_ != State::Ready) return fail(TWCC_SEQERROR);
      nextSheet_ = stack_.size();
      current_.reset();
      state_ = State::Enabled;
      events_.push_back(MSG_CLOSEDSREQ);
      break;
    default: return fail(TWCC_BADPROTOCOL);
  }
  pending->Count = static_cast<TW_UINT16>(std::min(remaining(), 0xFFFE));
  pending->EOJ = 0;
  return TWRC_SUCCESS;
}

}  // namespace ostrel::virtualscanner
