#include "imaging/ocr/recognition_pool.h"

#include <algorithm>
#include <utility>

#include "imaging/cleanup/rotation.h"
#include "platform/activity_log.h"

namespace ostrel::ocr {

namespace {

constexpr int kMostWorkers = 4;

std::optional<Dib> turned(const Dib& page, int clockwise) {
  switch (clockwise) {
    case 90: return RotateRight(page);
    case 180: return Rotate180(page);
    case 270: return RotateLeft(page);
    default: return std::nullopt;
  }
}

}  // namespace

RecognitionPool::RecognitionPool(std::string dataFolder, int workers)
    : dataFolder_(std::move(dataFolder)), workerCount_(std::max(1, workers)) {}

RecognitionPool::~RecognitionPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workArrived_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

int RecognitionPool::workersForThisMachine() {
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kMostWorkers);
}

void RecognitionPool::startWorkers() {
  for (int i = 0; i < workerCount_; ++i) workers_.emplace_back([this] { run(); });
}

void RecognitionPool::submit(PageWork work) {
  {
    std::lock_guard lock(mutex_);
    if (workers_.empty()) startWorkers();
    queue_.push_back({nextNumber_++, std::move(work)});
  }
  workArrived_.notify_one();
}

int RecognitionPool::inFlight() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(nextNumber_ - nextOut_);
}

std::optional<PageDone> RecognitionPool::takeReady() {
  std::lock_guard lock(mutex_);
  const auto found = done_.find(nextOut_);
  if (found == done_.end()) return std::nullopt;
  PageDone page = std::move(found->second);
  done_.erase(found);
  ++nextOut_;
  return page;
}

std::optional<PageDone> RecognitionPool::takeNext() {
  std::unique_lock lock(mutex_);
  if (nextOut_ == nextNumber_) return std::nullopt;
  pageDone_.wait(lock, [&] { return done_.count(nextOut_) != 0; });
  const auto found = done_.find(nextOut_);
  PageDone page = std::move(found->second);
  done_.erase(found);
  ++nextOut_;
  return page;
}

void RecognitionPool::run() {
  RecognitionEngine engine;
  bool warned = false;  // about this worker's engine, once
  for (;;) {
    std::unique_lock lock(mutex_);
    workArrived_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    Queued next = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    PageDone page = process(std::move(next.work), engine, warned);
    lock.lock();
    done_.emplace(next.number, std::move(page));
    lock.unlock();
    pageDone_.notify_all();
  }
}

PageDone RecognitionPool::process(PageWork work, RecognitionEngine& engine, bool& warned) {
  if (!engine.isLoaded() || engine.language() != work.language) {
    const EngineLoad loaded = engine.loadFrom(dataFolder_, work.language, RecognitionEngine::Report::quietly);
    if (loaded != EngineLoad::loaded && !warned) {
      warned = true;
      Log("Text recognition in language \"" + work.language + "\" cannot start from " + dataFolder_ + " (" +
          engineLoadLogText(loaded) + "); pages are kept without their text.");
    }
  }
  int clockwiseTurn = 0;
  std::optional<PageText> text;
  if (engine.isLoaded()) {
    if (work.orient) {
      if (const std::optional<Orientation> found = engine.detectOrientation(work.page);
          found && found->clockwiseTurn != 0) {
        if (std::optional<Dib> upright = turned(work.page, found->clockwiseTurn)) {
          work.page = std::move(*upright);
          clockwiseTurn = found->clockwiseTurn;
        }
      }
    }
    if (work.recognize) text = engine.recognize(work.page);
  }
  return PageDone{std::move(work.page), std::move(text), clockwiseTurn, work.tag};
}

}  // namespace ostrel::ocr
