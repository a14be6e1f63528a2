#pragma once
// A UserInterface for tests: records every request and answers from queues the
// test fills beforehand (an empty queue answers "cancelled").
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/scan/user_interface.h"

namespace ostrel::testing {

class RecordingUserInterface : public UserInterface {
 public:
  struct Message {
    std::string text;
    MessageKind kind;
  };

  void showMessage(std::string_view text, MessageKind kind) override {
    messages.push_back({std::string(text), kind});
  }
  std::optional<std::string> browseForFolder(std::string_view title,
                                             std::string_view startFolder) override {
    folderRequests.push_back({std::string(title), std::string(startFolder)});
    return next(folderAnswers);
  }
  std::optional<std::string> askSaveName(const SaveNameRequest& request) override {
    saveRequests.push_back(request);
    return next(saveAnswers);
  }

  std::vector<Message> messages;
  std::vector<std::pair<std::string, std::string>> folderRequests;  // title, start folder
  std::vector<SaveNameRequest> saveRequests;
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<std::optional<std::string>> saveAnswers;

 private:
  static std::optional<std::string> next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace ostrel::testing
