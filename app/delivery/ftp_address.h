#pragma once
// Where an FTP button's files go, from what the FTP dialog stores in the button:
// Server, FtpPort, FtpProtocol.
//
// The Server text may be
//   - a bare host: "files.example.org", "192.0.2.7", "[2001:db8::7]";
//   - a host and port: "files.example.org:2121", "[2001:db8::7]:2121";
//   - either one followed by a folder: "files.example.org/scans/in".
// A leading "ftp://", "ftps://" or "sftp://" is accepted and dropped: the
// dialog's protocol list alone chooses the protocol, as the user sees it there
// (an address pasted as "ftp://" serves FTPS too). Other schemes, user names in
// the address ("user@host"), an empty host and ports outside 1..65535 are
// refused with a reason.
//
// The folder is under the folder the account logs into (its home), for FTP and
// SFTP alike, as FTP clients take it; a folder written with two slashes
// ("host//srv/scans") is counted from the server's root instead.
//
// The port: the dialog's Port when it is not 0, else the one in Server, else
// the protocol's own (21 for FTP and FTPS, 22 for SFTP).
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

enum class FtpProtocol { ftp, ftps, sftp };

struct FtpAddress {
  FtpProtocol protocol = FtpProtocol::ftp;
  std::string host;                 // IPv6 without its brackets
  int port = 21;
  std::vector<std::string> folder;  // its names, outermost first; empty: the login folder
  bool fromRoot = false;            // folder counted from the server's root
};

struct ParsedFtpAddress {
  std::optional<FtpAddress> address;
  std::string error;  // why not, when there is no address
};

// The protocol list's text: "FTP", "FTPS", or "FFTP" for SFTP; any other text is FTP.
FtpProtocol ftpProtocolFromList(const std::string& listText);

ParsedFtpAddress parseFtpAddress(const std::string& server, int dialogPort, FtpProtocol protocol);

// The folder's URL, ending with '/', or with fileName (escaped) appended.
std::string folderUrl(const FtpAddress& address);
std::string fileUrl(const FtpAddress& address, const std::string& fileName);
// For log lines and messages: "sftp://host:22/folder/", without escapes.
std::string displayUrl(const FtpAddress& address);

}  // namespace ostrel
