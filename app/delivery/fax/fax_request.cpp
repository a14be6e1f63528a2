#include "app/delivery/fax/fax_request.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/delivery/fax/fax_texts.h"
#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/ini_document.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel {

namespace fs = std::filesystem;

namespace {

std::tm localTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

std::string dateOf(std::chrono::system_clock::time_point when) { return fodAt(when).substr(0, 8); }

bool exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

// Whether a file of the job `fod` is anywhere the service keeps them.
bool fodTaken(const std::string& sendFolder, const std::string& fod) {
  const std::string suffixes[] = {".inf", ".rlt", ".html", ".inf.err"};
  for (const auto& suffix : suffixes) {
    if (exists(platform::joinPath(sendFolder, fod + suffix))) return true;
  }
  std::error_code error;
  for (fs::directory_iterator it(sendFolder, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_directory(error)) continue;
    const std::string archive = it->path().string();
    for (const auto& suffix : suffixes) {
      if (exists(platform::joinPath(archive, fod + suffix))) return true;
    }
  }
  return false;
}

// name, then stem_2.ext, stem_3.ext, ... as `taken` allows.
std::string freeName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
  if (!taken(name)) return name;
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
  for (int n = 2;; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + extension;
    if (!taken(candidate)) return candidate;
  }
}

std::string joinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const auto& name : names) joined += (joined.empty() ? "" : ",") + name;
  return joined;
}

QueuedFax failed(std::string error) {
  QueuedFax result;
  result.error = std::move(error);
  Log("Fax not queued: " + result.error);
  return result;
}

}  // namespace

std::string fodAt(std::chrono::system_clock::time_point when) {
  const std::tm t = localTime(when);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

std::string freeFod(const std::string& sendFolder, std::chrono::system_clock::time_point now) {
  for (auto when = std::chrono::floor<std::chrono::seconds>(now);; when += std::chrono::seconds(1)) {
    std::string fod = fodAt(when);
    if (!fodTaken(sendFolder, fod)) return fod;
  }
}

QueuedFax queueFax(const std::string& spoolBase, const FaxRequest& request, const FaxClock& clock) {
  const std::string sendFolder = platform::joinPath(spoolBase, "Send");
  if (!platform::createFolderTree(sendFolder)) {
    return failed("the fax spool folder " + sendFolder + " cannot be created: " + std::strerror(errno));
  }
  const auto now = clock();
  const std::string today = platform::joinPath(sendFolder, dateOf(now));

  QueuedFax result;
  result.fod = freeFod(sendFolder, now);
  std::vector<std::string> copied;
  const auto undo = [&copied](std::string error) {
    std::error_code ignored;
    for (const auto& path : copied) fs::remove(path, ignored);
    return failed(std::move(error));
  };

  // Two documents of one request may share a name too; the archive of today is
  // where the service moves a waiting request's documents, replacing same names.
  std::vector<std::string> documentNames;
  for (const auto& document : request.documents) {
    const auto taken = [&](const std::string& name) {
      for (const auto& used : documentNames) {
        if (used == name) return true;
      }
      return exists(platform::joinPath(sendFolder, name)) || exists(platform::joinPath(today, name));
    };
    std::string name = freeName(fs::path(document).filename().string(), taken);
    const std::string target = platform::joinPath(sendFolder, name);
    std::error_code error;
    // No overwrite: a file that appeared since the check is not replaced either.
    if (!fs::copy_file(document, target, fs::copy_options::none, error)) {
      return undo(document + " could not be copied to " + target + ": " + error.message());
    }
    copied.push_back(target);
    documentNames.push_back(std::move(name));
  }

  if (!request.coverText.empty()) {
    const std::string coverName = result.fod + ".html";
    const std::string coverPath = platform::joinPath(sendFolder, coverName);
    if (!platform::replaceFileAtomically(coverPath, coverPageHtml(request.coverText, request.coverPixelSize), 0644,
                                         platform::Flush::no)) {
      return undo("the cover page " + coverPath + " could not be written: " + std::strerror(errno));
    }
    copied.push_back(coverPath);
    result.fileNames.push_back(coverName);
  }
  result.fileNames.insert(result.fileNames.end(), documentNames.begin(), documentNames.end());

  platform::IniDocument ini;
  ini.set("Lumora", "Country", std::to_string(request.country));
  ini.set("Lumora", "ReceiverNo", request.receiver);
  ini.set("Lumora", "Title", request.title);
  ini.set("Lumora", "UserID", request.userId);
  ini.set("Lumora", "SenderNo", request.senderNo);
  ini.set("Lumora", "FileCount", std::to_string(result.fileNames.size()));
  ini.set("Lumora", "FileName", joinNames(result.fileNames));
  ini.set("Lumora", "FOD", result.fod);
  result.requestPath = platform::joinPath(sendFolder, result.fod + ".inf");
  if (!platform::replaceFileAtomically(result.requestPath, ini.fileBytes(), 0644, platform::Flush::no)) {
    return undo("the fax request " + result.requestPath + " could not be written: " + std::strerror(errno));
  }
  result.queued = true;
  Log("Fax queued as " + result.fod + " for " + request.receiver + ": " + joinNames(result.fileNames));
  return result;
}

}  // namespace ostrel
