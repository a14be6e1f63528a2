#include "app/delivery/ftp_delivery.h"

#include <filesystem>

#include "platform/activity_log.h"

namespace ostrel {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

const char* protocolName(const FtpAccount& account) {
  switch (ftpProtocolFromList(account.protocol)) {
    case FtpProtocol::ftps: return "FTPS";
    case FtpProtocol::sftp: return "SFTP";
    case FtpProtocol::ftp: break;
  }
  return "FTP";
}

std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The first two "%s" of a looked-up text become the values, in one pass, so a
// value that itself holds "%s" stays as it is. A translation is outside input,
// so it is never handed to printf as a format.
std::string filledIn(const std::string& text, const std::string& first, const std::string& second) {
  std::string out;
  std::size_t from = 0;
  for (const std::string* value : {&first, &second}) {
    const std::size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    out += text.substr(from, at - from) + *value;
    from = at + 2;
  }
  return out + text.substr(from);
}

}  // namespace

void FtpDelivery::upload(const CButtonSetting& button, const std::string& path) {
  queue_.add([this, account = FtpAccount::of(button), path](std::stop_token stop) { send(account, path, stop); });
}

void FtpDelivery::send(const FtpAccount& account, const std::string& path, const std::stop_token& stop) const {
  const std::string who = account.anonymous && ftpProtocolFromList(account.protocol) != FtpProtocol::sftp
                              ? "anonymously"
                              : "as " + quoted(account.user);
  if (stop.stop_requested()) {
    Log("Not uploaded by " + std::string(protocolName(account)) + " to " + quoted(account.server) +
        " as Ostrel ends: " + quoted(path) + " stays where it is.");
    return;
  }
  const FtpUploadResult result = uploadByFtp(account, path, parts_.trust, stop);
  if (result.uploaded) {
    Log("Uploaded " + quoted(path) + " by " + protocolName(account) + " " + who + " to " + result.where +
        result.remoteName + (result.remoteName != nameOf(path) ? " (the name was taken on the server)" : "") +
        ".");
    return;
  }
  const std::string where = result.where.empty() ? quoted(account.server) : result.where;
  if (result.stopped) {
    Log("The upload of " + quoted(path) + " to " + where +
        " is cut short as Ostrel ends; the server may hold part of it, the file stays where it is.");
    return;
  }
  Log("The upload of " + quoted(path) + " by " + protocolName(account) + " " + who + " to " + where +
      " has failed: " + result.error + ". The file stays where it is.");
  if (!parts_.balloon) return;
  parts_.balloon(filledIn(parts_.text("Else", "FtpFailed", "The upload of %s to %s has failed; the file is kept."),
                          nameOf(path), account.server));
}

}  // namespace ostrel
