#pragma once
// File servers of the test's own on 127.0.0.1, each with a private configuration
// and folder under the test's temporary root, started by the constructor and
// stopped by the destructor: an FTP server with one user (pyftpdlib, with
// explicit TLS when given a certificate), vsftpd with an anonymous upload
// folder, and OpenSSH's sshd for SFTP with a host key and a client key made for
// the test. Each says why when it cannot start here, and a test then skips.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/environment.h"
#include "platform/file_descriptor.h"
#include "tests/manager/child_process.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {

// A port nobody listens on at the moment.
inline int freePort() {
  platform::UniqueFd socket(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

inline bool acceptsConnections(int port) {
  platform::UniqueFd socket(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

inline std::string currentUserName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry ? entry->pw_name : "";
}

// The names in a folder, sorted.
inline std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs a command line to its end; its exit status and what it wrote.
inline Finished run(const std::vector<std::string>& arguments) { return ChildProcess::runCapturing(arguments); }

// A server program in the background, its output in a log file of its folder.
class ServerProcess {
 public:
  ServerProcess() = default;
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  virtual ~ServerProcess() = default;

  bool started() const { return whyNot_.empty(); }
  const std::string& whyNot() const { return whyNot_; }
  int port() const { return port_; }
  const std::string& folder() const { return folder_; }
  // Ends the server; later connections are refused.
  void stop() { child_.reset(); }

 protected:
  explicit ServerProcess(const std::string& name) : folder_(tempRoot() + "/" + name) {
    std::filesystem::create_directories(folder_);
  }

  void launch(const std::vector<std::string>& arguments) {
    const std::string log = folder_ + "/server.log";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    child_.emplace(ChildProcess::start(arguments, &actions));
    ::posix_spawn_file_actions_destroy(&actions);
    if (!child_->started()) whyNot_ = arguments.front() + " cannot be started";
  }

  // Waits until the server takes connections, or has ended.
  void waitUntilListening() {
    if (!started()) return;
    const bool up = eventually([this] { return port_ > 0 && acceptsConnections(port_); }, std::chrono::seconds(20));
    if (!up) whyNot_ = "the server did not start listening: " + readFile(folder_ + "/server.log");
  }

  std::string folder_;
  int port_ = 0;
  std::string whyNot_;
  std::optional<ChildProcess> child_;
};

// pyftpdlib with one user whose home is root(); with TLS (explicit, required
// for logins and transfers) when given a certificate and its key.
class PyFtpServer : public ServerProcess {
 public:
  static constexpr const char* kPython = "/usr/bin/python3";

  PyFtpServer(std::string user, std::string password, const std::string& certificate = {},
              const std::string& key = {})
      : ServerProcess("pyftpd"), root_(folder_ + "/root") {
    std::filesystem::create_directories(root_);
    if (!platform::fileExists(kPython) ||
        run({kPython, "-c", "import pyftpdlib, OpenSSL"}).status.value_or(1) != 0) {
      whyNot_ = "pyftpdlib for Python 3 is not installed (packages python3-pyftpdlib, python3-openssl)";
      return;
    }
    const std::string portFile = folder_ + "/port";
    std::vector<std::string> arguments = {kPython, OSTREL_FTP_SERVER_SCRIPT, "--root", root_, "--user",
                                          std::move(user), "--password", std::move(password), "--port-file",
                                          portFile};
    if (!certificate.empty()) arguments.insert(arguments.end(), {"--cert", certificate, "--key", key});
    launch(arguments);
    if (!started()) return;
    eventually([&] { return platform::fileExists(portFile); }, std::chrono::seconds(20));
    if (platform::fileExists(portFile)) port_ = std::stoi(readFile(portFile));
    waitUntilListening();
  }

  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

// vsftpd in the foreground with anonymous logins only: uploads go to
// root()/incoming, as vsftpd will not let anonymous users write to their root.
class AnonymousVsftpd : public ServerProcess {
 public:
  static constexpr const char* kProgram = "/usr/sbin/vsftpd";

  AnonymousVsftpd() : ServerProcess("vsftpd"), root_(folder_ + "/root") {
    if (!platform::fileExists(kProgram)) {
      whyNot_ = "vsftpd is not installed (package vsftpd)";
      return;
    }
    const passwd* ftp = ::getpwnam("ftp");
    if (::geteuid() != 0 || !ftp) {
      whyNot_ = "vsftpd serves anonymous users only when run as root with a system user \"ftp\"";
      return;
    }
    const std::string empty = folder_ + "/empty";
    std::filesystem::create_directories(root_ + "/incoming");
    std::filesystem::create_directories(empty);
    // The root must not be writable by the anonymous user, its upload folder must.
    ::chmod(root_.c_str(), 0755);
    ::chown((root_ + "/incoming").c_str(), ftp->pw_uid, ftp->pw_gid);
    port_ = freePort();
    const int passive = freePort();
    const std::string config = folder_ + "/vsftpd.conf";
    writeFile(config, "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" + std::to_string(port_) +
                          "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nno_anon_password=YES\n"
                          "anon_root=" + root_ + "\nwrite_enable=YES\nanon_upload_enable=YES\n"
                          "anon_mkdir_write_enable=YES\nanon_umask=022\ndirlist_enable=YES\n"
                          "pasv_enable=YES\npasv_address=127.0.0.1\npasv_min_port=" + std::to_string(passive) +
                          "\npasv_max_port=" + std::to_string(passive) +
                          "\nsecure_chroot_dir=" + empty +
                          "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
                          "xferlog_enable=NO\nvsftpd_log_file=" + folder_ + "/vsftpd.log\n"
                          "ftp_username=ftp\nconnect_from_port_20=NO\n");
    launch({kProgram, config});
    waitUntilListening();
  }

  std::string incoming() const { return root_ + "/incoming"; }

 private:
  std::string root_;
};

// OpenSSH's sshd for SFTP, letting the current user in with a key made for the
// test, which is put in the test's ~/.ssh with the server's host key in
// ~/.ssh/known_hosts (unless told to leave the host unknown).
class PrivateSshd : public ServerProcess {
 public:
  static constexpr const char* kProgram = "/usr/sbin/sshd";

  explicit PrivateSshd(bool knownHost = true) : ServerProcess("sshd") {
    if (!platform::fileExists(kProgram)) {
      whyNot_ = "sshd is not installed (package openssh-server)";
      return;
    }
    // As root, sshd wants the privilege separation folder that the ssh
    // service makes at boot; a machine that never ran the service lacks it.
    if (::geteuid() == 0 && !platform::folderExists("/run/sshd") && ::mkdir("/run/sshd", 0755) != 0) {
      whyNot_ = "sshd needs /run/sshd, which cannot be made";
      return;
    }
    const std::string ssh = platform::homeFolder() + "/.ssh";
    std::filesystem::create_directories(ssh);
    ::chmod(ssh.c_str(), 0700);
    const std::string hostKey = folder_ + "/host_ed25519";
    for (const std::string& key : {hostKey, ssh + "/id_ed25519"}) {
      const Finished made = run({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", key});
      if (made.status.value_or(1) != 0) {
        whyNot_ = "ssh-keygen cannot make a key: " + made.error;
        return;
      }
    }
    writeFile(folder_ + "/authorized_keys", readFile(ssh + "/id_ed25519.pub"));
    port_ = freePort();
    const std::string hostPublic = readFile(hostKey + ".pub");
    if (knownHost) {
      writeFile(ssh + "/known_hosts",
                "[127.0.0.1]:" + std::to_string(port_) + " " + hostPublic.substr(0, hostPublic.rfind(' ')) + "\n");
    }
    const std::string config = folder_ + "/sshd_config";
    writeFile(config, "Port " + std::to_string(port_) + "\nListenAddress 127.0.0.1\nHostKey " + hostKey +
                          "\nPidFile " + folder_ + "/sshd.pid\nAuthorizedKeysFile " + folder_ +
                          "/authorized_keys\nPubkeyAuthentication yes\nPasswordAuthentication no\n"
                          "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\nUsePAM no\n"
                          "StrictModes no\nSubsystem sftp internal-sftp\n");
    launch({kProgram, "-D", "-e", "-f", config});
    waitUntilListening();
  }
};

// A certificate for 127.0.0.1, signed by itself and so its own authority.
struct TestCertificate {
  std::string certificate, key, whyNot;

  explicit TestCertificate(const std::string& folder) {
    std::filesystem::create_directories(folder);
    certificate = folder + "/server.pem";
    key = folder + "/server.key";
    const Finished made = run({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                               "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                               key, "-out", certificate});
    if (made.status.value_or(1) != 0) whyNot = "openssl cannot make a certificate: " + made.error;
  }
};

}  // namespace ostrel::testing
