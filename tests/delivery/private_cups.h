#pragma once
// A CUPS scheduler of the test's own: `cupsd -f` with a configuration folder of
// its own under the temporary folder, listening on a Unix socket there only, so
// tests run side by side and never touch the machine's printers. $CUPS_SERVER
// points at it while the object lives. Queues print into files: a PPD printer
// (US Letter, a quarter inch at the sides and half an inch at top and bottom,
// 300 dpi) whose filter passes the PDF through unchanged to a file: device.
//
// As root, cupsd runs filters as the user "lp" and checks that what it runs is
// root's and not writable by others: the folder is made readable by all and
// the filter belongs to the user running the test, root then.
#include <cups/cups.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"
#include "platform/shell_execute.h"
#include "platform/file_descriptor.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"

extern char** environ;

namespace ostrel::testing {

class PrivateCups {
 public:
  // maxJobsPerPrinter: how many unfinished jobs a queue takes; 0 for no limit.
  explicit PrivateCups(int maxJobsPerPrinter = 0) {
    // cupsd lives in sbin, which a user's $PATH may lack.
    const std::string cupsd = "/usr/sbin/cupsd";
    if (!platform::fileExists(cupsd)) {
      whyNot_ = "cupsd is not installed (package cups-daemon)";
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-cups-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      whyNot_ = "no folder for cupsd";
      return;
    }
    folder_ = pattern;
    ::chmod(folder_.c_str(), 0755);
    for (const char* sub : {"spool", "spool/temp", "cache", "state", "log", "out", "filter"}) {
      std::filesystem::create_directories(folder_ + "/" + sub);
    }
    ::chmod((folder_ + "/out").c_str(), 0777);
    socket_ = folder_ + "/cups.sock";
    writeFile(folder_ + "/cupsd.conf",
              "Listen " + socket_ + "\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n" +
                  (maxJobsPerPrinter > 0 ? "MaxJobsPerPrinter " + std::to_string(maxJobsPerPrinter) + "\n"
                                                 : "") +
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n</Policy>\n");
    writeFile(folder_ + "/cups-files.conf",
              "FileDevice Yes\nServerRoot " + folder_ + "\nStateDir " + folder_ + "/state\nCacheDir " + folder_ +
                  "/cache\nRequestRoot " + folder_ + "/spool\nTempDir " + folder_ + "/spool/temp\nPrintcap " +
                  folder_ + "/printcap\nAccessLog " + folder_ + "/log/access_log\nErrorLog " + folder_ +
                  "/log/error_log\nPageLog " + folder_ + "/log/page_log\n");
    filter_ = writeFile(folder_ + "/filter/passthrough",
                        "#!/bin/sh\n# Hands the document on unchanged.\n"
                        "if [ -n \"$6\" ]; then exec cat \"$6\"; else exec cat; fi\n");
    ::chmod(filter_.c_str(), 0755);

    const std::string config = folder_ + "/cupsd.conf";
    const std::string files = folder_ + "/cups-files.conf";
    std::vector<std::string> arguments = {cupsd, "-f", "-c", config, "-s", files};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, cupsd.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      whyNot_ = "cupsd cannot be started";
      return;
    }
    if (!waitForSocket()) {
      whyNot_ = "cupsd did not start listening: " + readFile(folder_ + "/log/error_log");
      return;
    }
    server_.emplace("CUPS_SERVER", socket_);
    // libcups remembers the server it first used in each thread.
    cupsSetServer(nullptr);
  }

  ~PrivateCups() {
    server_.reset();
    cupsSetServer(nullptr);
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  bool started() const { return whyNot_.empty(); }
  const std::string& whyNot() const { return whyNot_; }

  // Adds an enabled queue that takes jobs; returns the file its jobs land in.
  std::string addQueue(const std::string& name) {
    const std::string ppd = writeFile(folder_ + "/" + name + ".ppd", ppdText());
    const std::string out = folder_ + "/out/" + name + ".pdf";
    admin("/usr/sbin/lpadmin -p " + quoted(name) + " -E -v " + quoted("file://" + out) + " -P " + quoted(ppd));
    return out;
  }
  void setDefault(const std::string& name) { admin("/usr/sbin/lpadmin -d " + quoted(name)); }
  void stopQueue(const std::string& name) { admin("/usr/sbin/cupsdisable " + quoted(name)); }
  // A job that waits in the queue until released.
  void holdJob(const std::string& name) {
    // Typed by its first bytes; held, it is never read further.
    const std::string file = writeFile(folder_ + "/held.pdf", "%PDF-1.4\n%%EOF\n");
    admin("/usr/bin/lp -d " + quoted(name) + " -H hold " + quoted(file));
  }

 private:
  static constexpr const char* kPpdTemplate = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "OSTRELT.PPD"
*Manufacturer: "Ostrel"
*Product: "(Test Printer)"
*ModelName: "Ostrel Test Printer"
*ShortNickName: "Ostrel Test Printer"
*NickName: "Ostrel Test Printer, PDF to a file"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter: "application/pdf 0 @FILTER@"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/US Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 20 AnySetup *Resolution
*DefaultResolution: 300dpi
*Resolution 300dpi/300 DPI: "<</HWResolution[300 300]>>setpagedevice"
*CloseUI: *Resolution
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
)ppd";

  std::string ppdText() const {
    std::string text = kPpdTemplate;
    text.replace(text.find("@FILTER@"), 8, filter_);
    return text;
  }

  void admin(const std::string& command) const {
    const CommandResult result = runCommand("CUPS_SERVER=" + quoted(socket_) + " " + command);
    if (result.status != 0) ADD_FAILURE() << command << ": " << result.output;
  }

  bool waitForSocket() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, socket_.c_str(), sizeof address.sun_path - 1);
      if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  std::string folder_;
  std::string socket_;
  std::string filter_;
  std::string whyNot_;
  pid_t pid_ = -1;
  std::optional<ScopedEnvironment> server_;
};

}  // namespace ostrel::testing
