#pragma once
// A fax request file <name>.inf as the main program drops it into Send/:
// parsing and the acceptance checks, in the order the codes are defined.
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::fax {

inline constexpr const char* kDefaultSender = "020000000";
// "No subject" in the service's home language; the request files are 8-bit
// text, and this is its UTF-8 spelling.
inline constexpr const char* kDefaultTitle = "\xEC\xA0\x9C\xEB\xAA\xA9\xEC\x97\x86\xEC\x9D\x8C";
inline constexpr const char* kDomesticCountry = "82";

struct FaxRequest {
  std::string userId;
  std::string country;
  std::string receivers;
  std::string sender;
  std::string title;
  int fileCount = 0;
  std::string fileName;
  std::vector<std::string> documents;  // the first fileCount names of fileName
  std::string fod;
};

struct RequestCheck {
  int code = 0;         // 0 accepted, else the negative validation code
  std::string message;  // logged behind the request's file name
  FaxRequest request;

  bool accepted() const { return code == 0; }
};

RequestCheck checkRequest(std::string_view iniText);

}  // namespace ostrel::fax
