#pragma once
// ZeltSvc.ini beside the program: created with its default lines when missing,
// read once per initialisation, and the folders it names created.
#include <string>

namespace ostrel::fax {

// The server the settings file gets when it names none: the fax server stand-in
// runs on this machine.
inline constexpr const char* kDefaultServer = "localhost";

struct FaxSettings {
  bool sendMode = true;
  bool recvMode = true;
  bool convMode = false;
  bool logging = false;  // LogMode=1, or OSTREL_FAX_LOG=1 in the environment
  std::string server;
};

std::string settingsPath(const std::string& programDirectory);

// Creates the file when missing, reads it, fills in empty folder and server
// values, creates the folders of the enabled modes and writes ConvMode=0 back.
FaxSettings loadSettings(const std::string& programDirectory);

}  // namespace ostrel::fax
