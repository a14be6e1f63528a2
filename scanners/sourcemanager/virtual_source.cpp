#include "scanners/sourcemanager/virtual_source.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

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

std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

VirtualDataSource::VirtualDataSource(const TW_IDENTITY& identity, VirtualDevice device, std::string deviceFolder,
                                     SheetCache& sheets, SheetDrawer* drawer, PageMemory& pages)
    : DataSource(device, bed(device)),
      identity_(identity),
      device_(std::move(device)),
      deviceFolder_(std::move(deviceFolder)),
      sheets_(sheets),
      drawer_(drawer),
      pages_(pages) {}

void VirtualDataSource::open() {
  record_.start(platform::joinPath(deviceFolder_, kSessionRecordName));
  record_.line("MSG_OPENDS");
  capabilities_ = SourceCapabilities(device_);
  stack_ = PageStack::forDevice(device_);
  record_.line("# feeder: " + std::to_string(stack_.size()) + " sheets");
  capabilities_.setReadOnly(CAP_FEEDERLOADED, stack_.size() > 0 ? 1 : 0);
  state_ = State::Open;
  nextSheet_ = 0;
  stride_ = 1;
  transfersDone_ = 0;
  current_.reset();
  events_.clear();
  layout_.reset();
}

// No window of its own: the source is ready at once when paper is loaded, and
// asks to be closed when the feeder is empty.
TW_UINT16 VirtualDataSource::enable() {
  stride_ = device_.duplex && !capabilities_.flag(CAP_DUPLEXENABLED) ? 2 : 1;
  if (stride_ == 2) record_.line("# one-sided: the backs are passed over");
  state_ = remaining() > 0 ? State::Ready : State::Enabled;
  events_.push_back(state_ == State::Ready ? MSG_XFERREADY : MSG_CLOSEDSREQ);
  return TWRC_SUCCESS;
}

void VirtualDataSource::disable() {
  state_ = State::Open;
  current_.reset();
  events_.clear();
}

int VirtualDataSource::remaining() const {
  const std::size_t images = stack_.size() - std::min(nextSheet_, stack_.size());
  const int sheets = static_cast<int>((images + stride_ - 1) / stride_);
  const auto limit = static_cast<TW_INT16>(capabilities_.item(CAP_XFERCOUNT));
  return limit > 0 ? std::min(sheets, std::max(0, limit - transfersDone_)) : sheets;
}

Dib* VirtualDataSource::transferPage(const char* triplet) {
  if (current_) return &*current_;
  while (remaining() > 0) {
    const std::size_t sheet = nextSheet_;
    nextSheet_ += stride_;
    std::string error;
    const auto page = stack_.load(sheet, capabilities_.fix32(ICAP_XRESOLUTION), sheets_, drawer_, &error);
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
    if (layout_.isSet() && !capabilities_.flag(kCapAutomaticSize)) geometry.frame = layout_.frame();
    if (device_.feeder && capabilities_.flag(CAP_FEEDERENABLED)) {
      geometry.sheetLeft = (bedWidthInches(device_) - page->image.width() / page->xDpi) / 2;
    }
    current_ = renderPage(*page, geometry, type, pages_.allocator());
    if (!current_) {
      record_.line("# skipped " + baseName(stack_.name(sheet)) + ": the frame is too large at this resolution");
      continue;
    }
    currentName_ = baseName(stack_.name(sheet));
    strips_.restart();
    return &*current_;
  }
  // No readable sheet is left although the count said so: the feeder is empty.
  record_.line(std::string(triplet) + " (failed: no readable page left)");
  state_ = State::Enabled;
  events_.push_back(MSG_CLOSEDSREQ);
  fail(TWCC_OPERATIONERROR);
  return nullptr;
}

std::string VirtualDataSource::pageLabel() const { return currentName_; }

std::pair<double, double> VirtualDataSource::imageResolution() const {
  return {capabilities_.fix32(ICAP_XRESOLUTION), capabilities_.fix32(ICAP_YRESOLUTION)};
}

// Its memory goes back to the pages' memory now, or when the application frees
// a native image.
void VirtualDataSource::pageHandedOver() { current_.reset(); }

TW_UINT16 VirtualDataSource::pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
  switch (msg) {
    case MSG_GET: break;
    case MSG_ENDXFER:
      if (state_ != State::Ready && state_ != State::Transferring) {
        record_.line("MSG_ENDXFER (refused: TWCC_SEQERROR)");
        return fail(TWCC_SEQERROR);
      }
      if (state_ == State::Ready && !current_) nextSheet_ += stride_;  // the application skips a sheet
      ++transfersDone_;
      current_.reset();
      strips_.restart();
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
