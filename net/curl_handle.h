#pragma once
// The one way to hold libcurl's handles: owned, freed on every path, and set up
// with the limits every transfer of ours needs (no signals from worker threads,
// a connect time-out, and a stall detector instead of an overall deadline so a
// large upload on a slow line still finishes).
#include <curl/curl.h>

#include <memory>
#include <stop_token>
#include <string>

namespace ostrel::net {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlListDeleter {
  void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

struct CurlMultiDeleter {
  void operator()(CURLM* handle) const noexcept { curl_multi_cleanup(handle); }
};
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

struct TransferLimits {
  long connectSeconds = 15;
  // A transfer slower than lowSpeedBytes per second for lowSpeedSeconds is given up.
  long lowSpeedBytes = 1;
  long lowSpeedSeconds = 30;
};

// A fresh easy handle with the limits applied, or null when libcurl cannot make one.
// Safe to call from any thread: the process-wide initialisation runs once.
CurlEasy makeEasyHandle(const TransferLimits& limits = {});

// Appends one header or command line; the list stays owned on failure too.
bool appendLine(CurlList& list, const char* line);

// A message for the log and the user: libcurl's detail when it left one, else
// the generic text of the code.
std::string describeFailure(CURLcode code, const char* errorBuffer);

// Runs transfers one after another on the calling thread, as curl_easy_perform
// does, keeping their connections for the next one (a probe and then an upload
// log in once). Unlike curl_easy_perform, a transfer ends at once when stop is
// requested, whatever it waits for: the connection, a server's greeting or
// the network. libcurl's progress callback is not called in every one of
// those waits, so the stop wakes the transfer's poll instead.
class StoppableTransfers {
 public:
  explicit StoppableTransfers(std::stop_token stop);
  StoppableTransfers(const StoppableTransfers&) = delete;
  StoppableTransfers& operator=(const StoppableTransfers&) = delete;

  // The transfer's result; CURLE_ABORTED_BY_CALLBACK once stop is requested.
  CURLcode perform(CURL* handle);

 private:
  struct Wake {
    CURLM* multi;
    void operator()() const noexcept { curl_multi_wakeup(multi); }
  };

  std::stop_token stop_;
  CurlMulti multi_;
  std::stop_callback<Wake> wake_;  // after the handle it wakes
};

}  // namespace ostrel::net
