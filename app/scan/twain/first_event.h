#pragma once
// The first word of a source just enabled. A virtual scanner is ready at once;
// a real one may take seconds to warm up and read its first page, and the
// program must keep answering meanwhile (a second press must see the scanner
// busy), so the source's events are polled with the caller's pump running
// between polls, for a bounded time.
#include <chrono>
#include <functional>

#include "app/scan/twain/twain_data_source.h"

namespace ostrel {

enum class FirstEvent {
  TransferReady,  // MSG_XFERREADY: pages wait
  CloseRequest,   // MSG_CLOSEDSREQ or MSG_CLOSEDSOK: nothing to transfer
  Stopped,        // the pump asked to stop
  Silent,         // nothing within the limit
};

// Polls the source's events; the pump runs only while the source has nothing to say.
FirstEvent WaitForFirstEvent(TwainDataSource& source, const std::function<bool()>& pump,
                             std::chrono::milliseconds limit);

}  // namespace ostrel
