#pragma once
// The uploader's work: the command line the manager starts it with, and one
// upload of one file into a WebDAV folder.
//
//   Wexford -Server <url> -Account <name> -Password <encoded | -> [-FolderID FolderID::<href>]
//           -Path "<\A\B\>" -File "<local file>" -Title "<name>"
//
// "-Password -" reads the encoded password from the first line of standard
// input, so that it never shows in the process list; any other value is taken
// as the encoded password itself.
#include <chrono>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "cloud/webdav.h"

namespace ostrel::uploader {

struct UploadRequest {
  std::string server;
  std::string account;
  std::string password;  // decoded
  std::string folderId;  // as given, with or without "FolderID::"
  std::string path;      // "\A\B\" (either separator)
  std::string file;
  std::string title;
};

// nullopt with a reason when the command line is not the uploader's.
std::optional<UploadRequest> parseCommandLine(const std::vector<std::string>& arguments, std::istream& input,
                                              std::string& error);

// The URL of the target folder, ending with '/': the identifier when there is
// one, else the path below the account's root.
std::string folderUrl(const cloud::DavClient& client, const UploadRequest& request);

// The name a file gets on the server: the title, one path segment (separators
// and control characters become '_'), numbered from the second try on as a
// user would: "Scan.pdf", "Scan (2).pdf", "Scan (3).pdf".
std::string remoteName(const std::string& title, int number);

enum class UploadStatus { uploaded = 0, failed = 1, badRequest = 2, refused = 3 };

struct UploadResult {
  UploadStatus status = UploadStatus::failed;
  std::string url;      // where the file went
  std::string message;  // why not
};

struct RetryPolicy {
  int attempts = 4;
  std::chrono::milliseconds firstPause{1000};  // doubled after every failed attempt
  std::function<void(std::chrono::milliseconds)> sleep;
};

// Uploads the file, never replacing anything on the server, trying again after
// failures of the network or the server. Every attempt leaves a log line.
UploadResult upload(const UploadRequest& request, const RetryPolicy& retry);

}  // namespace ostrel::uploader
