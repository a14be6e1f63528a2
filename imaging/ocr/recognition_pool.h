#pragma once
// Recognition beside the scanner: pages go in as they are scanned, are turned
// upright and recognised on worker threads, each with an engine of its own, and
// come out in the order they went in. Nothing here blocks the caller but
// takeNext(): the caller bounds the pages in flight by taking the oldest one
// (and writing it) before it submits more, so memory stays flat however long
// the feeder runs.
//
// The workers start with the first page and keep their engines loaded until the
// pool is destroyed, so the next job starts at once; an engine is loaded again
// only when a page asks for another language.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "imaging/dib.h"
#include "imaging/ocr/page_text.h"
#include "imaging/ocr/recognition_engine.h"

namespace ostrel::ocr {

struct PageWork {
  Dib page;
  bool orient = false;     // turn it upright by its text first
  bool recognize = false;  // and read its words
  std::string language = "eng";
  int tag = 0;  // the caller's, handed back as it was
};

struct PageDone {
  Dib page;                    // turned when it was found standing otherwise
  std::optional<PageText> text;  // when asked for and the engine could read the page
  int clockwiseTurn = 0;       // what was done to the page
  int tag = 0;
};

class RecognitionPool {
 public:
  // Workers load their engines from dataFolder; at least one worker.
  RecognitionPool(std::string dataFolder, int workers);
  // Stops the workers; pages not yet taken are dropped.
  ~RecognitionPool();
  RecognitionPool(const RecognitionPool&) = delete;
  RecognitionPool& operator=(const RecognitionPool&) = delete;

  // The number of workers for this machine: one per core, at most four.
  static int workersForThisMachine();

  void submit(PageWork work);
  // Submitted and not yet taken.
  int inFlight() const;
  // The oldest page if it is done; never waits.
  std::optional<PageDone> takeReady();
  // The oldest page, waiting for it; nullopt when none is in flight.
  std::optional<PageDone> takeNext();

 private:
  struct Queued {
    std::uint64_t number;
    PageWork work;
  };
  void startWorkers();
  void run();
  PageDone process(PageWork work, RecognitionEngine& engine, bool& warned);

  const std::string dataFolder_;
  const int workerCount_;
  mutable std::mutex mutex_;
  std::condition_variable workArrived_;
  std::condition_variable pageDone_;
  std::deque<Queued> queue_;
  std::map<std::uint64_t, PageDone> done_;
  std::uint64_t nextNumber_ = 0;  // of the next page submitted
  std::uint64_t nextOut_ = 0;     // of the next page to be taken
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace ostrel::ocr
