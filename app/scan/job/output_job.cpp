#include "app/scan/job/output_job.h"

#include <algorithm>
#include <utility>

#include "platform/activity_log.h"
#include "imaging/cleanup/depth_conversion.h"
#include "app/scan/page_steps/page_steps.h"
#include "app/scan/job/barcode_in_name.h"
#include "app/scan/job/cloud_folder_chooser.h"
#include "app/scan/job/output_folder.h"
#include "app/scan/job/page_memory.h"
#include "app/settings/application_setting_file.h"
#include "app/settings/profile_path.h"
#include "platform/environment.h"
#include "platform/staged_file.h"

namespace ostrel {

OutputJob::OutputJob(OutputJobParts parts)
    : parts_(std::move(parts)),
      text_(resourceSettingPath(parts_.programFolder)),
      namer_(naming_, parts_.ui, text_.filePath()),
      batch_(namer_, naming_.counter) {
  keepPageBuffersForReuse();
}

void OutputJob::loadRecognitionEngine() { ocr_.load(parts_.programFolder + "/OBX"); }

const CScanSetting& OutputJob::scanProfile() const {
  return button_ && button_->scanSetting ? *button_->scanSetting : defaultProfile_;
}

const CApplicationSetting* OutputJob::destination() const {
  return button_ ? button_->applicationSetting : nullptr;
}

// The user interface logs what it shows.
void OutputJob::reportFailure(const char* key, const char* englishDefault, const std::string& detail) {
  parts_.ui.showMessage(text_("Else", key, englishDefault) + "\n" + detail, MessageKind::Error);
}

int OutputJob::StartOutput(CButtonSetting& button) {
  if (!ocr_.isLoaded()) loadRecognitionEngine();
  // A barcode read in an earlier job must not name this job's files.
  naming_.barcodeText.clear();
  written_.clear();
  landingFailed_ = false;
  const int started = startOutput(button, Start::job);
  // A job that does not start is never finished: it must not keep the button,
  // which the configuration may replace before the next press.
  if (started == 0) button_ = nullptr;
  return started;
}

int OutputJob::startOutput(CButtonSetting& button, Start start) {
  deliveryList_.clear();
  batchImageCount_ = 0;
  aborted_ = false;
  button_ = &button;

  const OutputKind kind = outputKind(button.fileFormat);
  if (kind == OutputKind::unknown) {
    Log("Button " + button.section + " has the unknown file format " + std::to_string(button.fileFormat) + ".");
    return 0;
  }
  const std::optional<std::string> chosen = chooseFolder(button, start);
  if (!chosen) return 0;
  chosenFolder_ = *chosen;
  std::string folder = chosenFolder_;
  if (scanProfile().createSubfolder != 0) folder = namer_.WithSubfolder(folder, button.subfolderName);
  if (!platform::createFolderTree(folder)) {
    reportFailure("FolderNotCreated", "The output folder cannot be created.", folder);
    return 0;
  }
  // A job killed while writing leaves its hidden staging file behind, megabytes
  // of a document nobody can open; the next job in the folder clears away those
  // no live writer holds.
  if (start == Start::job) {
    for (const std::string& removed : platform::removeAbandonedStagingFiles(folder)) {
      Log("Removed " + removed + ", left by a scan job that did not finish.");
    }
  }
  naming_.outputFolder = folder;

  if (kind == OutputKind::singlePage || kind == OutputKind::multiPageTiff) pending_.clear();
  if (writers::WriteResult begun = batch_.begin(button); !begun) {
    reportFailure("FileNotCreated", "The output file cannot be created.", begun.error());
    return 0;
  }
  return 1;
}

std::optional<std::string> OutputJob::chooseFolder(CButtonSetting& button, Start start) {
  if (button.selectFolder != 1) {
    std::string folder = destinationFolder(button);
    if (folder.empty()) {
      // An empty folder would scatter the files into the current directory.
      folder = defaultFolderBase();
      Log("Button " + button.section + " names no folder; its files go to " + folder + ".");
    }
    return folder;
  }
  const CApplicationSetting* target = destination();
  if (target && target->path == destination::kGoogle) return cloudFolder(button, start);

  // Stored folders may name %MYDOCUMENTS% and the like; the browser starts where they point.
  const auto browsed = parts_.ui.browseForFolder(text_("Else", "Message5", "Choose the path:"),
                                                 platform::ExpandEnvironmentStrings(button.imageFolder));
  if (!browsed) {
    // A cancelled browser leaves no folder; writing relative to the current
    // directory would put the files wherever the manager happens to run.
    if (start == Start::job) {
      Log("No folder was chosen; button " + button.section + " does not scan.");
      return std::nullopt;
    }
    Log("No folder was chosen for the next file; it goes to " + chosenFolder_ + " as the last one did.");
    return chosenFolder_;
  }
  const std::string folder = withSeparator(*browsed);
  if (button.rememberLastFolder == 1) button.imageFolder = folder;
  return folder;
}

std::optional<std::string> OutputJob::cloudFolder(CButtonSetting& button, Start start) {
  const CloudFolderChoice choice = chooseCloudFolder(parts_.programFolder + "/" + kCloudChooserLibrary, button);
  switch (choice.outcome) {
    case CloudFolderOutcome::libraryMissing:
      parts_.ui.showMessage(text_("Else", "Message3", "Drovel.dll is missing."), MessageKind::Information);
      break;
    case CloudFolderOutcome::loginFailed:
      parts_.ui.showMessage(text_("Else", "Message4",
                                  "Login to Google docs has failed. Please confirm your account and\npassword are "
                                  "correct and that you have internet access.\nPlease try again later."),
                            MessageKind::Warning);
      if (start == Start::job) {
        aborted_ = true;
        return std::nullopt;
      }
      // Pages are already on their way: they go on into the cloud folder chosen before.
      Log("The cloud login failed between two files; the scan goes on into the cloud folder chosen before.");
      break;
    case CloudFolderOutcome::chosen:
      button.imageFolder = choice.folderPath;
      button.id = choice.folderId;
      break;
    case CloudFolderOutcome::notChosen:
      button.imageFolder.clear();
      button.id.clear();
      break;
  }
  return cloudTemporaryFolder();
}

int OutputJob::HandlePage(Dib page, int side) {
  if (!destination()) {
    Log("A scanned page arrived with no job or no destination to take it; it is dropped and the scan stops.");
    return 0;
  }
  const CScanSetting& profile = scanProfile();
  const PageSide pageSide = side == 1 ? PageSide::Back : PageSide::Front;
  page = rotateByProfile(std::move(page), pageSide, profile);
  page = cleanEdgesByProfile(std::move(page), profile);
  if (!usesRecognition()) return stitchAndProcess(SidePage{std::move(page), std::nullopt}, pageSide);
  submitForRecognition(std::move(page), pageSide);
  return landRecognised(false);
}

// Our data sources never turn pages themselves, so AutoText always means
// turning them here.
bool OutputJob::usesRecognition() const {
  return scanProfile().autoText != 0 || outputNeedsText(*button_);
}

void OutputJob::submitForRecognition(Dib page, PageSide side) {
  if (!recognition_) {
    recognition_ = std::make_unique<ocr::RecognitionPool>(ocr::defaultDataFolder(parts_.programFolder + "/OBX"),
                                                          ocr::RecognitionPool::workersForThisMachine());
  }
  recognition_->submit(ocr::PageWork{std::move(page), scanProfile().autoText != 0, outputNeedsText(*button_),
                                     ocr::engineLanguage(scanProfile().ocrLanguage),
                                     side == PageSide::Back ? 1 : 0});
}

// Takes up the pages the workers are done with, oldest first: all of them when
// the job ends, else those ready and, while the workers hold their fill, the
// oldest one even if that means waiting for it.
int OutputJob::landRecognised(bool waitForAll) {
  if (!recognition_) return 1;
  const int limit = kPagesInFlightPerWorker * ocr::RecognitionPool::workersForThisMachine();
  int result = 1;
  for (;;) {
    std::optional<ocr::PageDone> done =
        waitForAll || recognition_->inFlight() > limit ? recognition_->takeNext() : recognition_->takeReady();
    if (!done) return result;
    if (done->clockwiseTurn != 0) {
      Log("A page stood turned; it was turned " + std::to_string(done->clockwiseTurn) +
          " degrees clockwise to stand upright.");
    }
    // After a page could not be saved the scan stops; the pages still with the
    // workers would only fail the same way, each with its own message.
    if (landingFailed_) {
      Log("A page scanned before the scan stopped is not saved: the page before it could not be.");
      continue;
    }
    const PageSide side = done->tag == 1 ? PageSide::Back : PageSide::Front;
    if (stitchAndProcess(SidePage{std::move(done->page), std::move(done->text)}, side) == 0) {
      result = 0;
      landingFailed_ = true;
    }
  }
}

int OutputJob::stitchAndProcess(SidePage page, PageSide side) {
  int result = 1;
  for (SidePage& next : stitcher_.add(std::move(page), side, duplex_, scanProfile())) {
    if (processPage(std::move(next.page), next.text ? &*next.text : nullptr) == 0) result = 0;
  }
  return result;
}

// Blank removal, barcodes, batch separation and writing, for one page (a joined
// one when stitching).
int OutputJob::processPage(Dib page, const ocr::PageText* text) {
  const CScanSetting& profile = scanProfile();
  std::optional<bool> blank;
  const auto isBlank = [&] {
    if (!blank) blank = IsBlankPage(page, profile);
    return *blank;
  };
  if (profile.blankPageRemove == 1 && isBlank()) return 1;

  if (profile.batchMode == 3 || nameUsesBarcode(button_->imageName)) {
    const BarcodeReading reading = readBarcodesByProfile(page, profile, parts_.ui);
    barcodeCount_ = reading.count;
    if (reading.count > 0) naming_.barcodeText = reading.text;
  }

  switch (profile.batchMode) {
    case 1: {
      // A count below 1 would divide by zero: every image then starts a file.
      const int perFile = std::max(1, profile.batchPageNum);
      if (batchImageCount_ != 0 && batchImageCount_ % perFile == 0 && !nextOutput("this page is not saved")) return 0;
      ++batchImageCount_;
      break;
    }
    case 2:
      if (isBlank()) return nextOutput("") ? 1 : 0;
      break;
    case 3:
      if (barcodeCount_ != 0) {
        barcodeCount_ = 0;
        if (!nextOutput("the page with the barcode is not saved")) return 0;
      }
      break;
    default: break;
  }
  return writePage(std::move(page), text);
}

// A batch boundary: the current output is finished and delivered, and the next
// one started. False when the next cannot start; the pass then stops.
bool OutputJob::nextOutput(const char* pageFate) {
  finishOutput();
  if (startOutput(*button_, Start::boundary) == 1) return true;
  Log(std::string("The next file of button ") + button_->section + " cannot be started; the scan stops" +
      (*pageFate ? std::string("; ") + pageFate : std::string()) + ".");
  return false;
}

int OutputJob::writePage(Dib page, const ocr::PageText* text) {
  // JPEG has no bilevel mode: a black-and-white page is saved as the grey page it shows.
  if (button_->fileFormat == format::kJpeg && page.bitsPerPixel() == 1) {
    if (auto grey = ToGrey8(page)) page = std::move(*grey);
  }
  const BatchOutput::Added added = batch_.add(*button_, page, text);
  if (!added.result) {
    reportFailure("PageNotSaved", "A scanned page cannot be saved; the scan stops.", added.result.error());
    return 0;
  }
  if (!added.file.empty()) {
    written_.push_back(added.file);
    if (destination()->singleEvent != 0) {
      pending_.push_back(added.file);
    } else {
      DeliverFile(added.file);
    }
  }
  return 1;
}

int OutputJob::FinishOutput() {
  if (!button_) return 0;
  if (destination()) landRecognised(true);
  std::optional<SidePage> front = stitcher_.takeHeldSide();
  if (front && destination()) {
    Log("The last front page had no back page to be joined with; it is saved alone.");
    processPage(std::move(front->page), front->text ? &*front->text : nullptr);
  }
  finishOutput();
  Log("Button " + button_->section + " finished its scan job: " + std::to_string(written_.size()) +
      " file(s) written.");
  button_ = nullptr;
  releasePageBuffers();
  return 1;
}

void OutputJob::finishOutput() {
  const CApplicationSetting* target = destination();
  if (target && target->singleEvent != 0) deliverPending();
  const BatchOutput::Ended ended = batch_.end(*button_);
  if (!ended.result && ended.file.empty()) {
    reportFailure("DocumentNotCompleted", "A scanned document cannot be completed.", ended.result.error());
  } else if (!ended.result) {
    reportFailure("DocumentCutShort", "A scanned document is cut short.", ended.result.error());
  }
  if (!ended.unwritten.empty()) Log("No page went into " + ended.unwritten + "; no file was written for it.");
  if (!ended.file.empty()) {
    written_.push_back(ended.file);
    DeliverFile(ended.file);
  }

  if (target) {
    const std::string& kind = target->path;
    if (kind == destination::kMail && !deliveryList_.empty()) {
      parts_.delivery.mail(deliveryList_);
    } else if (kind == destination::kPrint && !deliveryList_.empty()) {
      parts_.delivery.print(*button_, deliveryList_);
    } else if (kind == destination::kFax) {
      parts_.delivery.fax(deliveryList_);
    }
  }
  deliveryList_.clear();
}

void OutputJob::DeliverFile(const std::string& path) {
  const CApplicationSetting* target = destination();
  if (!target || target->path.empty()) return;
  if (!platform::fileExists(path)) {
    Log("Nothing to deliver: " + path + " does not exist.");
    return;
  }
  const std::string& kind = target->path;
  if (kind == destination::kPrint || kind == destination::kMail || kind == destination::kFax) {
    deliveryList_.push_back(path);
  } else if (kind == destination::kGoogle) {
    parts_.delivery.upload(*button_, path);
  } else if (kind == destination::kFtp) {
    parts_.delivery.ftpUpload(*button_, path);
  } else {
    parts_.delivery.launchWithFile(*target, *button_, path);
  }
}

void OutputJob::deliverPending() {
  const std::vector<std::string> files = std::exchange(pending_, {});
  const CApplicationSetting* target = destination();
  if (files.empty() || !target || target->path.empty()) return;
  // Printing, mail, fax and the uploader take files one by one: a quoted list
  // is no file they could find.
  if (isDestinationKeyword(target->path)) {
    for (const std::string& file : files) DeliverFile(file);
    return;
  }
  std::string quoted;
  for (const std::string& file : files) quoted += "\"" + file + "\" ";
  parts_.delivery.launchWithList(*target, *button_, quoted, static_cast<int>(files.size()) + 1);
}

}  // namespace ostrel
