#include "scanners/sane/page_reader.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "scanners/sane/page_assembler.h"

namespace ostrel::sane {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDestructorWait = std::chrono::seconds(10);

}  // namespace

// Shared with the thread, which may outlive the reader (see stop()).
struct PageReader::State {
  std::mutex mutex;
  std::condition_variable changed;
  Phase phase = Phase::Idle;
  bool stopping = false;
  bool threadDone = false;
  std::optional<Dib> page;
  std::optional<ReadEnd> end;
  int pages = 0;
  Clock::time_point lastProgress = Clock::now();

  void progress() {
    std::lock_guard lock(mutex);
    lastProgress = Clock::now();
  }
  void setPhase(Phase next) {
    {
      std::lock_guard lock(mutex);
      if (phase != Phase::Ended) phase = next;
      lastProgress = Clock::now();
    }
    changed.notify_all();
  }
  void finish(ReadEnd why) {
    {
      std::lock_guard lock(mutex);
      if (!end) {
        why.pages = pages;
        end = std::move(why);
      }
      phase = Phase::Ended;
      page.reset();
    }
    changed.notify_all();
  }
};

namespace {

ReadEnd deviceError(DeviceStatus status) {
  return {ReadEnd::Reason::DeviceError, status, "the scanner reports: " + statusText(status)};
}

ReadEnd badImage(const std::string& reason) {
  return {ReadEnd::Reason::BadImage, DeviceStatus::Good, "the scanner's image cannot be a page: " + reason};
}

}  // namespace

// Feeds one sheet and reads its frames into a page; nullopt with *end set
// when there is none.
std::optional<Dib> PageReader::readPage(FrameSupplier& scanner, State& state, const ReaderSettings& settings,
                                        std::vector<std::uint8_t>& buffer, ReadEnd* end) {
  PageAssembler assembler(settings.dpi);
  std::string error;
  for (bool firstFrame = true;; firstFrame = false) {
    DeviceStatus status = scanner.start();
    if (status != DeviceStatus::Good) {
      *end = firstFrame && status == DeviceStatus::FeederEmpty
                 ? ReadEnd{ReadEnd::Reason::FeederEmpty, DeviceStatus::Good, "the feeder is empty"}
                 : deviceError(status);
      return std::nullopt;
    }
    if (firstFrame) state.setPhase(Phase::Reading);
    FrameParameters frame;
    status = scanner.parameters(frame);
    if (status != DeviceStatus::Good) {
      *end = deviceError(status);
      return std::nullopt;
    }
    if (!assembler.beginFrame(frame, &error)) {
      *end = badImage(error);
      return std::nullopt;
    }
    for (;;) {
      std::size_t length = 0;
      status = scanner.read(buffer, length);
      if (status == DeviceStatus::EndOfFrame) break;
      if (status != DeviceStatus::Good) {
        *end = deviceError(status);
        return std::nullopt;
      }
      state.progress();
      if (!assembler.add({buffer.data(), length}, &error)) {
        *end = badImage(error);
        return std::nullopt;
      }
    }
    if (!assembler.endFrame(&error)) {
      *end = badImage(error);
      return std::nullopt;
    }
    if (assembler.complete()) break;
  }
  auto page = assembler.finish(&error);
  if (!page) *end = badImage(error);
  return page;
}

void PageReader::run(std::shared_ptr<State> state, std::shared_ptr<FrameSupplier> scanner, ReaderSettings settings) {
  bool fed = false;
  try {
    std::vector<std::uint8_t> buffer(settings.chunkBytes ? settings.chunkBytes : 1);
    for (;;) {
      {
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return state->stopping || state->phase == Phase::Feeding; });
        if (state->stopping) break;
        if (settings.singlePage && state->pages > 0) {
          lock.unlock();
          state->finish(ReadEnd{ReadEnd::Reason::FeederEmpty, DeviceStatus::Good, "the flatbed's page is read"});
          break;
        }
      }
      fed = true;
      ReadEnd end;
      auto page = readPage(*scanner, *state, settings, buffer, &end);
      if (!page) {
        state->finish(std::move(end));
        break;
      }
      {
        std::lock_guard lock(state->mutex);
        if (state->phase != Phase::Ended) {
          state->page = std::move(page);
          state->phase = Phase::PageReady;
          ++state->pages;
        }
        state->lastProgress = Clock::now();
      }
      state->changed.notify_all();
    }
  } catch (const std::bad_alloc&) {
    state->finish(badImage("there is not enough memory"));
  } catch (...) {
    state->finish(badImage("the page could not be read"));
  }
  // A batch ends with a cancel, also after its last page. Called here, between
  // reads, because some backends (the test backend of Debian 12 among them)
  // can deadlock when a cancel from another thread meets a read under way.
  if (fed) scanner->cancel();
  {
    std::lock_guard lock(state->mutex);
    state->threadDone = true;
  }
  state->changed.notify_all();
}

PageReader::PageReader(std::shared_ptr<FrameSupplier> scanner, ReaderSettings settings)
    : state_(std::make_shared<State>()), settings_(settings) {
  thread_ = std::thread(run, state_, std::move(scanner), settings_);
}

PageReader::~PageReader() { stop(kDestructorWait); }

void PageReader::requestPage() {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->phase != Phase::Idle || state_->stopping) return;
    state_->phase = Phase::Feeding;
    state_->lastProgress = Clock::now();
  }
  state_->changed.notify_all();
}

PageReader::Phase PageReader::phase() {
  std::lock_guard lock(state_->mutex);
  endIfStalled();
  return state_->phase;
}

bool PageReader::endIfStalled() {
  const bool working = state_->phase == Phase::Feeding || state_->phase == Phase::Reading;
  if (!working || Clock::now() < state_->lastProgress + settings_.stallLimit) return false;
  // The scanner went quiet: the batch is over for the caller, whatever the
  // thread still manages to do.
  state_->end = ReadEnd{ReadEnd::Reason::Stalled, DeviceStatus::Good,
                        "the scanner made no progress for " + std::to_string(settings_.stallLimit.count() / 1000) +
                            " s",
                        state_->pages};
  state_->phase = Phase::Ended;
  state_->page.reset();
  state_->stopping = true;
  state_->changed.notify_all();
  return true;
}

template <typename Done>
bool PageReader::waitUntil(Done done) {
  std::unique_lock lock(state_->mutex);
  while (!done()) {
    if (state_->phase == Phase::Ended || endIfStalled()) return false;
    state_->changed.wait_until(lock, state_->lastProgress + settings_.stallLimit);
  }
  return true;
}

bool PageReader::waitFed() {
  return waitUntil([&] { return state_->phase == Phase::Reading || state_->phase == Phase::PageReady; });
}

std::optional<Dib> PageReader::takePage() {
  if (!waitUntil([&] { return state_->phase == Phase::PageReady; })) return std::nullopt;
  std::lock_guard lock(state_->mutex);
  std::optional<Dib> page = std::move(state_->page);
  state_->page.reset();
  state_->phase = Phase::Idle;
  return page;
}

std::optional<ReadEnd> PageReader::end() const {
  std::lock_guard lock(state_->mutex);
  return state_->end;
}

bool PageReader::finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->threadDone;
}

bool PageReader::stop(std::chrono::milliseconds wait) {
  if (!thread_.joinable()) return true;
  std::unique_lock lock(state_->mutex);
  state_->stopping = true;
  if (!state_->end) state_->end = ReadEnd{ReadEnd::Reason::Stopped, DeviceStatus::Good, "stopped", state_->pages};
  state_->page.reset();
  state_->changed.notify_all();
  const bool done = state_->changed.wait_for(lock, wait, [&] { return state_->threadDone; });
  lock.unlock();
  if (done) {
    thread_.join();
  } else {
    thread_.detach();
  }
  return done;
}

}  // namespace ostrel::sane
