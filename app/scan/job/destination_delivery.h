#pragma once
// What the scan job hands to a button's destination once its files are written:
// the destination program, the uploader, and the printer, mail and fax steps,
// which take the whole list of an output at once. Storage (an empty Path) needs
// none of these: its files simply stay in their folder.
#include <string>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

class DestinationDelivery {
 public:
  virtual ~DestinationDelivery() = default;

  // Starts the destination program once for one file (SingleEvent 0).
  virtual void launchWithFile(const CApplicationSetting& destination, const CButtonSetting& button,
                              const std::string& path) = 0;
  // Starts it once for every file of an output (SingleEvent not 0): quotedPaths
  // holds each path in double quotes followed by one space; pendingCount is one
  // more than the number of paths.
  virtual void launchWithList(const CApplicationSetting& destination, const CButtonSetting& button,
                              const std::string& quotedPaths, int pendingCount) = 0;
  // Hands one file to the cloud uploader with the button's account and folder.
  virtual void upload(const CButtonSetting& button, const std::string& path) = 0;
  // Hands one file to the button's FTP or SFTP server (Server, FtpPort,
  // FtpProtocol, Account, Password) and returns at once.
  virtual void ftpUpload(const CButtonSetting& button, const std::string& path) = 0;

  // Each of these takes the files of one output and leaves the list empty. The
  // button may learn the default printer's name (kept in its ImageFolder).
  virtual void print(CButtonSetting& button, std::vector<std::string>& files) = 0;
  virtual void mail(std::vector<std::string>& files) = 0;
  virtual void fax(std::vector<std::string>& files) = 0;
};

}  // namespace ostrel
