#include "faxsvc/receive_mode.h"

#include "faxsvc/format.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"

namespace ostrel::fax {

namespace {

// Server text goes into an ini file: a line break in it would add keys of the
// server's choosing.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

}  // namespace

void ReceiveMode::handle(const MessageView& message, FaxLink& link, const Credentials& credentials) {
  if (message.type() != message_type::kIncomingFax) return;
  const auto parsed = parseIncomingFax(message);
  if (!parsed) {
    c_.log.write("Error in receiving fax file. " + parsed.error);
    return;
  }
  const IncomingFax& fax = *parsed.value;
  // An unacknowledged fax stays with the server, so nothing is lost by refusing
  // a name that would leave the folder, or by a failed write.
  const std::string name = receivedFaxName(fax.fileName);
  if (!isSafeFileName(name)) {
    c_.log.write("Incoming fax file name \"" + fax.fileName + "\" is not a plain file name; refused.");
    return;
  }
  if (name != fax.fileName) {
    c_.log.write("Incoming fax file name \"" + fax.fileName + "\" has no fax extension; .tif appended.");
  }
  platform::createFolder(c_.paths.recv);
  const auto written = recvFiles_.write(name, fax.content);
  if (!written) {
    c_.log.write("OutputToFile() failed. FileName: " + name);
    return;
  }
  const std::string stem = receivedStem(*written);
  const std::string infoPath = platform::joinPath(c_.paths.recv, stem + ".inf");
  c_.log.write(stem);
  c_.log.write(infoPath);
  outputToFile(infoPath,
               format("[Lumora_Recv]\r\nUserID=%s\r\nstrSender_FaxNum=%s\r\nstrReceiver_FaxNum=%s\r\n"
                      "strFileName=%s\r\nintFileSize=%zu\r\nintPages=%u\r\nstrReceiveDate=%s\r\nintState=0\r\n",
                      oneLine(credentials.userId).c_str(), oneLine(fax.sender).c_str(),
                      oneLine(fax.receiver).c_str(), written->c_str(), fax.content.size(), fax.pages,
                      oneLine(fax.date).c_str()));
  link.send(buildEmpty(message_type::kReceiveAck));
}

}  // namespace ostrel::fax
