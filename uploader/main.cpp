// Wexford: uploads one scanned file into a cloud folder on WebDAV. The manager
// starts it for every file of a cloud button and does not wait; the outcome is
// in the activity log and the exit status.
#include <iostream>
#include <thread>

#include "platform/activity_log.h"
#include "uploader/upload_command.h"

int main(int argc, char** argv) {
  ostrel::applicationLog().setScannerName("Cloud upload");
  std::string error;
  const auto request = ostrel::uploader::parseCommandLine({argv + 1, argv + argc}, std::cin, error);
  if (!request) {
    ostrel::Log("The uploader was started with a command line it cannot use: " + error);
    std::cerr << "Wexford: " << error << "\n";
    return static_cast<int>(ostrel::uploader::UploadStatus::badRequest);
  }
  ostrel::uploader::RetryPolicy retry;
  retry.sleep = [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); };
  const ostrel::uploader::UploadResult result = ostrel::uploader::upload(*request, retry);
  if (result.status != ostrel::uploader::UploadStatus::uploaded) std::cerr << "Wexford: " << result.message << "\n";
  return static_cast<int>(result.status);
}
