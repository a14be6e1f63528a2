#include "faxsvc/spool_request.h"

#include <algorithm>
#include <charconv>

#include "faxsvc/spool_files.h"
#include "platform/ini_document.h"
#include "platform/text.h"

namespace ostrel::fax {

namespace {

constexpr const char* kSection = "Lumora";
constexpr std::size_t kValueMax = 65535;

std::string valueOf(const platform::IniDocument& document, std::string_view key) {
  const auto value = document.value(kSection, key);
  return value ? std::string(value->substr(0, kValueMax)) : std::string();
}

// Read the way the profile functions read an integer: optional sign, digits up
// to the first other character, none at all reading as 0.
int integerOf(const platform::IniDocument& document, std::string_view key) {
  const auto value = document.value(kSection, key);
  if (!value) return 0;
  std::string_view text = platform::trimBlanks(*value);
  if (text.starts_with('+')) text.remove_prefix(1);
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc::result_out_of_range) return text.starts_with('-') ? INT32_MIN : INT32_MAX;
  return end == text.data() ? 0 : number;
}

// Takes up to `count` names off the front of a comma list; a comma at the start
// of what is left ends the list.
std::vector<std::string> splitNames(std::string_view list, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    const std::size_t comma = list.find(',');
    if (comma == std::string_view::npos) {
      names.emplace_back(list);
      break;
    }
    if (comma == 0) break;
    names.emplace_back(list.substr(0, comma));
    list.remove_prefix(comma + 1);
  }
  return names;
}

RequestCheck fail(RequestCheck check, int code, const char* message) {
  check.code = code;
  check.message = message;
  return check;
}

}  // namespace

RequestCheck checkRequest(std::string_view iniText) {
  const platform::IniDocument document{std::string(iniText)};
  RequestCheck check;
  FaxRequest& r = check.request;
  r.userId = valueOf(document, "UserID");
  r.country = valueOf(document, "Country");
  r.receivers = valueOf(document, "ReceiverNo");
  r.sender = valueOf(document, "SenderNo");
  r.title = valueOf(document, "Title");
  r.fileName = valueOf(document, "FileName");
  r.fod = valueOf(document, "FOD");
  if (r.sender.empty()) r.sender = kDefaultSender;
  if (r.title.empty()) r.title = kDefaultTitle;
  r.fileCount = integerOf(document, "FileCount");

  if (r.userId.empty()) return fail(std::move(check), -1, ": UserID is empty");
  if (r.country.empty()) return fail(std::move(check), -2, ": Country is empty");
  if (r.receivers.empty()) return fail(std::move(check), -3, ": ReceiverNo is empty");
  // A negative count is as unusable as none.
  if (r.fileCount <= 0) return fail(std::move(check), -4, ": FileCount is empty");
  if (r.fileName.empty()) return fail(std::move(check), -5, ": Files is empty");
  if (r.fod.empty()) return fail(std::move(check), -6, ": FOD is empty");
  // The identifier names the result file; it must stay in the spool folder.
  if (!isSafeFileName(r.fod + ".rlt")) return fail(std::move(check), -7, ": FOD is not a valid file name");
  const auto receivers = std::count(r.receivers.begin(), r.receivers.end(), ',') + 1;
  if (receivers > 1 && r.country != kDomesticCountry) {
    return fail(std::move(check), -9, " : Foreign country code not allowed in more than one ReceiverNos.");
  }
  r.documents = splitNames(r.fileName, r.fileCount);
  if (r.fileCount > 1 && r.documents.size() < static_cast<std::size_t>(r.fileCount)) {
    return fail(std::move(check), -10, ": FileCount is not valid.");
  }
  return check;
}

}  // namespace ostrel::fax
