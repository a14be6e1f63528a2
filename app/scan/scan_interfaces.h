#pragma once
// What the manager asks of the scanning layer for one button press: the job
// that turns pages into files and delivers them, and the pass of the feeder
// that feeds it pages. Both run on the job's thread, away from the windows.
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "app/settings/profile_records.h"
#include "imaging/dib.h"

namespace ostrel {

// One press's output: folder, files and delivery.
class ScanJob {
 public:
  virtual ~ScanJob() = default;
  virtual void loadRecognitionEngine() = 0;
  // 1 when scanning may go on, 0 when it may not.
  virtual int StartOutput(CButtonSetting& button) = 0;
  // The cloud login of the last StartOutput failed.
  virtual bool loginFailed() const = 0;
  // Told by the session before its first page: pages alternate front and back.
  virtual void setDuplex(bool duplex) = 0;
  // The page step; side 0 front, 1 back. 0 stops the transfers.
  virtual int HandlePage(Dib page, int side) = 0;
  virtual int FinishOutput() = 0;
  // The files the job that FinishOutput ended has written, in order.
  virtual std::vector<std::string> filesWritten() const = 0;
};

enum class PassEnd {
  scanned,   // the feeder ran empty, or the job took no more pages
  noPaper,   // the scanner had no page to scan
  noDevice,  // the scanner could not be reached; the user is told
  stopped,   // ended on request after the page in hand
  silent,    // no page came in time
};

// What steers a pass from outside it and hears of its pages.
struct PassControl {
  std::stop_token stop;              // ends the pass after the page in hand
  std::function<void()> pageTaken;   // after each page handed to the job; may be empty
};

// One pass of the feeder through the scanner's data source; every page goes to
// the job before the next one is transferred. Marks the scanner busy meanwhile.
class ScanSession {
 public:
  virtual ~ScanSession() = default;
  virtual PassEnd run(CButtonSetting& button, ScanJob& job, const PassControl& control) = 0;
};

}  // namespace ostrel
