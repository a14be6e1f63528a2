#include "net/curl_handle.h"

#include <mutex>

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

}  // namespace ostrel::net
