#include "app/delivery/fax/fax_web_page.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/delivery/fax/fax_texts.h"
#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/file_descriptor.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

constexpr const char* kDefaultSecureHost = "localhost";
constexpr const char* kDefaultHost = "localhost";

std::string hostSetting(const std::string& ini, const char* key, const char* fallback) {
  std::string host = platform::GetPrivateProfileString("Web", key, "", ini);
  if (!host.empty()) return host;
  platform::WritePrivateProfileString("Web", key, fallback, ini);
  return fallback;
}

}  // namespace

FaxWebHosts readWebHosts(const std::string& spoolBase) {
  const std::string ini = platform::joinPath(spoolBase, "ZeltSvc.ini");
  return {hostSetting(ini, "SecureHost", kDefaultSecureHost), hostSetting(ini, "Host", kDefaultHost)};
}

FaxWebForm webForm(FaxWebPage page, const FaxWebHosts& hosts, const std::string& userId,
                   const std::string& password) {
  if (page == FaxWebPage::signUp) return {"http://" + hosts.plain + "/interface/memReg/Pellora.asp", {}};
  return {"https://" + hosts.secure + "/Member/Alert_Login_Nokey_xmode.asp",
          {{"userID", userId}, {"strPWD", password}, {"movePg", page == FaxWebPage::buyCredit ? "101" : "201"}}};
}

std::string autoSubmitPage(const FaxWebForm& form) {
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Ostrel</title></head>\n"
      "<body onload=\"document.forms[0].submit()\">\n<form method=\"post\" action=\"" +
      escapeHtml(form.action) + "\" enctype=\"application/x-www-form-urlencoded\">\n";
  for (const auto& [name, value] : form.fields) {
    html += "<input type=\"hidden\" name=\"" + escapeHtml(name) + "\" value=\"" + escapeHtml(value) + "\">\n";
  }
  return html + "<noscript><input type=\"submit\" value=\"Continue\"></noscript>\n</form>\n</body></html>\n";
}

std::optional<std::string> writePrivatePage(const std::string& html) {
  std::string folder = platform::environmentValue("XDG_RUNTIME_DIR").value_or("");
  if (folder.empty() || !platform::folderExists(folder)) {
    folder = platform::joinPath(platform::joinPath(platform::appDataFolder(), "Ostrel"), "Temp");
    platform::createFolderTree(folder);
  }
  std::string path = platform::joinPath(folder, "ostrel-fax-XXXXXX.html");
  // mkstemps makes the file 0600 whatever the umask.
  platform::UniqueFd fd(::mkstemps(path.data(), 5));
  if (!fd.valid()) {
    Log("The fax web page cannot be made in " + folder + ": " + std::strerror(errno));
    return std::nullopt;
  }
  if (const int error = platform::writeAll(fd.get(), html); error != 0) {
    Log("The fax web page " + path + " cannot be written: " + std::strerror(error));
    ::unlink(path.c_str());
    return std::nullopt;
  }
  return path;
}

}  // namespace ostrel
