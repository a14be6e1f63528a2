#include <gtest/gtest.h>

#include "app/delivery/fax/fax_texts.h"
#include "app/delivery/fax/fax_web_page.h"

namespace ostrel {
namespace {

TEST(FaxTexts, CreditIsGroupedByThousands) {
  EXPECT_EQ(creditText(1234567), "1,234,567");
  EXPECT_EQ(creditText(1005), "1,005");
  EXPECT_EQ(creditText(100000), "100,000");
  EXPECT_EQ(creditText(999), "999");
  EXPECT_EQ(creditText(0), "");
  EXPECT_EQ(creditText(-1), "-1");
}

TEST(FaxTexts, DocumentSizesInTheirThreeFormats) {
  EXPECT_EQ(documentSizeText(1023), "  1023 bytes");
  EXPECT_EQ(documentSizeText(1024), "   1.0 KB");
  EXPECT_EQ(documentSizeText(1536000), "   1.5 MB");
}

TEST(FaxTexts, CountryListSplitsAtBackspaceAndSkipsBrokenEntries) {
  const auto countries = parseCountryList("Korea=82\bUnited States=1\bbroken\bA=B=7\bNo code=");
  ASSERT_EQ(countries.size(), 3u);
  EXPECT_EQ(countries[0].name, "Korea");
  EXPECT_EQ(countries[0].code, 82);
  EXPECT_EQ(countries[1].name, "United States");
  EXPECT_EQ(countries[2].name, "A=B");
  EXPECT_EQ(countries[2].code, 7);
}

TEST(FaxTexts, HistoryGrowsOnlyByNewReceivers) {
  EXPECT_EQ(historyWith("", "0212345678"), "0212345678");
  EXPECT_EQ(historyWith("0212345678", "0311112222"), "0212345678,0311112222");
  // A plain substring test, as the history always did it.
  EXPECT_EQ(historyWith("0212345678,0311112222", "1234"), std::nullopt);
  EXPECT_EQ(historyWith("0212345678", ""), std::nullopt);
  EXPECT_EQ(historyEntries("a,,b,"), (std::vector<std::string>{"a", "b"}));
}

TEST(FaxTexts, CoverPageShowsTheTextAsTyped) {
  EXPECT_EQ(coverPageHtml("Dear Bob & Co\r\n<urgent> \"now\"\n", 35),
            "<html><head><title> </title></head><body>"
            "<p style=\"font-size:35px\">Dear Bob &amp; Co</p>"
            "<p style=\"font-size:35px\">&lt;urgent&gt; &quot;now&quot;</p>"
            "</body></html>");
  EXPECT_EQ(coverPageHtml("a\n\nb", 9),
            "<html><head><title> </title></head><body><p style=\"font-size:9px\">a</p>"
            "<p style=\"font-size:9px\"></p><p style=\"font-size:9px\">b</p></body></html>");
}

TEST(FaxWebPage, MemberPagesPostTheLoginAndTheirPageNumber) {
  const FaxWebHosts hosts{"secure.example", "www.example"};
  const FaxWebForm credit = webForm(FaxWebPage::buyCredit, hosts, "alice", "p&\"w");
  EXPECT_EQ(credit.action, "https://secure.example/Member/Alert_Login_Nokey_xmode.asp");
  EXPECT_EQ(credit.fields, (std::vector<std::pair<std::string, std::string>>{
                               {"userID", "alice"}, {"strPWD", "p&\"w"}, {"movePg", "101"}}));
  EXPECT_EQ(webForm(FaxWebPage::sentHistory, hosts, "a", "b").fields[2].second, "201");
  const FaxWebForm signUp = webForm(FaxWebPage::signUp, hosts, "a", "b");
  EXPECT_EQ(signUp.action, "http://www.example/interface/memReg/Pellora.asp");
  EXPECT_TRUE(signUp.fields.empty());

  const std::string page = autoSubmitPage(credit);
  EXPECT_NE(page.find("<form method=\"post\" action=\"https://secure.example/Member/Alert_Login_Nokey_xmode.asp\" "
                      "enctype=\"application/x-www-form-urlencoded\">"),
            std::string::npos);
  EXPECT_NE(page.find("<input type=\"hidden\" name=\"strPWD\" value=\"p&amp;&quot;w\">"), std::string::npos);
  EXPECT_NE(page.find("onload=\"document.forms[0].submit()\""), std::string::npos);
}

}  // namespace
}  // namespace ostrel
