#pragma once
// One scanned file to an FTP, FTPS (explicit TLS) or SFTP server through
// libcurl, never over a file that is already there: a taken name gets a number,
// "Scan0001 (2).pdf", as a file manager names a copy. The local file is only
// read. Blocking; runs on the upload thread (UploadQueue).
//
// Trust is never switched off. FTPS checks the server's certificate against the
// system's authorities, or against the PEM file in $OSTREL_CA_FILE (for a
// server with a certificate of its own, and for the tests); SFTP accepts only a
// server whose host key is in the user's ~/.ssh/known_hosts, and logs in with
// the user's key (~/.ssh/id_ed25519, id_ecdsa or id_rsa) or the password.
#include <stop_token>
#include <string>

#include "app/delivery/ftp_address.h"
#include "app/settings/profile_records.h"

namespace ostrel {

// What the FTP dialog stores in a button, copied so an upload that runs later
// is not touched by the configuration window.
struct FtpAccount {
  std::string server;
  int port = 0;                  // 0: from the server text or the protocol
  std::string protocol = "FTP";  // the dialog's list: "FTP", "FTPS", "FFTP"
  bool anonymous = false;        // FTP and FTPS; SFTP has no anonymous login
  std::string user;
  std::string password;

  static FtpAccount of(const CButtonSetting& button);
};

struct FtpTrust {
  std::string caFile;      // PEM authorities for FTPS; empty: the system's
  std::string knownHosts;  // OpenSSH known_hosts for SFTP
  std::string keyFolder;   // where the user's SSH keys are

  // $OSTREL_CA_FILE, and ~/.ssh/ for the rest.
  static FtpTrust fromEnvironment();
};

struct FtpUploadResult {
  bool uploaded = false;
  bool stopped = false;     // cut short because the program ends
  std::string remoteName;   // the name the file has on the server
  std::string where;        // the server folder, for messages
  std::string error;        // why not, when not uploaded
};

FtpUploadResult uploadByFtp(const FtpAccount& account, const std::string& file, const FtpTrust& trust,
                            const std::stop_token& stop = {});

// The name for the number-th copy: "Scan0001.pdf", 2 -> "Scan0001 (2).pdf";
// a name without an extension gets the number at its end.
std::string numberedName(const std::string& name, int number);

}  // namespace ostrel
