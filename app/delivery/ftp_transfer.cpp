#include "app/delivery/ftp_transfer.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "net/curl_handle.h"
#include "platform/environment.h"

namespace ostrel {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// A probe's answer (FTP reports a file's size and date as header lines) is not wanted.
std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

std::string firstExisting(const std::string& folder, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const std::string path = folder + name;
    if (platform::fileExists(path)) return path;
  }
  return {};
}

class Session {
 public:
  Session(const FtpAccount& account, const FtpAddress& address, const FtpTrust& trust, const std::stop_token& stop)
      : address_(address), stop_(stop), handle_(net::makeEasyHandle()), transfers_(stop) {
    if (!handle_) return;
    CURL* h = handle_.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(h, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    if (address.protocol == FtpProtocol::sftp) {
      curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "sftp");
      curl_easy_setopt(h, CURLOPT_USERNAME, account.user.c_str());
      curl_easy_setopt(h, CURLOPT_PASSWORD, account.password.c_str());
      // Without a key callback libcurl refuses a host whose key is missing from
      // the file or differs from it, which is what is wanted.
      curl_easy_setopt(h, CURLOPT_SSH_KNOWNHOSTS, trust.knownHosts.c_str());
      curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES,
                       static_cast<long>(CURLSSH_AUTH_PUBLICKEY | CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
      // libcurl itself looks only for id_rsa and id_dsa, which current OpenSSH
      // servers no longer take by default.
      const std::string key = firstExisting(trust.keyFolder, {"id_ed25519", "id_ecdsa", "id_rsa"});
      if (!key.empty()) curl_easy_setopt(h, CURLOPT_SSH_PRIVATE_KEYFILE, key.c_str());
    } else {
      curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
      if (!account.anonymous) {
        curl_easy_setopt(h, CURLOPT_USERNAME, account.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, account.password.c_str());
      }
      if (address.protocol == FtpProtocol::ftps) {
        curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!trust.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, trust.caFile.c_str());
      }
    }
  }

  bool ready() const { return handle_ != nullptr; }

  // Whether the server holds a file of that name; nullopt when it cannot say
  // (the login failed, the server cannot be reached, ...), with the reason kept.
  std::optional<bool> holds(const std::string& name) {
    CURL* h = handle_.get();
    curl_easy_setopt(h, CURLOPT_URL, fileUrl(address_, name).c_str());
    curl_easy_setopt(h, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    const CURLcode code = perform();
    if (code == CURLE_OK) return true;
    // The file is not there, or not even its folder, which the upload makes.
    if (code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_ACCESS_DENIED) return false;
    return std::nullopt;
  }

  // The size of a file the server holds, as it reports it: -1 when it does not.
  curl_off_t sizeOf(const std::string& name) {
    curl_off_t size = -1;
    if (holds(name).value_or(false)) curl_easy_getinfo(handle_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    return size;
  }

  bool put(const std::string& name, std::FILE* file, curl_off_t size) {
    CURL* h = handle_.get();
    curl_easy_setopt(h, CURLOPT_URL, fileUrl(address_, name).c_str());
    curl_easy_setopt(h, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READDATA, file);  // libcurl's own reader streams it
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, size);
    return perform() == CURLE_OK;
  }

  bool stopped() const { return stop_.stop_requested(); }

  std::string failure() const {
    std::string text = net::describeFailure(last_, error_);
    if (address_.protocol == FtpProtocol::sftp && last_ == CURLE_PEER_FAILED_VERIFICATION) {
      text += " (the server's host key must be in the known hosts file, as ssh adds it)";
    }
    return text;
  }

 private:
  CURLcode perform() {
    error_[0] = '\0';
    last_ = transfers_.perform(handle_.get());
    return last_;
  }

  const FtpAddress& address_;
  std::stop_token stop_;
  net::CurlEasy handle_;
  net::StoppableTransfers transfers_;  // after the handle: ends before it
  char error_[CURL_ERROR_SIZE] = {};
  CURLcode last_ = CURLE_OK;
};

}  // namespace

FtpAccount FtpAccount::of(const CButtonSetting& button) {
  return {button.server, button.ftpPort, button.ftpProtocol, button.ftpAnonymous == 1, button.account,
          button.password};
}

FtpTrust FtpTrust::fromEnvironment() {
  const std::string keys = platform::homeFolder() + "/.ssh/";
  return {platform::environmentValue("OSTREL_CA_FILE").value_or(""), keys + "known_hosts", keys};
}

std::string numberedName(const std::string& name, int number) {
  const std::size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  const std::string stem = hasExtension ? name.substr(0, dot) : name;
  return stem + " (" + std::to_string(number) + ")" + (hasExtension ? name.substr(dot) : "");
}

FtpUploadResult uploadByFtp(const FtpAccount& account, const std::string& file, const FtpTrust& trust,
                            const std::stop_token& stop) {
  FtpUploadResult result;
  const ParsedFtpAddress parsed =
      parseFtpAddress(account.server, account.port, ftpProtocolFromList(account.protocol));
  if (!parsed.address) {
    result.error = parsed.error;
    return result;
  }
  const FtpAddress& address = *parsed.address;
  result.where = displayUrl(address);

  struct stat info {};
  const OpenFile local(std::fopen(file.c_str(), "rb"));
  if (!local || ::fstat(::fileno(local.get()), &info) != 0) {
    result.error = "the file cannot be read";
    return result;
  }
  Session session(account, address, trust, stop);
  if (!session.ready()) {
    result.error = "no network transfer can be set up";
    return result;
  }

  // Probe, then store: the name is free unless another client takes it in
  // between, which FTP gives no way to rule out.
  const std::string name = std::filesystem::path(file).filename().string();
  constexpr int kMostCopies = 999;
  for (int number = 1; number <= kMostCopies && result.remoteName.empty(); ++number) {
    const std::string candidate = number == 1 ? name : numberedName(name, number);
    const std::optional<bool> taken = session.holds(candidate);
    if (!taken) {
      result.stopped = session.stopped();
      result.error = session.failure();
      return result;
    }
    if (!*taken) result.remoteName = candidate;
  }
  if (result.remoteName.empty()) {
    result.error = "the names " + name + " to " + numberedName(name, kMostCopies) + " are all taken on the server";
    return result;
  }
  const auto size = static_cast<curl_off_t>(info.st_size);
  if (!session.put(result.remoteName, local.get(), size)) {
    result.stopped = session.stopped();
    result.error = session.failure();
    return result;
  }
  // A server that drops a data connection early may still report the transfer
  // complete; what it holds tells.
  const curl_off_t stored = session.sizeOf(result.remoteName);
  if (stored >= 0 && stored != size) {
    result.error = "the server holds " + std::to_string(stored) + " of its " + std::to_string(size) + " bytes";
    return result;
  }
  result.uploaded = true;
  return result;
}

}  // namespace ostrel
