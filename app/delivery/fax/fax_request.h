#pragma once
// One fax handed to the fax service: its documents and cover page copied into
// the spool's Send folder and the request file written beside them, which the
// service's workers pick up. The request is written last and whole, so the
// service never sees one whose documents are not all in place.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace ostrel {

struct FaxRequest {
  int country = 82;
  std::string receiver;  // one or more numbers, comma-separated
  std::string title;
  std::string userId;
  std::string senderNo;
  std::vector<std::string> documents;  // full paths
  std::string coverText;               // empty: no cover page
  int coverPixelSize = 0;
};

struct QueuedFax {
  bool queued = false;
  std::string error;                   // why not, for the user
  std::string fod;                     // the job identifier
  std::string requestPath;             // <Send>/<FOD>.inf
  std::vector<std::string> fileNames;  // as in FileName, cover page first
};

using FaxClock = std::function<std::chrono::system_clock::time_point()>;

// The local time as "%04d%02d%02d%02d%02d%02d".
std::string fodAt(std::chrono::system_clock::time_point when);

// The first FOD from `now` on, a second at a time, that no request, result or
// cover page in sendFolder or its dated archive folders has used.
std::string freeFod(const std::string& sendFolder, std::chrono::system_clock::time_point now);

// Copies the documents into <spoolBase>/Send (a name a waiting file holds, in
// Send or in today's archive, gets a free one: "Scan0000_2.pdf"), writes the
// cover page <FOD>.html when there is cover text, then the request. Any failed
// step removes what it copied and writes no request.
QueuedFax queueFax(const std::string& spoolBase, const FaxRequest& request, const FaxClock& clock);

}  // namespace ostrel
