#include "scanners/sourcemanager/sane_source.h"

#include <algorithm>
#include <new>
#include <utility>

#include "imaging/cleanup/depth_conversion.h"
#include "scanners/protocol/custom_capabilities.h"
#include "platform/ini_file.h"
#include "platform/text.h"
#include "scanners/sourcemanager/page_renderer.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::virtualscanner {

using namespace twain;
using sane::PageReader;
using sane::ReadEnd;

namespace {

constexpr double kMillimetresPerInch = 25.4;
// How long a disable waits for the page being read before it leaves the
// reader to finish alone. The reader ends the batch itself: a cancel from here
// could meet a read under way, which some backends do not survive.
constexpr auto kStopWait = std::chrono::seconds(10);
// More pending transfers than can be told: a feeder reads until it is empty.
constexpr TW_UINT16 kUnknownCount = 0xFFFF;
constexpr int kBlackWhiteThreshold = 128;

// The capability table is made for a scanner's shape, which a virtual
// device's description holds.
VirtualDevice shapeOf(const sane::DeviceAbilities& abilities) {
  VirtualDevice shape;
  shape.feeder = abilities.feeder;
  shape.flatbed = abilities.flatbed;
  shape.duplex = abilities.duplex;
  shape.ultrasonic = abilities.doubleFeedDetection;
  shape.feederWidth = sane::threeHundredths(abilities.feederArea.width);
  shape.feederLength = sane::threeHundredths(abilities.feederArea.length);
  shape.flatbedWidth = sane::threeHundredths(abilities.flatbedArea.width);
  shape.flatbedLength = sane::threeHundredths(abilities.flatbedArea.length);
  return shape;
}

FrameInches bedOf(const sane::DeviceAbilities& abilities) {
  return {0, 0, std::max(abilities.feederArea.width, abilities.flatbedArea.width) / kMillimetresPerInch,
          std::max(abilities.feederArea.length, abilities.flatbedArea.length) / kMillimetresPerInch};
}

// Whether double feeds are to be detected, as the driver settings written
// before each button scan say ("Ultrasonic" in devaru.ini, in the folder the
// device's scanner.ini names); none when they do not say.
std::optional<bool> doubleFeedSetting(const std::string& deviceFolder) {
  const std::string saveFolder =
      platform::GetPrivateProfileString("DS", "SAVEPATH", "", platform::joinPath(deviceFolder, "scanner.ini"));
  if (saveFolder.empty()) return std::nullopt;
  const int value = platform::GetPrivateProfileInt("1", "Ultrasonic", -1, platform::joinPath(saveFolder, "devaru.ini"));
  if (value < 0) return std::nullopt;
  return value != 0;
}

TW_UINT16 conditionFor(const std::optional<ReadEnd>& end) {
  if (!end) return TWCC_SUCCESS;
  switch (end->reason) {
    case ReadEnd::Reason::FeederEmpty: return end->pages == 0 ? TWCC_NOMEDIA : TWCC_SUCCESS;
    case ReadEnd::Reason::Stopped: return TWCC_SUCCESS;
    case ReadEnd::Reason::Stalled: return TWCC_CHECKDEVICEONLINE;
    case ReadEnd::Reason::BadImage: return TWCC_OPERATIONERROR;
    case ReadEnd::Reason::DeviceError: break;
  }
  switch (end->status) {
    case sane::DeviceStatus::Jammed: return TWCC_PAPERJAM;
    case sane::DeviceStatus::CoverOpen: return TWCC_INTERLOCK;
    case sane::DeviceStatus::FeederEmpty: return TWCC_NOMEDIA;
    case sane::DeviceStatus::NoMemory: return TWCC_LOWMEMORY;
    case sane::DeviceStatus::Busy:
    case sane::DeviceStatus::IoError:
    case sane::DeviceStatus::AccessDenied: return TWCC_CHECKDEVICEONLINE;
    default: return TWCC_OPERATIONERROR;
  }
}

}  // namespace

SaneDataSource::SaneDataSource(const TW_IDENTITY& identity, std::shared_ptr<sane::SaneDevice> device,
                               const sane::DeviceAbilities& abilities, std::string deviceFolder)
    : DataSource(shapeOf(abilities), bedOf(abilities)),
      identity_(identity),
      device_(std::move(device)),
      abilities_(abilities),
      deviceFolder_(std::move(deviceFolder)) {}

std::unique_ptr<SaneDataSource> SaneDataSource::open(const TW_IDENTITY& identity,
                                                     const sane::SaneDeviceSettings& settings,
                                                     const std::string& deviceFolder, std::string* error) {
  SessionRecord record;
  record.start(platform::joinPath(deviceFolder, kSessionRecordName));
  std::string reason;
  auto device = sane::SaneDevice::open(settings.saneName, &reason);
  if (!device) {
    record.line("MSG_OPENDS (failed: " + reason + ")");
    if (error) *error = reason;
    return nullptr;
  }
  const sane::DeviceAbilities abilities = sane::readAbilities(*device);
  std::unique_ptr<SaneDataSource> source(new SaneDataSource(identity, std::move(device), abilities, deviceFolder));
  source->record_ = std::move(record);
  source->record_.line("MSG_OPENDS");
  source->record_.line(std::string("# SANE device ") + settings.saneName + ":" + (abilities.flatbed ? " flatbed" : "") +
                       (abilities.feeder ? " feeder" : "") + (abilities.duplex ? " duplex" : "") +
                       (abilities.doubleFeedDetection ? " double-feed detection" : ""));
  return source;
}

SaneDataSource::~SaneDataSource() { disable(); }

sane::ScanRequest SaneDataSource::request() const {
  sane::ScanRequest request;
  const TW_UINT32 type = capabilities_.item(ICAP_PIXELTYPE);
  if (capabilities_.flag(kCapAutomaticColour)) {
    request.kind = sane::PixelKind::Colour;
  } else {
    request.kind = type == TWPT_BW     ? sane::PixelKind::BlackWhite
                   : type == TWPT_GRAY ? sane::PixelKind::Grey
                                       : sane::PixelKind::Colour;
  }
  request.resolution = capabilities_.fix32(ICAP_XRESOLUTION);
  if (layout_.isSet() && !capabilities_.flag(kCapAutomaticSize)) {
    const FrameInches& frame = layout_.frame();
    request.area = sane::AreaMm{frame.left * kMillimetresPerInch, frame.top * kMillimetresPerInch,
                                frame.right * kMillimetresPerInch, frame.bottom * kMillimetresPerInch};
  }
  if (!abilities_.feeder || !capabilities_.flag(CAP_FEEDERENABLED)) {
    request.source = sane::PaperSource::Flatbed;
  } else {
    request.source = capabilities_.flag(CAP_DUPLEXENABLED) ? sane::PaperSource::DuplexFeeder
                                                           : sane::PaperSource::Feeder;
  }
  request.doubleFeedDetection = doubleFeedSetting(deviceFolder_);
  return request;
}

TW_UINT16 SaneDataSource::enable() {
  // A reader left to finish a page must let go of the scanner before the
  // scanner's options may change.
  if (reader_ && !reader_->finished()) {
    record_.line("# the scanner is still finishing the last batch");
    return fail(TWCC_CHECKDEVICEONLINE);
  }
  reader_.reset();
  const sane::ScanRequest wanted = request();
  const sane::AppliedScan applied = sane::applyRequest(*device_, wanted);
  std::string settings = "# SANE";
  for (const std::string& setting : applied.settings) settings += " " + setting;
  record_.line(settings);
  for (const std::string& problem : applied.problems) record_.line("# " + problem);

  resolution_ = applied.resolution > 0 ? applied.resolution : wanted.resolution;
  sane::ReaderSettings reading;
  reading.dpi = resolution_;
  reading.singlePage = wanted.source == sane::PaperSource::Flatbed;
  reader_ = std::make_unique<PageReader>(device_, reading);
  reader_->requestPage();
  state_ = State::Enabled;
  awaitingFirstPage_ = true;
  pagesTaken_ = 0;
  transfersDone_ = 0;
  current_.reset();
  strips_.restart();
  events_.clear();
  return TWRC_SUCCESS;
}

TW_UINT16 SaneDataSource::event(TW_EVENT* event) {
  if (awaitingFirstPage_ && reader_ && state_ == State::Enabled) {
    switch (reader_->phase()) {
      case PageReader::Phase::PageReady:
        awaitingFirstPage_ = false;
        state_ = State::Ready;
        events_.push_back(MSG_XFERREADY);
        record_.line("# the first page is in: ready to transfer");
        break;
      case PageReader::Phase::Ended:
        awaitingFirstPage_ = false;
        batchEnded();
        break;
      default: break;
    }
  }
  return DataSource::event(event);
}

void SaneDataSource::batchEnded() {
  const auto end = reader_ ? reader_->end() : std::nullopt;
  condition_ = conditionFor(end);
  record_.line("# the batch ends: " + (end ? end->message : std::string("nothing was read")) +
               (condition_ == TWCC_SUCCESS ? "" : " (" + conditionName(condition_) + ")"));
  state_ = State::Enabled;
  current_.reset();
  events_.push_back(MSG_CLOSEDSREQ);
}

void SaneDataSource::stopReading() {
  if (!reader_ || reader_->finished()) return;
  if (!reader_->stop(kStopWait)) {
    record_.line("# the scanner is still reading a page; it is left to finish it and end the batch on its own");
  }
}

void SaneDataSource::disable() {
  stopReading();
  state_ = State::Open;
  current_.reset();
  events_.clear();
  awaitingFirstPage_ = false;
}

Dib SaneDataSource::shape(Dib page) const {
  std::optional<Dib> shaped;
  try {
    const TW_UINT32 type = capabilities_.item(ICAP_PIXELTYPE);
    if (capabilities_.flag(kCapAutomaticColour)) {
      if (page.bitsPerPixel() == 24 && !hasColour(page)) shaped = ToGrey8(page);
    } else if (type == TWPT_BW && page.bitsPerPixel() != 1) {
      shaped = ToBlackWhite(page, kBlackWhiteThreshold);
    } else if (type == TWPT_GRAY && page.bitsPerPixel() == 24) {
      shaped = ToGrey8(page);
    }
  } catch (const std::bad_alloc&) {
    shaped.reset();  // the page as scanned is better than none
  }
  return shaped ? std::move(*shaped) : std::move(page);
}

Dib* SaneDataSource::transferPage(const char* triplet) {
  if (current_) return &*current_;
  std::optional<Dib> page = reader_ ? reader_->takePage() : std::nullopt;
  if (!page) {
    record_.line(std::string(triplet) + " (failed: no page)");
    batchEnded();
    if (condition_ == TWCC_SUCCESS) condition_ = TWCC_OPERATIONERROR;
    return nullptr;
  }
  current_ = shape(std::move(*page));
  ++pagesTaken_;
  strips_.restart();
  return &*current_;
}

std::string SaneDataSource::pageLabel() const { return "page " + std::to_string(pagesTaken_); }

std::pair<double, double> SaneDataSource::imageResolution() const { return {resolution_, resolution_}; }

void SaneDataSource::pageHandedOver() { current_.reset(); }

TW_UINT16 SaneDataSource::pendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
  pending->EOJ = 0;
  switch (msg) {
    case MSG_GET:
      pending->Count = state_ == State::Ready || state_ == State::Transferring ? kUnknownCount : 0;
      return TWRC_SUCCESS;
    case MSG_ENDXFER: {
      if (state_ != State::Ready && state_ != State::Transferring) {
        record_.line("MSG_ENDXFER (refused: TWCC_SEQERROR)");
        return fail(TWCC_SEQERROR);
      }
      // A page the application skips is read and dropped like any other.
      if (state_ == State::Ready && !current_ && !transferPage("MSG_ENDXFER")) {
        pending->Count = 0;
        return TWRC_SUCCESS;
      }
      current_.reset();
      strips_.restart();
      ++transfersDone_;
      const auto limit = static_cast<TW_INT16>(capabilities_.item(CAP_XFERCOUNT));
      bool more = false;
      if (limit > 0 && transfersDone_ >= limit) {
        stopReading();
      } else {
        // The next sheet is fed only now, so a batch the application ends
        // here leaves the rest of the stack in the feeder.
        reader_->requestPage();
        more = reader_->waitFed();
      }
      record_.line(more ? "MSG_ENDXFER -1 pending" : "MSG_ENDXFER 0 pending");
      if (more) {
        state_ = State::Ready;
      } else {
        batchEnded();
      }
      pending->Count = more ? kUnknownCount : 0;
      return TWRC_SUCCESS;
    }
    case MSG_RESET:
    case MSG_STOPFEEDER:
      record_.line(msg == MSG_RESET ? "MSG_RESET DAT_PENDINGXFERS" : "MSG_STOPFEEDER");
      if (state_ != State::Ready) return fail(TWCC_SEQERROR);
      stopReading();
      batchEnded();
      pending->Count = 0;
      return TWRC_SUCCESS;
    default: return fail(TWCC_BADPROTOCOL);
  }
}

}  // namespace ostrel::virtualscanner
