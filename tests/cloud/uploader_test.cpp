// The uploader program against a real WebDAV server on loopback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/delivery/cloud_upload.h"
#include "app/settings/password_codec.h"
#include "platform/activity_log.h"
#include "tests/cloud/webdav_server.h"
#include "tests/support/temp_home.h"
#include "uploader/upload_command.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct UploaderRun {
  int exitCode = -1;
  long peakRssKb = 0;
  bool passwordSeenInCommandLine = false;
  int commandLinesRead = 0;
};

std::string commandLineOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Starts Wexford with the arguments and the password line on a pipe, watching
// its command line while it runs; `whileRunning` is called once it has started.
UploaderRun runUploader(const std::vector<std::string>& arguments, const std::string& passwordLine,
                        const std::string& secret, const std::function<void()>& whileRunning = {}) {
  UploaderRun run;
  const std::string program = testing::binDir() + "/Wexford";
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(ends[0]);
  if (spawned != 0) {
    ::close(ends[1]);
    return run;
  }
  [[maybe_unused]] const ssize_t written = ::write(ends[1], passwordLine.data(), passwordLine.size());
  ::close(ends[1]);
  if (whileRunning) whileRunning();
  int status = 0;
  rusage usage{};
  for (;;) {
    const std::string line = commandLineOf(pid);
    if (!line.empty()) {
      ++run.commandLinesRead;
      if (line.find(secret) != std::string::npos) run.passwordSeenInCommandLine = true;
    }
    const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakRssKb = usage.ru_maxrss;
  return run;
}

std::string todaysLog() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string path = ActivityLog::folder() + logFileName(local);
  return fs::exists(path) ? testing::readFile(path) : std::string();
}

class Uploader : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::tempRoot() + "/store";
    fs::create_directories(root_ + "/A/Sub");
    fs::create_directories(root_ + "/B/Sub");
    const std::string reason = server_.start(root_);
    if (!reason.empty()) GTEST_SKIP() << reason;
  }

  std::vector<std::string> command(const std::string& file, const std::string& title, const std::string& path,
                                   const std::string& folderId = {}) const {
    std::vector<std::string> arguments{"-Server", server_.url(), "-Account", "u", "-Password", "-"};
    if (!folderId.empty()) arguments.insert(arguments.end(), {"-FolderID", folderId});
    arguments.insert(arguments.end(), {"-Path", path, "-File", file, "-Title", title});
    return arguments;
  }

  std::string passwordLine() const { return EncodePassword(secret_) + "\n"; }

  const std::string secret_ = testing::kDavPassword;
  std::string root_;
  testing::WebDavServer server_;
};

std::string makeFile(const std::string& path, std::size_t bytes) {
  std::ofstream file(path, std::ios::binary);
  std::string block(1 << 20, '\0');
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 2654435761u) >> 13);
  for (std::size_t written = 0; written < bytes; written += block.size()) {
    file.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - written)));
  }
  return path;
}

bool sameBytes(const std::string& a, const std::string& b) {
  return fs::file_size(a) == fs::file_size(b) && testing::readFile(a) == testing::readFile(b);
}

TEST_F(Uploader, StreamsFiftyMegabytesWithFlatMemoryAndNoPasswordInItsCommandLine) {
  const std::string file = makeFile(testing::tempRoot() + "/big.pdf", 50u << 20);
  const UploaderRun run = runUploader(command(file, "big.pdf", "\\A\\Sub\\"), passwordLine(), secret_);
  ASSERT_EQ(run.exitCode, 0) << todaysLog();
  EXPECT_GT(run.commandLinesRead, 0);
  EXPECT_FALSE(run.passwordSeenInCommandLine);
  // Neither in its reversible encoded form.
  EXPECT_FALSE(runUploader(command(file, "big.pdf", "\\A\\"), passwordLine(), EncodePassword(secret_))
                   .passwordSeenInCommandLine);
  ASSERT_TRUE(fs::exists(root_ + "/A/Sub/big.pdf"));
  EXPECT_TRUE(sameBytes(file, root_ + "/A/Sub/big.pdf"));
  std::cout << "Peak RSS of the uploader for a 50 MB file: " << run.peakRssKb << " kB\n";
  RecordProperty("peak_rss_kb", static_cast<int>(run.peakRssKb));
  // Loose: the file is not read into memory (it would add 50 MB). The address
  // sanitizer's own bookkeeping is of that size, so it can tell nothing there.
#ifndef __SANITIZE_ADDRESS__
  EXPECT_LT(run.peakRssKb, 30 * 1024);
#endif
}

TEST_F(Uploader, KeepsBlanksAndAccentsAndNumbersATakenName) {
  const std::string file = testing::writeFile(testing::tempRoot() + "/scan/Relevé de compte 1.pdf", "%PDF-1.4 one");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(runUploader(command(file, "Relevé de compte 1.pdf", "\\B\\Sub\\"), passwordLine(), secret_).exitCode, 0);
  }
  EXPECT_TRUE(fs::exists(root_ + "/B/Sub/Relevé de compte 1.pdf"));
  EXPECT_TRUE(fs::exists(root_ + "/B/Sub/Relevé de compte 1 (2).pdf"));
  EXPECT_TRUE(fs::exists(root_ + "/B/Sub/Relevé de compte 1 (3).pdf"));
  EXPECT_EQ(testing::readFile(root_ + "/B/Sub/Relevé de compte 1.pdf"), "%PDF-1.4 one");
  EXPECT_NE(todaysLog().find("stored as"), std::string::npos);
}

TEST_F(Uploader, TheFolderIdentifierWinsOverThePath) {
  const std::string file = testing::writeFile(testing::tempRoot() + "/x.pdf", "x");
  EXPECT_EQ(runUploader(command(file, "x.pdf", "\\A\\Sub\\", "FolderID::/B/Sub/"), passwordLine(), secret_).exitCode, 0);
  EXPECT_TRUE(fs::exists(root_ + "/B/Sub/x.pdf"));
  EXPECT_FALSE(fs::exists(root_ + "/A/Sub/x.pdf"));
}

TEST_F(Uploader, AWrongPasswordIsRefusedWithoutRetries) {
  const std::string file = testing::writeFile(testing::tempRoot() + "/x.pdf", "x");
  const UploaderRun run = runUploader(command(file, "x.pdf", "\\"), EncodePassword("bad") + "\n", "bad");
  EXPECT_EQ(run.exitCode, static_cast<int>(uploader::UploadStatus::refused));
  EXPECT_NE(todaysLog().find("refused"), std::string::npos);
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(Uploader, AServerStoppedMidUploadFailsWithALogLineAndTheNextUploadGoesThrough) {
  server_.stop();
  // A slow server, so that the upload is surely under way when it stops.
  ASSERT_EQ(server_.start(root_, {"--bwlimit", "1M"}, server_.port()), "");
  const std::string file = makeFile(testing::tempRoot() + "/slow.pdf", 8u << 20);
  const UploaderRun failed = runUploader(command(file, "slow.pdf", "\\A\\"), passwordLine(), secret_, [&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    server_.stop();
  });
  EXPECT_EQ(failed.exitCode, static_cast<int>(uploader::UploadStatus::failed));
  const std::string log = todaysLog();
  EXPECT_NE(log.find("trying again"), std::string::npos) << log;
  EXPECT_NE(log.find("Cloud upload of \"" + file + "\" failed"), std::string::npos) << log;
  EXPECT_TRUE(fs::exists(file));

  ASSERT_EQ(server_.start(root_, {}, server_.port()), "");
  EXPECT_EQ(runUploader(command(file, "slow.pdf", "\\A\\"), passwordLine(), secret_).exitCode, 0);
  // The stopped server kept what it had received under the name; the whole
  // file arrives beside it, nothing is overwritten.
  EXPECT_TRUE(sameBytes(file, root_ + "/A/slow (2).pdf"));
}

// Every Wexford running now: their command lines.
std::vector<std::string> uploaderCommandLines() {
  std::vector<std::string> lines;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string line = commandLineOf(std::stoi(name));
    if (line.find("/Wexford") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

TEST_F(Uploader, TheManagersDeliveryStartsItInTheBackgroundWithThePasswordOnAPipe) {
  CButtonSetting button;
  button.account = "u";
  button.password = secret_;
  button.server = server_.url();
  button.id = "FolderID::/B/Sub/";
  button.imageFolder = "/B/Sub/";
  const std::string file = makeFile(testing::tempRoot() + "/Scan 0001.pdf", 20u << 20);
  startUpload(testing::binDir(), button, file);
  int seen = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!(fs::exists(root_ + "/B/Sub/Scan 0001.pdf") && fs::file_size(root_ + "/B/Sub/Scan 0001.pdf") == (20u << 20)) &&
         std::chrono::steady_clock::now() < until) {
    for (const std::string& line : uploaderCommandLines()) {
      ++seen;
      EXPECT_EQ(line.find(secret_), std::string::npos);
      EXPECT_EQ(line.find(EncodePassword(secret_)), std::string::npos);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_GT(seen, 0);
  ASSERT_TRUE(fs::exists(root_ + "/B/Sub/Scan 0001.pdf"));
  const std::string log = todaysLog();
  EXPECT_NE(log.find("Google Docs: -Server " + server_.url() +
                     " -Account u -Password - -FolderID FolderID::/B/Sub/ -Path \"/B/Sub/\" -File \"" + file +
                     "\" -Title \"Scan 0001.pdf\""),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find(secret_), std::string::npos);
}

TEST(UploadCommand, LeavesTheFolderIdentifierOutWhenThereIsNone) {
  CButtonSetting button;
  button.account = "me";
  button.imageFolder = "/A/";
  EXPECT_EQ(uploadArguments(button, "https://h/", "/tmp/a b/c.pdf"),
            (std::vector<std::string>{"-Server", "https://h/", "-Account", "me", "-Password", "-", "-Path", "/A/", "-File",
                                      "/tmp/a b/c.pdf", "-Title", "c.pdf"}));
}

TEST(UploaderCommandLine, ReadsThePasswordFromStandardInputAndNeedsTheFile) {
  std::istringstream input(EncodePassword("s3cret") + "\r\nrest");
  std::string error;
  const auto request = uploader::parseCommandLine(
      {"-Server", "h", "-account", "me", "-Password", "-", "-Path", "\\A\\", "-File", "/tmp/a b/c.pdf"}, input, error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->password, "s3cret");
  EXPECT_EQ(request->title, "c.pdf");
  std::istringstream none;
  EXPECT_FALSE(uploader::parseCommandLine({"-Server", "h", "-Account", "me", "-Password"}, none, error));
  EXPECT_FALSE(uploader::parseCommandLine({"-Server", "h", "-Account", "me", "-Password", "x"}, none, error));
  EXPECT_FALSE(uploader::parseCommandLine({"-Bogus", "1"}, none, error));
}

TEST(UploaderNames, StayOnePathSegmentAndNumberBeforeTheExtension) {
  EXPECT_EQ(uploader::remoteName("Scan.pdf", 1), "Scan.pdf");
  EXPECT_EQ(uploader::remoteName("Scan.pdf", 2), "Scan (2).pdf");
  EXPECT_EQ(uploader::remoteName("archive.tar.gz", 3), "archive.tar (3).gz");
  EXPECT_EQ(uploader::remoteName(".hidden", 2), ".hidden (2)");
  EXPECT_EQ(uploader::remoteName("../a/b\\c\n", 1), ".._a_b_c_");
  EXPECT_EQ(uploader::remoteName("..", 1), "Scan..");
  const cloud::DavClient client({"http://h/dav/", "u", "p"});
  uploader::UploadRequest request;
  request.path = "\\A b\\é\\";
  EXPECT_EQ(uploader::folderUrl(client, request), "http://h/dav/A%20b/%C3%A9/");
  request.path = "\\";
  EXPECT_EQ(uploader::folderUrl(client, request), "http://h/dav/");
  request.folderId = "FolderID::/dav/B/";
  EXPECT_EQ(uploader::folderUrl(client, request), "http://h/dav/B/");
}

}  // namespace
}  // namespace ostrel
