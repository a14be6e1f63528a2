#include "net/curl_handle.h"

#include <mutex>
#include <utility>

namespace ostrel::net {
namespace {

bool globalInitialised() {
  // curl_global_init is not thread-safe and must precede every other call; the
  // matching cleanup is left to process exit, as libcurl allows.
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ready;
}

}  // namespace

CurlEasy makeEasyHandle(const TransferLimits& limits) {
  if (!globalInitialised()) return nullptr;
  CurlEasy handle(curl_easy_init());
  if (!handle) return nullptr;
  CURL* h = handle.get();
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
  return handle;
}

bool appendLine(CurlList& list, const char* line) {
  curl_slist* grown = curl_slist_append(list.get(), line);
  if (!grown) return false;
  list.release();
  list.reset(grown);
  return true;
}

std::string describeFailure(CURLcode code, const char* errorBuffer) {
  if (errorBuffer && *errorBuffer) return errorBuffer;
  return curl_easy_strerror(code);
}

StoppableTransfers::StoppableTransfers(std::stop_token stop)
    : stop_(std::move(stop)),
      multi_(globalInitialised() ? curl_multi_init() : nullptr),
      wake_(stop_, Wake{multi_.get()}) {}

CURLcode StoppableTransfers::perform(CURL* handle) {
  if (!multi_) return CURLE_FAILED_INIT;
  if (stop_.stop_requested()) return CURLE_ABORTED_BY_CALLBACK;
  if (curl_multi_add_handle(multi_.get(), handle) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  for (int running = 1; !stop_.stop_requested();) {
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      const CURLMsg* message = curl_multi_info_read(multi_.get(), &left);
      result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_FAILED_INIT;
      break;
    }
    // Returns early when the transfer can go on or the stop wakes it.
    curl_multi_poll(multi_.get(), nullptr, 0, 1000, nullptr);
  }
  curl_multi_remove_handle(multi_.get(), handle);
  return result;
}

}  // namespace ostrel::net
