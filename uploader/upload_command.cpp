#include "uploader/upload_command.h"


#include "app/settings/password_codec.h"
#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel::uploader {

namespace {

constexpr std::string_view kFolderPrefix = "FolderID::";
// A password line longer than this is no password line.
constexpr std::size_t kMaxPasswordLine = 4096;
// Beyond this many taken names something else is wrong.
constexpr int kMaxNumber = 999;

std::string readPasswordLine(std::istream& input) {
  std::string line;
  char c = 0;
  while (line.size() < kMaxPasswordLine && input.get(c) && c != '\n') line += c;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string fileNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string describe(const UploadRequest& request) { return "\"" + request.file + "\""; }

}  // namespace

std::optional<UploadRequest> parseCommandLine(const std::vector<std::string>& arguments, std::istream& input,
                                              std::string& error) {
  UploadRequest request;
  bool passwordGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (i + 1 >= arguments.size()) {
      error = name + " lacks its value";
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    if (platform::equalsNoCase(name, "-Server")) {
      request.server = value;
    } else if (platform::equalsNoCase(name, "-Account")) {
      request.account = value;
    } else if (platform::equalsNoCase(name, "-Password")) {
      request.password = DecodePassword(value == "-" ? readPasswordLine(input) : value);
      passwordGiven = true;
    } else if (platform::equalsNoCase(name, "-FolderID")) {
      request.folderId = value;
    } else if (platform::equalsNoCase(name, "-Path")) {
      request.path = value;
    } else if (platform::equalsNoCase(name, "-File")) {
      request.file = value;
    } else if (platform::equalsNoCase(name, "-Title")) {
      request.title = value;
    } else {
      error = "unknown switch " + name;
      return std::nullopt;
    }
  }
  if (request.server.empty() || request.account.empty() || !passwordGiven || request.file.empty()) {
    error = "-Server, -Account, -Password and -File are needed";
    return std::nullopt;
  }
  if (request.title.empty()) request.title = fileNameOf(request.file);
  return request;
}

std::string folderUrl(const cloud::DavClient& client, const UploadRequest& request) {
  std::string url;
  if (!request.folderId.empty()) {
    std::string_view href = request.folderId;
    if (href.starts_with(kFolderPrefix)) href.remove_prefix(kFolderPrefix.size());
    url = client.urlOf(href);
  } else {
    url = client.urlOf({});
    if (url.empty() || url.back() != '/') url += '/';
    std::string segment;
    for (const char c : request.path + "\\") {
      if (c != '\\' && c != '/') {
        segment += c;
      } else if (!segment.empty()) {
        url += cloud::encodeSegment(segment) + "/";
        segment.clear();
      }
    }
  }
  if (url.empty() || url.back() != '/') url += '/';
  return url;
}

std::string remoteName(const std::string& title, int number) {
  std::string name;
  for (const char c : title) {
    const auto byte = static_cast<unsigned char>(c);
    name += (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) ? '_' : c;
  }
  if (name.empty() || name == "." || name == "..") name = "Scan" + name;
  if (number <= 1) return name;
  const std::size_t dot = name.rfind('.');
  const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, cut) + " (" + std::to_string(number) + ")" + name.substr(cut);
}

UploadResult upload(const UploadRequest& request, const RetryPolicy& retry) {
  UploadResult result;
  if (!platform::fileExists(request.file)) {
    result.status = UploadStatus::badRequest;
    result.message = request.file + " does not exist";
    Log("Cloud upload of " + describe(request) + " not possible: " + result.message);
    return result;
  }
  std::string server = request.server;
  if (server.find("://") == std::string::npos) server = "https://" + server;
  const cloud::DavClient client(cloud::DavAccount{server, request.account, request.password});
  const std::string folder = folderUrl(client, request);

  std::chrono::milliseconds pause = retry.firstPause;
  for (int attempt = 1; attempt <= retry.attempts; ++attempt) {
    cloud::DavOutcome outcome;
    for (int number = 1; number <= kMaxNumber; ++number) {
      const std::string url = folder + cloud::encodeSegment(remoteName(request.title, number));
      bool taken = false;
      outcome = client.probe(url, taken);
      if (!outcome.ok()) break;
      if (taken) continue;
      outcome = client.put(url, request.file);
      // Taken between the probe and the PUT: the next number.
      if (outcome.status == cloud::DavOutcome::Status::conflict && outcome.httpCode == 412) continue;
      if (outcome.ok()) {
        result.status = UploadStatus::uploaded;
        result.url = url;
        Log("Cloud upload: " + describe(request) + " stored as " + url);
        return result;
      }
      break;
    }
    if (outcome.ok()) outcome = {cloud::DavOutcome::Status::failed, 0, "every name up to number 999 is taken"};
    result.message = outcome.message;
    if (outcome.status == cloud::DavOutcome::Status::refused) {
      result.status = UploadStatus::refused;
      Log("Cloud upload of " + describe(request) + " refused: " + outcome.message);
      return result;
    }
    if (!outcome.transient() || attempt == retry.attempts) break;
    Log("Cloud upload of " + describe(request) + ", attempt " + std::to_string(attempt) + " failed (" +
        outcome.message + "); trying again in " + std::to_string(pause.count()) + " ms");
    if (retry.sleep) retry.sleep(pause);
    pause *= 2;
  }
  result.status = UploadStatus::failed;
  Log("Cloud upload of " + describe(request) + " failed: " + result.message + ". The file stays where it is.");
  return result;
}

}  // namespace ostrel::uploader
