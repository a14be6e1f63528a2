#pragma once
// What a scan job tells the user. A box shown while the job runs would hold up
// the job, its open files and its scanner until someone closes it, which may be
// never (no display, nobody at the desk). So each message goes into the
// activity log when it comes and is held; the panel shows the held ones once
// the job has ended, in a box that only reports. The questions a job asks
// (the folder, a file name) go straight through to the dialogs.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/scan/user_interface.h"

namespace ostrel {

class HeldMessages final : public UserInterface {
 public:
  explicit HeldMessages(UserInterface& dialogs) : dialogs_(dialogs) {}

  void showMessage(std::string_view text, MessageKind kind) override;
  std::optional<std::string> browseForFolder(std::string_view title, std::string_view startFolder) override {
    return dialogs_.browseForFolder(title, startFolder);
  }
  std::optional<std::string> askSaveName(const SaveNameRequest& request) override {
    return dialogs_.askSaveName(request);
  }

  struct Held {
    std::string text;  // each message once, in the order they came
    MessageKind kind;  // the gravest of them
  };
  // The messages held since the last call, as one; nullopt when there are none.
  std::optional<Held> take();

 private:
  UserInterface& dialogs_;
  std::mutex mutex_;
  std::vector<std::string> texts_;
  MessageKind kind_ = MessageKind::Information;
};

}  // namespace ostrel
