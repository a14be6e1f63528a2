#pragma once
// The fax service's member pages. They want their form data POSTed, which no
// browser takes from a command line, so the data goes into a small page of our
// own whose form submits itself; the browser opens that page. The page holds
// the password, so it is private to the user (0600, in $XDG_RUNTIME_DIR) and
// removed again once the browser has had time to read it.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ostrel {

enum class FaxWebPage { buyCredit, sentHistory, signUp };

struct FaxWebHosts {
  std::string secure;  // https host of the member pages
  std::string plain;   // http host of the sign-up page
};

// Section Web of <spoolBase>/ZeltSvc.ini: SecureHost and Host, each written
// with its default when missing so that it can be found and changed there.
FaxWebHosts readWebHosts(const std::string& spoolBase);

struct FaxWebForm {
  std::string action;                                       // the page's URL
  std::vector<std::pair<std::string, std::string>> fields;  // in order
};

FaxWebForm webForm(FaxWebPage page, const FaxWebHosts& hosts, const std::string& userId,
                   const std::string& password);

// The page that posts the form (application/x-www-form-urlencoded) as soon as
// it is loaded, every value escaped.
std::string autoSubmitPage(const FaxWebForm& form);

// Writes the page into a new file of mode 0600 in $XDG_RUNTIME_DIR (else the
// user's <AppData>/Ostrel/Temp); its path, or nullopt with the reason logged.
std::optional<std::string> writePrivatePage(const std::string& html);

}  // namespace ostrel
