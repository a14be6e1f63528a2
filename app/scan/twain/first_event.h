#pragma once
// The first word of a source just enabled. A virtual scanner is ready at once;
// a real one may take seconds to warm up and read its first page, so the
// source's events are polled for a bounded time, and a stop request ends the
// wait (the manager is ending).
#include <chrono>
#include <stop_token>

#include "app/scan/twain/twain_data_source.h"

namespace ostrel {

enum class FirstEvent {
  TransferReady,  // MSG_XFERREADY: pages wait
  CloseRequest,   // MSG_CLOSEDSREQ or MSG_CLOSEDSOK: nothing to transfer
  Stopped,        // a stop was requested
  Silent,         // nothing within the limit
};

FirstEvent WaitForFirstEvent(TwainDataSource& source, const std::stop_token& stop,
                             std::chrono::milliseconds limit);

}  // namespace ostrel
