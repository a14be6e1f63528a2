#include "cloud/webdav.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <memory>

#include "net/curl_handle.h"

namespace ostrel::cloud {

namespace {

// A folder listing larger than this is no folder listing: tens of thousands of
// entries fit well inside it.
constexpr std::size_t kMaxAnswerBytes = 64u << 20;
// A listing is small; a server that takes longer than this is not answering.
constexpr long kRequestSeconds = 60;
constexpr long kMaxRedirects = 5;

constexpr const char* kPropfindBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:displayname/><d:resourcetype/></d:prop></d:propfind>";

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
  auto* body = static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (body->size() + bytes > kMaxAnswerBytes) return 0;  // libcurl ends the transfer with an error
  body->append(data, bytes);
  return bytes;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::size_t readFile(char* buffer, std::size_t size, std::size_t count, void* source) {
  auto* file = static_cast<std::FILE*>(source);
  const std::size_t got = std::fread(buffer, 1, size * count, file);
  if (got == 0 && std::ferror(file)) return CURL_READFUNC_ABORT;
  return got;
}

// libcurl rewinds the body when a redirect or an authentication round sends it again.
int seekFile(void* source, curl_off_t offset, int origin) {
  auto* file = static_cast<std::FILE*>(source);
  return fseeko(file, static_cast<off_t>(offset), origin) == 0 ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
}

// The settings every request of ours shares.
void prepare(CURL* h, const DavAccount& account, const std::string& url, char* errorBuffer) {
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_USERNAME, account.user.c_str());
  curl_easy_setopt(h, CURLOPT_PASSWORD, account.password.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  // A redirect keeps the method and its body (PROPFIND, PUT).
  curl_easy_setopt(h, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL));
  // Explicit, so that nobody weakens them by accident: a store's password must
  // never go to a server whose certificate does not check out.
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Ostrel");
}

DavOutcome transferFailure(CURLcode code, const char* errorBuffer, const std::string& url) {
  DavOutcome outcome;
  const std::string detail = net::describeFailure(code, errorBuffer);
  switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
      outcome.message = "the certificate of " + url + " is not trusted, so nothing was sent to it (" + detail + ")";
      break;
    case CURLE_OPERATION_TIMEDOUT:
      outcome.message = url + " did not answer in time (" + detail + ")";
      break;
    case CURLE_TOO_MANY_REDIRECTS:
      outcome.message = url + " redirects more than " + std::to_string(kMaxRedirects) + " times";
      break;
    default:
      outcome.message = url + ": " + detail;
  }
  return outcome;
}

DavOutcome byStatus(long code, const std::string& method, const std::string& url) {
  DavOutcome outcome;
  outcome.httpCode = code;
  if (code >= 200 && code < 300) {
    outcome.status = DavOutcome::Status::ok;
    return outcome;
  }
  if (code == 401 || code == 403) {
    outcome.status = DavOutcome::Status::refused;
  } else if (code == 404) {
    outcome.status = DavOutcome::Status::notFound;
  } else if (code == 409 || code == 412) {
    outcome.status = DavOutcome::Status::conflict;
  }
  outcome.message = method + " " + url + " answered HTTP " + std::to_string(code);
  return outcome;
}

DavOutcome noHandle() {
  DavOutcome outcome;
  outcome.message = "libcurl could not make a transfer handle";
  return outcome;
}

// The "scheme://host[:port]" of a URL, or empty.
std::string originOf(std::string_view url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  const std::size_t path = url.find('/', scheme + 3);
  return std::string(url.substr(0, path));
}

bool isDav(const xmlNode* node, const char* name) {
  return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
         xmlStrEqual(node->ns->href, BAD_CAST "DAV:") && xmlStrEqual(node->name, BAD_CAST name);
}

const xmlNode* davChild(const xmlNode* parent, const char* name) {
  for (const xmlNode* child = parent->children; child; child = child->next) {
    if (isDav(child, name)) return child;
  }
  return nullptr;
}

std::string textOf(const xmlNode* node) {
  if (!node) return {};
  std::unique_ptr<xmlChar, decltype(xmlFree)> content(xmlNodeGetContent(node), xmlFree);
  return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string();
}

struct DocumentFree {
  void operator()(xmlDoc* document) const noexcept { xmlFreeDoc(document); }
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view pathPart(std::string_view href) {
  const std::size_t scheme = href.find("://");
  if (scheme != std::string_view::npos) {
    const std::size_t path = href.find('/', scheme + 3);
    href = path == std::string_view::npos ? std::string_view() : href.substr(path);
  }
  return href.substr(0, href.find_first_of("?#"));
}

}  // namespace

std::string DavClient::urlOf(std::string_view href) const {
  if (href.empty()) return account_.baseUrl;
  if (href.find("://") != std::string_view::npos) return std::string(href);
  if (href.front() == '/') return originOf(account_.baseUrl) + std::string(href);
  std::string url = account_.baseUrl;
  if (url.empty() || url.back() != '/') url += '/';
  return url + std::string(href);
}

DavOutcome DavClient::propfind(const std::string& url, int depth, std::string& body) const {
  net::TransferLimits limits;
  const net::CurlEasy handle = net::makeEasyHandle(limits);
  if (!handle) return noHandle();
  CURL* h = handle.get();
  char errorBuffer[CURL_ERROR_SIZE] = {};
  prepare(h, account_, url, errorBuffer);
  net::CurlList headers;
  const std::string depthLine = "Depth: " + std::to_string(depth);
  if (!net::appendLine(headers, depthLine.c_str()) ||
      !net::appendLine(headers, "Content-Type: application/xml; charset=utf-8")) {
    return noHandle();
  }
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "PROPFIND");
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, kPropfindBody);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, kRequestSeconds);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
  const CURLcode code = curl_easy_perform(h);
  if (code != CURLE_OK) return transferFailure(code, errorBuffer, url);
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  DavOutcome outcome = byStatus(status, "PROPFIND", url);
  if (outcome.ok() && status != 207) {
    // A plain web server answers 200 with a page: no WebDAV there.
    outcome.status = DavOutcome::Status::failed;
    outcome.message = url + " is no WebDAV folder (PROPFIND answered HTTP " + std::to_string(status) + ")";
  }
  return outcome;
}

DavOutcome DavClient::checkLogin() const {
  std::string body;
  return propfind(urlOf({}), 0, body);
}

DavOutcome DavClient::listFolders(std::string_view href, std::vector<DavFolder>& folders) const {
  const std::string url = urlOf(href);
  std::string body;
  DavOutcome outcome = propfind(url, 1, body);
  if (!outcome.ok()) return outcome;
  std::vector<DavEntry> entries;
  std::string error;
  if (!parseMultistatus(body, entries, error)) {
    outcome.status = DavOutcome::Status::failed;
    outcome.message = "the folder list of " + url + " cannot be read: " + error;
    return outcome;
  }
  const std::string self = canonicalPath(url);
  for (DavEntry& entry : entries) {
    if (!entry.collection || canonicalPath(entry.href) == self) continue;
    DavFolder folder;
    folder.title = entry.displayName.empty() ? lastSegment(entry.href) : std::move(entry.displayName);
    folder.href = std::move(entry.href);
    folders.push_back(std::move(folder));
  }
  return outcome;
}

DavOutcome DavClient::probe(const std::string& url, bool& exists) const {
  std::string body;
  DavOutcome outcome = propfind(url, 0, body);
  exists = outcome.ok();
  if (outcome.status == DavOutcome::Status::notFound) {
    outcome.status = DavOutcome::Status::ok;
    outcome.message.clear();
  }
  return outcome;
}

DavOutcome DavClient::put(const std::string& url, const std::string& localPath) const {
  const File file(std::fopen(localPath.c_str(), "rb"));
  if (!file) {
    DavOutcome outcome;
    outcome.message = localPath + " cannot be read";
    return outcome;
  }
  if (fseeko(file.get(), 0, SEEK_END) != 0) return DavOutcome{DavOutcome::Status::failed, 0, localPath + " cannot be read"};
  const off_t size = ftello(file.get());
  std::rewind(file.get());

  const net::CurlEasy handle = net::makeEasyHandle();
  if (!handle) return noHandle();
  CURL* h = handle.get();
  char errorBuffer[CURL_ERROR_SIZE] = {};
  prepare(h, account_, url, errorBuffer);
  net::CurlList headers;
  if (!net::appendLine(headers, "If-None-Match: *") ||
      !net::appendLine(headers, "Content-Type: application/octet-stream")) {
    return noHandle();
  }
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_READFUNCTION, readFile);
  curl_easy_setopt(h, CURLOPT_READDATA, file.get());
  curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, seekFile);
  curl_easy_setopt(h, CURLOPT_SEEKDATA, file.get());
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
  const CURLcode code = curl_easy_perform(h);
  if (code != CURLE_OK) return transferFailure(code, errorBuffer, url);
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return byStatus(status, "PUT", url);
}

bool parseMultistatus(std::string_view xml, std::vector<DavEntry>& entries, std::string& error) {
  // No network, no entity substitution: the answer is data, not instructions.
  const std::unique_ptr<xmlDoc, DocumentFree> document(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "multistatus.xml", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS));
  if (!document) {
    error = "the answer is not XML";
    return false;
  }
  const xmlNode* root = xmlDocGetRootElement(document.get());
  if (!isDav(root, "multistatus")) {
    error = "the answer is no WebDAV multistatus";
    return false;
  }
  for (const xmlNode* response = root->children; response; response = response->next) {
    if (!isDav(response, "response")) continue;
    DavEntry entry;
    entry.href = textOf(davChild(response, "href"));
    if (entry.href.empty()) continue;
    for (const xmlNode* propstat = response->children; propstat; propstat = propstat->next) {
      if (!isDav(propstat, "propstat")) continue;
      // Properties the server does not have come back in a 404 propstat.
      if (textOf(davChild(propstat, "status")).find(" 200") == std::string::npos) continue;
      const xmlNode* prop = davChild(propstat, "prop");
      if (!prop) continue;
      if (const xmlNode* name = davChild(prop, "displayname")) entry.displayName = textOf(name);
      if (const xmlNode* type = davChild(prop, "resourcetype")) entry.collection = davChild(type, "collection");
    }
    entries.push_back(std::move(entry));
  }
  return true;
}

std::string encodeSegment(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '-' ||
        byte == '.' || byte == '_' || byte == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

std::string decodePercent(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string canonicalPath(std::string_view href) {
  std::string path = decodePercent(pathPart(href));
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

std::string lastSegment(std::string_view href) {
  const std::string path = canonicalPath(href);
  return path.substr(path.rfind('/') + 1);
}

}  // namespace ostrel::cloud
