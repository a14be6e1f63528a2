#pragma once
// A small WebDAV client: what the cloud client library and the uploader need of
// a document store (Nextcloud, ownCloud, any WebDAV share). Every request goes
// through libcurl with certificate checks on, a time-out and a bounded number
// of redirects; errors come back as values with a message fit for the log.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cloud {

struct DavAccount {
  std::string baseUrl;  // the account's root collection, e.g. https://host/remote.php/dav/files/USER/
  std::string user;
  std::string password;
};

struct DavOutcome {
  enum class Status {
    ok,
    refused,    // the server turned the credentials down (401, 403)
    notFound,   // 404
    conflict,   // the name is taken (412) or the parent is missing (409)
    failed,     // network, certificate, time-out or an unexpected answer
  };
  Status status = Status::failed;
  long httpCode = 0;
  std::string message;  // empty when ok
  bool ok() const { return status == Status::ok; }
  // Worth another try later: the network or the server, not the request.
  bool transient() const { return status == Status::failed && (httpCode == 0 || httpCode >= 500); }
};

// One member of a collection as PROPFIND reports it.
struct DavEntry {
  std::string href;         // as the server wrote it (percent-encoded path or URL)
  std::string displayName;  // may be empty
  bool collection = false;
};

// The folder a PROPFIND of depth 1 lists: its sub-collections only.
struct DavFolder {
  std::string href;
  std::string title;  // display name, else the last path segment decoded
};

class DavClient {
 public:
  explicit DavClient(DavAccount account) : account_(std::move(account)) {}

  const DavAccount& account() const { return account_; }

  // PROPFIND of depth 0 on the account's root: are the credentials good?
  DavOutcome checkLogin() const;
  // The sub-collections of the collection at href (empty: the root), in the
  // server's order.
  DavOutcome listFolders(std::string_view href, std::vector<DavFolder>& folders) const;
  // Whether something exists at url (PROPFIND depth 0: a HEAD answers 200 on
  // collections of some servers and 405 on others).
  DavOutcome probe(const std::string& url, bool& exists) const;
  // PUTs the local file to url, streamed from disk, refusing to replace what is
  // there (If-None-Match: *; a server that ignores it is caught by probe first).
  DavOutcome put(const std::string& url, const std::string& localPath) const;

  // The absolute URL of an href (an absolute path is taken on the root's host).
  std::string urlOf(std::string_view href) const;

 private:
  DavOutcome propfind(const std::string& url, int depth, std::string& body) const;
  DavAccount account_;
};

// Parses a 207 multistatus body; false with a reason when it is no such body.
bool parseMultistatus(std::string_view xml, std::vector<DavEntry>& entries, std::string& error);

// Percent-encodes one path segment (everything but unreserved characters).
std::string encodeSegment(std::string_view text);
// Decodes %XX sequences; malformed ones stay as they are.
std::string decodePercent(std::string_view text);
// The path of a URL or href, without scheme and host, decoded, without a
// trailing '/': two hrefs naming the same collection compare equal.
std::string canonicalPath(std::string_view href);
// The last segment of an href's path, decoded.
std::string lastSegment(std::string_view href);

}  // namespace ostrel::cloud
