#pragma once
// FTP destinations: every written file goes to the button's server in the
// background (UploadQueue), with a log line per file. The local file always
// stays where the job wrote it. An upload that fails is told in a balloon,
// since by then the job that made the file has long ended.
#include <chrono>
#include <functional>
#include <string>

#include "app/delivery/ftp_transfer.h"
#include "app/delivery/upload_queue.h"
#include "app/settings/localized_text.h"
#include "app/settings/profile_records.h"

namespace ostrel {

struct FtpDeliveryParts {
  const LocalizedText& text;
  // Shows a balloon; called on the upload thread. May be empty.
  std::function<void(std::string)> balloon;
  FtpTrust trust = FtpTrust::fromEnvironment();
};

class FtpDelivery {
 public:
  explicit FtpDelivery(FtpDeliveryParts parts) : parts_(std::move(parts)) {}

  // Queues the file with the button's server and account as they are now.
  void upload(const CButtonSetting& button, const std::string& path);

  // True once every file queued so far is uploaded or given up.
  bool waitUntilIdle(std::chrono::milliseconds timeout) { return queue_.waitUntilIdle(timeout); }

 private:
  void send(const FtpAccount& account, const std::string& path, const std::stop_token& stop) const;

  FtpDeliveryParts parts_;
  UploadQueue queue_;  // last: its tasks use the parts
};

}  // namespace ostrel
