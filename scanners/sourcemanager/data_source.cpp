#include "scanners/sourcemanager/data_source.h"

#include <string>
#include <utility>

#include "scanners/protocol/bitmap_file.h"
#include "scanners/sourcemanager/dsm_memory.h"

namespace ostrel::virtualscanner {

using namespace twain;

namespace {

std::string describe(const Dib& page) {
  return std::to_string(page.width()) + "x" + std::to_string(page.height()) + " " +
         std::to_string(page.bitsPerPixel()) + " bits";
}

}  // namespace

void DataSource::close(const char* how) {
  record_.line(how);
  disable();
}

TW_UINT16 DataSource::fail(TW_UINT16 condition) {
  condition_ = condition;
  return TWRC_FAILURE;
}

TW_UINT16 DataSource::handle(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  // Only the file transfer carries no data: the file was named beforehand.
  if (!data && !(dg == DG_IMAGE && dat == DAT_IMAGEFILEXFER)) return fail(TWCC_BADVALUE);
  if (dg == DG_CONTROL) {
    switch (dat) {
      case DAT_CAPABILITY: return capability(msg, *static_cast<TW_CAPABILITY*>(data));
      case DAT_USERINTERFACE: return userInterface(msg, static_cast<TW_USERINTERFACE*>(data));
      case DAT_EVENT:
        if (msg != MSG_PROCESSEVENT) break;
        return event(static_cast<TW_EVENT*>(data));
      case DAT_PENDINGXFERS: return pendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
      case DAT_SETUPMEMXFER:
        if (msg != MSG_GET) break;
        memoryTransferSizes(*static_cast<TW_SETUPMEMXFER*>(data));
        return TWRC_SUCCESS;
      case DAT_SETUPFILEXFER: return setupFileTransfer(msg, static_cast<TW_SETUPFILEXFER*>(data));
      case DAT_STATUS:
        if (msg != MSG_GET) break;
        return status(*static_cast<TW_STATUS*>(data));
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

TW_UINT16 DataSource::capability(TW_UINT16 msg, TW_CAPABILITY& capability) {
  const CapabilityResult result = capabilities_.handle(msg, capability, state_ == State::Open);
  if (!result.record.empty()) record_.line(result.record);
  if (result.returnCode != TWRC_SUCCESS) condition_ = result.condition;
  return result.returnCode;
}

TW_UINT16 DataSource::status(TW_STATUS& status) {
  status.ConditionCode = std::exchange(condition_, TWCC_SUCCESS);
  status.Data = 0;
  return TWRC_SUCCESS;
}

TW_UINT16 DataSource::userInterface(TW_UINT16 msg, TW_USERINTERFACE* ui) {
  switch (msg) {
    case MSG_ENABLEDS:
      record_.line("MSG_ENABLEDS ShowUI=" + std::to_string(ui->ShowUI));
      if (state_ != State::Open) return fail(TWCC_SEQERROR);
      return enable();
    case MSG_ENABLEDSUIONLY:
      // No window of its own to show settings in: they are confirmed at once.
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

TW_UINT16 DataSource::event(TW_EVENT* event) {
  if (events_.empty()) {
    event->TWMessage = MSG_NULL;
    return TWRC_NOTDSEVENT;
  }
  event->TWMessage = events_.front();
  events_.pop_front();
  return TWRC_DSEVENT;
}

TW_UINT16 DataSource::layout(TW_UINT16 msg, TW_IMAGELAYOUT* layout) {
  return layout_.handle(msg, *layout, state_ == State::Open, nextPageNumber(), record_, &condition_);
}

TW_UINT16 DataSource::setupFileTransfer(TW_UINT16 msg, TW_SETUPFILEXFER* setup) {
  const auto answer = fileSetup_.handle(msg, *setup, state_ == State::Transferring);
  if (!answer.record.empty()) record_.line(answer.record);
  return answer.returnCode == TWRC_SUCCESS ? TWRC_SUCCESS : fail(answer.condition);
}

TW_UINT16 DataSource::imageInfo(TW_IMAGEINFO* info) {
  if (state_ != State::Ready && state_ != State::Transferring) return fail(TWCC_SEQERROR);
  const Dib* page = transferPage("MSG_GET DAT_IMAGEINFO");
  if (!page) return TWRC_FAILURE;
  record_.line("MSG_GET DAT_IMAGEINFO");
  const auto [xDpi, yDpi] = imageResolution();
  describeImage(*page, xDpi, yDpi, *info);
  return TWRC_SUCCESS;
}

TW_UINT16 DataSource::nativeTransfer(TW_HANDLE* image) {
  if (state_ != State::Ready) {
    record_.line("MSG_GET DAT_IMAGENATIVEXFER (refused: TWCC_SEQERROR)");
    return fail(TWCC_SEQERROR);
  }
  Dib* page = transferPage("MSG_GET DAT_IMAGENATIVEXFER");
  if (!page) return TWRC_FAILURE;
  const std::string line = "MSG_GET DAT_IMAGENATIVEXFER " + pageLabel() + " " + describe(*page);
  // The page's own memory goes to the application, which frees it: no copy.
  TW_HANDLE handle = memoryHoldingImage(*page);
  if (!handle) {
    record_.line("MSG_GET DAT_IMAGENATIVEXFER (failed: TWCC_LOWMEMORY)");
    return fail(TWCC_LOWMEMORY);
  }
  *image = handle;
  record_.line(line);
  pageHandedOver();
  state_ = State::Transferring;
  return TWRC_XFERDONE;
}

TW_UINT16 DataSource::memoryTransfer(TW_IMAGEMEMXFER* strip) {
  if (state_ != State::Ready && state_ != State::Transferring) return fail(TWCC_SEQERROR);
  const Dib* page = transferPage("MSG_GET DAT_IMAGEMEMXFER");
  if (!page) return TWRC_FAILURE;
  const bool first = !strips_.started();
  const TW_UINT16 rc = strips_.next(*page, *strip);
  if (rc == TWRC_FAILURE) return fail(TWCC_BADVALUE);
  if (first) record_.line("MSG_GET DAT_IMAGEMEMXFER " + pageLabel() + " " + describe(*page));
  state_ = State::Transferring;
  if (rc == TWRC_XFERDONE) pageHandedOver();
  return rc;
}

TW_UINT16 DataSource::fileTransfer() {
  if (state_ != State::Ready) return fail(TWCC_SEQERROR);
  const Dib* page = transferPage("MSG_GET DAT_IMAGEFILEXFER");
  if (!page) return TWRC_FAILURE;
  if (!writeBitmapFile(*page, fileSetup_.file())) {
    record_.line("MSG_GET DAT_IMAGEFILEXFER (failed: cannot write " + fileSetup_.file() + ")");
    return fail(TWCC_FILEWRITEERROR);
  }
  record_.line("MSG_GET DAT_IMAGEFILEXFER " + pageLabel() + " " + describe(*page));
  pageHandedOver();
  state_ = State::Transferring;
  return TWRC_XFERDONE;
}

}  // namespace ostrel::virtualscanner
