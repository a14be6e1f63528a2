#pragma once
// Reads pages from a scanner on a helper thread, one page at a time when
// asked, so that the thread which asked (the data source, inside the
// application's event polling) never blocks on the scanner unless it chooses
// to wait. Only this thread talks to the scanner from the first feed of a
// batch to its end: it ends the batch itself, after the page in hand, and
// never while another thread's call is under way on the same device.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "imaging/dib.h"
#include "scanners/sane/frame_supplier.h"

namespace ostrel::sane {

struct ReaderSettings {
  double dpi = 200;         // written into each page
  bool singlePage = false;  // a flatbed holds one sheet, a feeder a stack
  // A wait gives up when the scanner has made no progress (a sheet fed, bytes
  // read) for this long.
  std::chrono::milliseconds stallLimit = std::chrono::minutes(1);
  std::size_t chunkBytes = 64 * 1024;
};

// Why no more pages come.
struct ReadEnd {
  enum class Reason {
    FeederEmpty,   // no sheet left (a flatbed: its one page was read)
    Stopped,       // the reader was asked to stop
    DeviceError,   // the scanner reported a failure: see status
    BadImage,      // the scanner's frames cannot make a page (or memory ran out)
    Stalled,       // the scanner made no progress within the stall limit
  };
  Reason reason = Reason::FeederEmpty;
  DeviceStatus status = DeviceStatus::Good;
  std::string message;
  // Pages read before the end.
  int pages = 0;
};

class PageReader {
 public:
  enum class Phase { Idle, Feeding, Reading, PageReady, Ended };

  // Starts the helper thread; it waits for the first request.
  PageReader(std::shared_ptr<FrameSupplier> scanner, ReaderSettings settings);
  // Stops as stop() does, waiting up to ten seconds.
  ~PageReader();
  PageReader(const PageReader&) = delete;
  PageReader& operator=(const PageReader&) = delete;

  // Asks for the next sheet to be fed and read; ignored unless Idle.
  void requestPage();
  // Where the reader is; a scanner silent beyond the stall limit has ended
  // the batch (Stalled).
  Phase phase();
  // Waits until the sheet asked for has been fed (true) or the batch has
  // ended (false; end() says why).
  bool waitFed();
  // Waits for the page asked for; nullopt when the batch has ended instead.
  std::optional<Dib> takePage();
  // nullopt while more pages may come.
  std::optional<ReadEnd> end() const;
  // True once the helper thread has let go of the scanner.
  bool finished() const;

  // Asks the thread to stop once the page in hand is read and waits for it
  // at most wait. False when the scanner is still busy: the thread is then
  // left to finish the page and end the batch on its own, keeping the
  // scanner until it does.
  bool stop(std::chrono::milliseconds wait);

 private:
  struct State;
  // The helper thread's work; it keeps its own share of the state.
  static void run(std::shared_ptr<State> state, std::shared_ptr<FrameSupplier> scanner, ReaderSettings settings);
  static std::optional<Dib> readPage(FrameSupplier& scanner, State& state, const ReaderSettings& settings,
                                     std::vector<std::uint8_t>& buffer, ReadEnd* end);
  template <typename Done>
  bool waitUntil(Done done);
  // With the state locked: ends the batch when a sheet being fed or read has
  // brought no progress within the stall limit.
  bool endIfStalled();

  std::shared_ptr<State> state_;
  ReaderSettings settings_;
  std::thread thread_;
};

}  // namespace ostrel::sane
