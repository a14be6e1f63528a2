#pragma once
// OutputJob: the scan job, one object for the whole run, so its file counter
// carries on from one press to the next. For a press it prepares the output
// (folder, dated subfolder, first file), takes every scanned page through the
// page step (rotation, edge clean-up, stitching, blank removal, barcodes, batch
// separation, writing), and at the end closes the output and hands the files to
// the button's destination.
//
// Text recognition and orientation by text (AutoText) run beside the scanner on
// the recognition workers: a page that needs either goes to them right after
// its fixed rotation and edge clean-up, and comes back, in scan order, to the
// remaining steps and its file, taken up at the next page or at the job's end.
// The scan waits only while the workers hold as many pages as they may
// (kPagesInFlightPerWorker each), and the job's end waits for the last page.
//
// Where a step cannot go on it says so in the activity log (and in a message
// where the user must act) rather than lose pages: a page that cannot be saved
// stops the pass, so the sheets not yet fed stay in the feeder.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/scan/scan_interfaces.h"
#include "app/scan/user_interface.h"
#include "app/scan/job/destination_delivery.h"
#include "app/scan/naming/file_namer.h"
#include "imaging/ocr/recognition_engine.h"
#include "imaging/ocr/recognition_pool.h"
#include "app/scan/page_steps/page_stitcher.h"
#include "app/scan/job/batch_output.h"
#include "app/settings/localized_text.h"

namespace ostrel {

struct OutputJobParts {
  UserInterface& ui;
  DestinationDelivery& delivery;
  // The program's folder: the texts file, the cloud chooser library and the
  // recognition engine's data are found from it.
  std::string programFolder;
};

class OutputJob : public ScanJob {
 public:
  // Pages a recognition worker may hold (waiting, in work or done) before the
  // scan waits for the oldest one to be written: enough to keep every worker
  // busy while the job writes, few enough to keep memory flat.
  static constexpr int kPagesInFlightPerWorker = 2;

  explicit OutputJob(OutputJobParts parts);

  void loadRecognitionEngine() override;
  // Starts a job for the button. 0 when it must not scan: the cloud login
  // failed, the folder browser was cancelled, the folder or the first file
  // cannot be made, or the format has no writer.
  int StartOutput(CButtonSetting& button) override;
  bool loginFailed() const override { return aborted_; }
  void setDuplex(bool duplex) override { duplex_ = duplex; }
  int HandlePage(Dib page, int side) override;
  // Ends the job: a front page still waiting for its back is saved alone, then
  // the output is closed and delivered.
  int FinishOutput() override;
  std::vector<std::string> filesWritten() const override { return written_; }

  // Hands one written file to the destination; a file that does not exist is skipped.
  void DeliverFile(const std::string& path);

  int counter() const { return naming_.counter; }
  const std::string& outputFolder() const { return naming_.outputFolder; }

 private:
  enum class Start { job, boundary };

  int startOutput(CButtonSetting& button, Start start);
  std::optional<std::string> chooseFolder(CButtonSetting& button, Start start);
  std::optional<std::string> cloudFolder(CButtonSetting& button, Start start);
  bool usesRecognition() const;
  void submitForRecognition(Dib page, PageSide side);
  int landRecognised(bool waitForAll);
  int stitchAndProcess(SidePage page, PageSide side);
  int processPage(Dib page, const ocr::PageText* text = nullptr);
  bool nextOutput(const char* pageFate);
  int writePage(Dib page, const ocr::PageText* text);
  void finishOutput();
  void deliverPending();
  void reportFailure(const char* key, const char* englishDefault, const std::string& detail);
  const CScanSetting& scanProfile() const;
  const CApplicationSetting* destination() const;

  OutputJobParts parts_;
  LocalizedText text_;
  NamingState naming_;
  FileNamer namer_;
  BatchOutput batch_;
  PageStitcher stitcher_;
  ocr::RecognitionEngine ocr_;
  std::unique_ptr<ocr::RecognitionPool> recognition_;  // started with the first page that needs it
  CScanSetting defaultProfile_;
  CButtonSetting* button_ = nullptr;  // not owned; set from StartOutput to FinishOutput
  std::vector<std::string> written_;  // by this job, for its closing log line and notice
  int batchImageCount_ = 0;
  int barcodeCount_ = 0;
  bool aborted_ = false;
  bool duplex_ = false;
  bool landingFailed_ = false;  // a recognised page could not be saved; the rest of the job's are dropped
  std::string chosenFolder_;          // the job's folder before its dated subfolder
  std::vector<std::string> pending_;  // files waiting for one launch (SingleEvent)
  std::vector<std::string> deliveryList_;
};

}  // namespace ostrel
