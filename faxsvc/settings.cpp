#include "faxsvc/settings.h"

#include <cstdlib>
#include <string_view>

#include "faxsvc/diagnostic_log.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel::fax {

namespace {

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

constexpr std::string_view kDefaultLines[] = {
    "[Env]\r\n",      "SendMode=1\r\n",  "RecvMode=1\r\n", "ConvMode=1\r\n",    "SendFolder=\r\n",
    "RecvFolder=\r\n", "TifFolder=\r\n", "ServerIP=\r\n",  "SendThreads=\r\n",
};

// The ini names a folder only so it gets created; the workers always use the
// folders under the program directory.
void prepareFolder(const std::string& ini, const char* key, const std::string& fallback) {
  std::string folder = GetPrivateProfileString("Env", key, "", ini);
  if (folder.empty()) {
    folder = fallback;
    WritePrivateProfileString("Env", key, folder, ini);
  }
  if (folder.back() != '/') folder += '/';
  platform::createFolder(folder);
}

bool loggingFromEnvironment() {
  const char* value = std::getenv("OSTREL_FAX_LOG");
  return value && *value && std::string_view(value) != "0";
}

}  // namespace

std::string settingsPath(const std::string& programDirectory) {
  return platform::joinPath(programDirectory, "ZeltSvc.ini");
}

FaxSettings loadSettings(const std::string& programDirectory) {
  const std::string ini = settingsPath(programDirectory);
  if (!platform::fileExists(ini)) {
    for (const std::string_view line : kDefaultLines) outputToFile(ini, line);
  }
  FaxSettings settings;
  settings.sendMode = GetPrivateProfileInt("Env", "SendMode", 1, ini) != 0;
  settings.recvMode = GetPrivateProfileInt("Env", "RecvMode", 1, ini) != 0;
  settings.convMode = GetPrivateProfileInt("Env", "ConvMode", 0, ini) != 0;
  settings.logging = GetPrivateProfileInt("Env", "LogMode", 0, ini) != 0 || loggingFromEnvironment();

  if (settings.sendMode) prepareFolder(ini, "SendFolder", platform::joinPath(programDirectory, "Send"));
  if (settings.recvMode) prepareFolder(ini, "RecvFolder", platform::joinPath(programDirectory, "Recv"));
  if (settings.convMode) prepareFolder(ini, "TifFolder", platform::joinPath(programDirectory, "Tif"));

  settings.server = GetPrivateProfileString("Env", "ServerIP", "", ini);
  if (settings.server.empty()) {
    WritePrivateProfileString("Env", "ServerIP", kDefaultServer, ini);
    settings.server = GetPrivateProfileString("Env", "ServerIP", kDefaultServer, ini);
  }
  WritePrivateProfileString("Env", "ConvMode", "0", ini);
  return settings;
}

}  // namespace ostrel::fax
