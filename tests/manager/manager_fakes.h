#pragma once
// Recording stand-ins for the manager's parts. Every call goes into one shared
// journal, so a test can check what was asked and in which order.
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/core/job_runner.h"
#include "app/core/manager_interfaces.h"

namespace ostrel::testing {

using Journal = std::vector<std::string>;

class FakeScanner : public ScannerDriver {
 public:
  explicit FakeScanner(Journal& journal) : journal_(journal) {}

  bool findDriver(std::string_view deviceName) override {
    journal_.push_back("findDriver " + std::string(deviceName));
    return deviceName == device;
  }
  std::string scannerName() const override { return name; }
  bool queryAbilities() override {
    journal_.push_back("queryAbilities");
    return abilitiesLoad;
  }
  int buttonCount() const override { return buttons; }
  bool busy() const override { return isBusy; }
  int sideSelector() const override { return side; }
  void setSideSelector(int value) override { side = value; }
  bool isPresent() override {
    journal_.push_back("isPresent");
    return present;
  }
  void writeDriverSettings(const CButtonSetting& button) override {
    journal_.push_back("writeDriverSettings " + button.section);
  }

  std::string device = "usb:04c5:1";
  std::string name = "Heron";
  bool abilitiesLoad = true;
  int buttons = 9;
  bool isBusy = false;
  int side = -1;
  bool present = true;

 private:
  Journal& journal_;
};

class FakeProfiles : public ButtonProfiles {
 public:
  explicit FakeProfiles(Journal& journal) : journal_(journal) {
    for (int i = 0; i < 9; ++i) table[i].section = std::to_string(i + 1);
  }

  void createOrLoad(const std::string& folder, int buttonCount) override {
    journal_.push_back("createOrLoad " + std::to_string(buttonCount));
    loadedFolder = folder;
  }
  CButtonSetting* button(int number) override {
    return number >= 1 && number <= 9 ? &table[number - 1] : nullptr;
  }
  void release() override { journal_.push_back("release"); }
  void showPendingNotices(PanelView& panel) override {
    for (const std::string& notice : std::exchange(notices, {})) panel.showBalloon(notice);
  }

  // Gives button n a destination with this path and a title.
  CButtonSetting& configure(int number, const std::string& path, const std::string& title = "B") {
    destinations.push_back({});
    destinations.back().path = path;
    CButtonSetting& b = table[number - 1];
    b.title = title;
    b.applicationSetting = &destinations.back();
    return b;
  }

  std::array<CButtonSetting, 9> table;
  std::deque<CApplicationSetting> destinations;
  std::vector<std::string> notices;  // what start-up left for the balloon
  std::string loadedFolder;

 private:
  Journal& journal_;
};

class FakeJob : public ScanJob {
 public:
  explicit FakeJob(Journal& journal) : journal_(journal) {}

  void loadRecognitionEngine() override { journal_.push_back("loadRecognitionEngine"); }
  int StartOutput(CButtonSetting& button) override {
    journal_.push_back("StartOutput " + button.section);
    return startResult;
  }
  bool loginFailed() const override { return failedLogin; }
  void setDuplex(bool duplex) override { journal_.push_back(duplex ? "duplex" : "simplex"); }
  int HandlePage(Dib page, int side) override {
    journal_.push_back("HandlePage " + std::to_string(page.width()) + " side " +
                       std::to_string(side));
    if (duringPage) duringPage();
    return 1;
  }
  int FinishOutput() override {
    journal_.push_back("FinishOutput");
    return 1;
  }
  std::vector<std::string> filesWritten() const override { return files; }

  int startResult = 1;
  std::vector<std::string> files;
  bool failedLogin = false;
  std::function<void()> duringPage;

 private:
  Journal& journal_;
};

// Each pass delivers one page 10 pixels wide, after running the hook (which
// stands for whatever the event loop does while the scanner feeds).
class FakeSession : public ScanSession {
 public:
  FakeSession(Journal& journal, FakeScanner& scanner) : journal_(journal), scanner_(scanner) {}

  PassEnd run(CButtonSetting& button, ScanJob& job, const PassControl& control) override {
    journal_.push_back("scan " + button.section + " side " + std::to_string(scanner_.side));
    scanner_.isBusy = true;
    if (duringScan) duringScan();
    if (auto page = Dib::create(10, 10, 8)) job.HandlePage(std::move(*page), 0);
    if (control.pageTaken) control.pageTaken();
    if (control.stop.stop_requested()) journal_.push_back("pass stopped");
    scanner_.isBusy = false;
    return end;
  }

  std::function<void()> duringScan;
  PassEnd end = PassEnd::scanned;

 private:
  Journal& journal_;
  FakeScanner& scanner_;
};

class FakeConfiguration : public ConfigurationWindow {
 public:
  explicit FakeConfiguration(Journal& journal) : journal_(journal) {}
  void run(int button) override {
    journal_.push_back("configure " + std::to_string(button));
    if (whileOpen) whileOpen();
  }
  void requestClose() override { journal_.push_back("close configuration"); }

  std::function<void()> whileOpen;

 private:
  Journal& journal_;
};

class FakeCloudAccount : public CloudAccountDialog {
 public:
  explicit FakeCloudAccount(Journal& journal) : journal_(journal) {}
  std::optional<std::string> run(CButtonSetting&, int number) override {
    journal_.push_back("cloud account " + std::to_string(number));
    return answer;
  }
  void requestClose() override { journal_.push_back("close cloud account"); }

  std::optional<std::string> answer;

 private:
  Journal& journal_;
};

class FakeAbout : public AboutBox {
 public:
  explicit FakeAbout(Journal& journal) : journal_(journal) {}
  void run() override {
    journal_.push_back("about");
    if (whileOpen) whileOpen();
  }
  void requestClose() override { journal_.push_back("close about"); }

  std::function<void()> whileOpen;

 private:
  Journal& journal_;
};

// Answers from a queue; whileOpen runs as if events arrived while it is shown.
class FakePrompt : public MorePagesPrompt {
 public:
  explicit FakePrompt(Journal& journal) : journal_(journal) {}
  bool ask() override {
    journal_.push_back("ask more pages");
    accepted_ = false;
    open_ = true;
    if (whileOpen) whileOpen();
    open_ = false;
    if (accepted_) return true;
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool isOpen() const override { return open_; }
  void accept() override {
    journal_.push_back("prompt OK");
    accepted_ = true;
  }

  std::deque<bool> answers;
  std::function<void()> whileOpen;

 private:
  Journal& journal_;
  bool open_ = false;
  bool accepted_ = false;
};

class FakeFax : public FaxService {
 public:
  explicit FakeFax(Journal& journal) : journal_(journal) {}
  bool started() const override { return running; }
  void stop() override { journal_.push_back("stop fax"); }

  bool running = false;

 private:
  Journal& journal_;
};

class FakePanel : public PanelView {
 public:
  explicit FakePanel(Journal& journal) : journal_(journal) {}
  void showBalloon(std::string_view text) override {
    journal_.push_back("balloon " + std::string(text));
  }
  // Kept apart from the journal: the pages as the icon shows them.
  void showProgress(int pages) override { progress.push_back(pages); }
  void endProgress() override { ++progressEnds; }
  void showMessage(std::string_view text, MessageKind) override {
    journal_.push_back("box " + std::string(text));
  }
  void showNotice(std::string_view text, const std::string& folder) override {
    notices.emplace_back(text, folder);
  }
  void refreshButtons() override { journal_.push_back("refresh"); }
  void removeNotificationIcon() override { journal_.push_back("remove icon"); }
  void endRun() override {
    journal_.push_back("end run");
    ++runsEnded;
  }

  std::vector<int> progress;
  int progressEnds = 0;
  std::vector<std::pair<std::string, std::string>> notices;  // text, folder
  int runsEnded = 0;

 private:
  Journal& journal_;
};

// The panel's event loop for a WorkerJobRunner: the job's reports wait here
// until the test's thread runs them.
class ReportQueue {
 public:
  void post(std::function<void()> call) {
    const std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    posted_.notify_all();
  }
  std::function<void(std::function<void()>)> poster() {
    return [this](std::function<void()> call) { post(std::move(call)); };
  }
  // Runs reports as they come until done() holds, which is asked again at
  // least every 10 ms; false when time ran out.
  template <typename Condition>
  bool runUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::unique_lock lock(mutex_);
      if (!posted_.wait_for(lock, std::chrono::milliseconds(10), [this] { return !calls_.empty(); })) continue;
      std::function<void()> call = std::move(calls_.front());
      calls_.pop_front();
      lock.unlock();
      call();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> calls_;
};

class FakeInstallation : public InstallationTasks {
 public:
  explicit FakeInstallation(Journal& journal) : journal_(journal) {}
  void startAllManagers() override { journal_.push_back("startAllManagers"); }
  void startAllConfigurations() override { journal_.push_back("startAllConfigurations"); }
  void registerAfterInstall(std::string_view code) override {
    journal_.push_back("registerAfterInstall " + std::string(code));
  }
  void cleanUpBeforeRemoval() override { journal_.push_back("cleanUpBeforeRemoval"); }

 private:
  Journal& journal_;
};

}  // namespace ostrel::testing
