#include "faxsvc/spool_request.h"

#include <gtest/gtest.h>

#include <map>

namespace ostrel::fax {
namespace {

std::string requestText(std::map<std::string, std::string> overrides, const std::vector<std::string>& without = {}) {
  std::map<std::string, std::string> keys{{"UserID", "alice"},   {"Country", "82"},   {"ReceiverNo", "0212345678"},
                                          {"SenderNo", "0311112222"}, {"Title", "Hello"}, {"FileCount", "2"},
                                          {"FileName", "a.pdf,b.tif"}, {"FOD", "20240506101500"}};
  for (auto& [k, v] : overrides) keys[k] = v;
  for (auto& k : without) keys.erase(k);
  std::string text = "[Lumora]\r\n";
  for (auto& [k, v] : keys) text += k + "=" + v + "\r\n";
  return text;
}

TEST(RequestCheck, AcceptsACompleteRequest) {
  const auto check = checkRequest(requestText({}));
  ASSERT_TRUE(check.accepted()) << check.message;
  EXPECT_EQ(check.request.documents, (std::vector<std::string>{"a.pdf", "b.tif"}));
  EXPECT_EQ(check.request.sender, "0311112222");
  EXPECT_EQ(check.request.fileCount, 2);
}

TEST(RequestCheck, CodesFollowTheOrderOfTheChecks) {
  struct Case {
    std::map<std::string, std::string> set;
    int code;
    const char* message;
  } cases[] = {
      {{{"UserID", ""}, {"Country", ""}}, -1, ": UserID is empty"},
      {{{"Country", ""}, {"ReceiverNo", ""}}, -2, ": Country is empty"},
      {{{"ReceiverNo", ""}}, -3, ": ReceiverNo is empty"},
      {{{"FileCount", "0"}}, -4, ": FileCount is empty"},
      {{{"FileCount", "-2"}}, -4, ": FileCount is empty"},
      {{{"FileCount", "two"}}, -4, ": FileCount is empty"},
      {{{"FileName", ""}}, -5, ": Files is empty"},
      {{{"FOD", ""}}, -6, ": FOD is empty"},
      {{{"FOD", "../escape"}}, -7, ": FOD is not a valid file name"},
      {{{"Country", "1"}, {"ReceiverNo", "111,222"}}, -9,
       " : Foreign country code not allowed in more than one ReceiverNos."},
      {{{"FileCount", "3"}, {"FileName", "a,b"}}, -10, ": FileCount is not valid."},
      {{{"FileCount", "2"}, {"FileName", ",a,b"}}, -10, ": FileCount is not valid."},
  };
  for (const auto& c : cases) {
    const auto check = checkRequest(requestText(c.set));
    EXPECT_EQ(check.code, c.code) << c.message;
    EXPECT_EQ(check.message, c.message);
  }
  EXPECT_EQ(checkRequest(requestText({}, {"FileCount"})).code, -4);
}

TEST(RequestCheck, ForeignNumbersAloneAndDomesticListsPass) {
  EXPECT_TRUE(checkRequest(requestText({{"Country", "1"}, {"ReceiverNo", "111"}})).accepted());
  EXPECT_TRUE(checkRequest(requestText({{"Country", "82"}, {"ReceiverNo", "111,222,333"}})).accepted());
}

TEST(RequestCheck, NamesBeyondTheCountAreIgnored) {
  const auto two = checkRequest(requestText({{"FileCount", "2"}, {"FileName", "a,b,c"}}));
  ASSERT_TRUE(two.accepted());
  EXPECT_EQ(two.request.documents, (std::vector<std::string>{"a", "b"}));
  const auto one = checkRequest(requestText({{"FileCount", "1"}, {"FileName", "a,b"}}));
  ASSERT_TRUE(one.accepted());
  EXPECT_EQ(one.request.documents, (std::vector<std::string>{"a"}));
}

TEST(RequestCheck, EmptySenderAndTitleGetTheirDefaults) {
  const auto check = checkRequest(requestText({{"SenderNo", ""}}, {"Title"}));
  ASSERT_TRUE(check.accepted());
  EXPECT_EQ(check.request.sender, "020000000");
  EXPECT_EQ(check.request.title, kDefaultTitle);
}

TEST(RequestCheck, LongValuesAreReadWhole) {
  std::string names;
  for (int i = 0; i < 60; ++i) names += (i ? "," : "") + std::string("document-number-") + std::to_string(i) + ".pdf";
  ASSERT_GT(names.size(), 259u);
  const auto check = checkRequest(requestText({{"FileCount", "60"}, {"FileName", names}}));
  ASSERT_TRUE(check.accepted()) << check.message;
  EXPECT_EQ(check.request.documents.back(), "document-number-59.pdf");
}

}  // namespace
}  // namespace ostrel::fax
