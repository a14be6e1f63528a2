#include "app/delivery/ftp_address.h"

#include <algorithm>
#include <cctype>

#include "platform/text.h"

namespace ostrel {

namespace {

constexpr int kMaxPort = 65535;

std::optional<int> portNumber(const std::string& text) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isdigit(c) != 0;
      })) {
    return std::nullopt;
  }
  const int port = std::stoi(text);
  if (port < 1 || port > kMaxPort) return std::nullopt;
  return port;
}

// Percent-encodes all but the unreserved characters of a URL, so blanks,
// '#', '?', '%' and UTF-8 bytes in names reach the server as they are.
std::string escaped(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : name) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string schemeOf(FtpProtocol protocol) { return protocol == FtpProtocol::sftp ? "sftp" : "ftp"; }

std::string hostPart(const FtpAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

ParsedFtpAddress refused(std::string why) { return {std::nullopt, std::move(why)}; }

}  // namespace

FtpProtocol ftpProtocolFromList(const std::string& listText) {
  if (listText == "FTPS") return FtpProtocol::ftps;
  if (listText == "FFTP") return FtpProtocol::sftp;
  return FtpProtocol::ftp;
}

ParsedFtpAddress parseFtpAddress(const std::string& server, int dialogPort, FtpProtocol protocol) {
  std::string text(platform::trimBlanks(server));
  if (text.empty()) return refused("the button has no server address");
  const std::string quoted = "\"" + text + "\"";
  if (const std::size_t scheme = text.find("://"); scheme != std::string::npos) {
    const std::string name = platform::asciiLowerCopy(text.substr(0, scheme));
    if (name != "ftp" && name != "ftps" && name != "sftp") {
      return refused("the server address " + quoted + " is not an FTP or SFTP address");
    }
    text.erase(0, scheme + 3);
  }
  const std::size_t slash = text.find('/');
  const std::string hostAndPort = text.substr(0, slash);
  const std::string path = slash == std::string::npos ? std::string() : text.substr(slash);
  if (hostAndPort.find('@') != std::string::npos) {
    return refused("the server address " + quoted + " holds a user name; it belongs in the Username field");
  }

  FtpAddress address;
  address.protocol = protocol;
  std::string portText;
  if (hostAndPort.starts_with('[')) {
    const std::size_t close = hostAndPort.find(']');
    if (close == std::string::npos) return refused("the server address " + quoted + " lacks its \"]\"");
    address.host = hostAndPort.substr(1, close - 1);
    const std::string after = hostAndPort.substr(close + 1);
    if (!after.empty() && after.front() != ':') return refused("the server address " + quoted + " is not understood");
    if (!after.empty()) portText = after.substr(1);
  } else if (std::count(hostAndPort.begin(), hostAndPort.end(), ':') == 1) {
    const std::size_t colon = hostAndPort.find(':');
    address.host = hostAndPort.substr(0, colon);
    portText = hostAndPort.substr(colon + 1);
  } else {
    address.host = hostAndPort;  // a name, or an IPv6 address without brackets and port
  }
  if (address.host.empty()) return refused("the server address " + quoted + " names no host");

  std::optional<int> serverPort;
  if (!portText.empty() || hostAndPort.ends_with(':')) {
    serverPort = portNumber(portText);
    if (!serverPort) return refused("the port in the server address " + quoted + " is not a port number");
  }
  if (dialogPort < 0 || dialogPort > kMaxPort) {
    return refused("the port " + std::to_string(dialogPort) + " is not a port number");
  }
  address.port = dialogPort != 0 ? dialogPort : serverPort.value_or(protocol == FtpProtocol::sftp ? 22 : 21);

  address.fromRoot = path.starts_with("//");
  std::size_t begin = 0;
  while (begin < path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(begin, end - begin);
    if (!name.empty() && name != ".") address.folder.push_back(std::move(name));
    begin = end + 1;
  }
  return {std::move(address), {}};
}

std::string folderUrl(const FtpAddress& address) {
  std::string url = schemeOf(address.protocol) + "://" + hostPart(address) + "/";
  // FTP takes a URL's path as relative to the login folder, "%2F" starting it
  // from the root; SFTP takes it from the root, "~/" starting it from home.
  if (address.protocol == FtpProtocol::sftp) {
    if (!address.fromRoot) url += "~/";
  } else if (address.fromRoot) {
    url += "%2F";
    if (address.folder.empty()) url += "/";
  }
  for (const std::string& name : address.folder) url += escaped(name) + "/";
  return url;
}

std::string fileUrl(const FtpAddress& address, const std::string& fileName) {
  return folderUrl(address) + escaped(fileName);
}

std::string displayUrl(const FtpAddress& address) {
  std::string url = schemeOf(address.protocol) + "://" + hostPart(address) + "/";
  if (address.fromRoot) url += "/";
  for (const std::string& name : address.folder) url += name + "/";
  return url;
}

}  // namespace ostrel
