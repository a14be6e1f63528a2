// The cloud client library against a real WebDAV server on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cloud/mirelle.h"
#include "cloud/webdav.h"
#include "platform/activity_log.h"
#include "platform/text.h"
#include "tests/cloud/webdav_server.h"
#include "tests/support/temp_home.h"
#include "tests/support/tool_run.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using platform::utf16ToUtf8;
using platform::utf8ToUtf16;

class CloudLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::tempRoot() + "/store";
    fs::create_directories(root_ + "/A/Sub");
    fs::create_directories(root_ + "/B/Sub/Deep");
    fs::create_directories(root_ + "/Récap 2024");
    std::ofstream(root_ + "/A/notes.txt") << "not a folder";
    const std::string reason = server_.start(root_);
    if (!reason.empty()) GTEST_SKIP() << reason;
  }
  void TearDown() override { NV_Client_Logoff(); }

  int login(const std::string& url, const std::string& password) {
    const std::u16string server = utf8ToUtf16(url), user = u"u", secret = utf8ToUtf16(password);
    return NV_Client_Login(server.c_str(), server.c_str(), 0, user.c_str(), secret.c_str());
  }

  static std::set<std::string> childTitles(const NvFolderNode* node) {
    std::set<std::string> titles;
    for (const NvFolderNode* child = NV_Get_FirstChild(node); child; child = NV_Get_NextFolder(child)) {
      EXPECT_EQ(child->parent, node);
      titles.insert(utf16ToUtf8(child->title));
    }
    return titles;
  }

  static const NvFolderNode* child(const NvFolderNode* node, const std::string& title) {
    for (const NvFolderNode* at = NV_Get_FirstChild(node); at; at = NV_Get_NextFolder(at)) {
      if (utf16ToUtf8(at->title) == title) return at;
    }
    return nullptr;
  }

  std::string root_;
  testing::WebDavServer server_;
};

TEST_F(CloudLibrary, LogsInWithGoodCredentialsOnlyAndSaysWhyNot) {
  EXPECT_EQ(login(server_.url(), "wrong"), NV_LOGIN_REFUSED);
  EXPECT_EQ(NV_Get_Root(nullptr), nullptr);
  EXPECT_EQ(login(server_.url(), testing::kDavPassword), NV_LOGIN_OK);
  const NvFolderNode* slot = nullptr;
  EXPECT_NE(NV_Get_Root(&slot), nullptr);
  EXPECT_EQ(slot, NV_Get_Root(nullptr));
  NV_Client_Logoff();
  EXPECT_EQ(NV_Get_Root(nullptr), nullptr);

  const int nobody = testing::freeLoopbackPort();
  EXPECT_EQ(login("http://127.0.0.1:" + std::to_string(nobody) + "/", testing::kDavPassword), NV_LOGIN_UNREACHABLE);
  const std::string log = testing::readFile(ActivityLog::folder() + logFileName([] {
                                              const std::time_t now = std::time(nullptr);
                                              std::tm local{};
                                              localtime_r(&now, &local);
                                              return local;
                                            }()));
  EXPECT_NE(log.find("Cloud login refused"), std::string::npos) << log;
  EXPECT_NE(log.find("Cloud login failed"), std::string::npos) << log;
}

TEST_F(CloudLibrary, WalksCollectionsOnlyListingEachFolderWhenAskedFor) {
  ASSERT_EQ(login(server_.url(), testing::kDavPassword), NV_LOGIN_OK);
  const NvFolderNode* root = NV_Get_Root(nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->parent, nullptr);
  EXPECT_EQ(root->subfolderCount, -1);  // nothing listed before it is asked for
  EXPECT_EQ(childTitles(root), (std::set<std::string>{"A", "B", "Récap 2024"}));
  EXPECT_EQ(root->subfolderCount, 3);

  const NvFolderNode* a = child(root, "A");
  const NvFolderNode* b = child(root, "B");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(childTitles(a), std::set<std::string>{"Sub"});  // notes.txt is no folder
  const NvFolderNode* aSub = child(a, "Sub");
  const NvFolderNode* bSub = child(b, "Sub");
  ASSERT_TRUE(aSub && bSub);
  EXPECT_NE(utf16ToUtf8(aSub->identifier), utf16ToUtf8(bSub->identifier));
  EXPECT_EQ(cloud::canonicalPath(utf16ToUtf8(bSub->identifier)), "/B/Sub");
  EXPECT_EQ(utf16ToUtf8(bSub->url).rfind(server_.url(), 0), 0u);
  EXPECT_EQ(childTitles(bSub), std::set<std::string>{"Deep"});
  EXPECT_EQ(NV_Get_FirstChild(child(bSub, "Deep")), nullptr);
}

TEST_F(CloudLibrary, RefusesAServerWhoseCertificateDoesNotCheckOut) {
  const std::string folder = testing::tempRoot();
  const auto made = testing::runTool("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout '" +
                                     folder + "/key.pem' -out '" + folder + "/cert.pem'");
  if (made.status != 0) GTEST_SKIP() << "openssl cannot make a certificate: " << made.output;
  testing::WebDavServer tls;
  const std::string reason = tls.start(root_, {"--cert", folder + "/cert.pem", "--key", folder + "/key.pem"});
  if (!reason.empty()) GTEST_SKIP() << reason;
  const cloud::DavClient client({tls.url("https"), "u", testing::kDavPassword});
  const cloud::DavOutcome outcome = client.checkLogin();
  EXPECT_EQ(outcome.status, cloud::DavOutcome::Status::failed);
  EXPECT_NE(outcome.message.find("certificate"), std::string::npos) << outcome.message;
  EXPECT_EQ(login(tls.url("https"), testing::kDavPassword), NV_LOGIN_UNREACHABLE);
}

TEST(Multistatus, ReadsNamesAndTypesAndTakesNoInstructionsFromTheAnswer) {
  std::vector<cloud::DavEntry> entries;
  std::string error;
  const std::string xml = R"(<?xml version="1.0"?>
<!DOCTYPE d:multistatus [<!ENTITY secret SYSTEM "file:///etc/hostname">]>
<d:multistatus xmlns:d="DAV:">
 <d:response><d:href>/dav/Work%20Files/</d:href>
  <d:propstat><d:prop><d:displayname>&secret;</d:displayname><d:resourcetype><d:collection/></d:resourcetype></d:prop>
   <d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>
 <d:response><d:href>/dav/a.pdf</d:href>
  <d:propstat><d:prop><d:resourcetype/></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>
  <d:propstat><d:prop><d:displayname>ignored</d:displayname></d:prop><d:status>HTTP/1.1 404 Not Found</d:status></d:propstat>
 </d:response>
</d:multistatus>)";
  ASSERT_TRUE(cloud::parseMultistatus(xml, entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].collection);
  EXPECT_EQ(entries[0].displayName, "");  // the outside entity is not fetched
  EXPECT_EQ(cloud::lastSegment(entries[0].href), "Work Files");
  EXPECT_FALSE(entries[1].collection);
  EXPECT_EQ(entries[1].displayName, "");

  EXPECT_FALSE(cloud::parseMultistatus("<html>no</html>", entries, error));
  EXPECT_FALSE(cloud::parseMultistatus("", entries, error));
  EXPECT_FALSE(cloud::parseMultistatus(xml.substr(0, xml.size() / 2), entries, error));
}

TEST(DavPaths, CompareAndEncodeAsTheServerWritesThem) {
  EXPECT_EQ(cloud::canonicalPath("https://h:8080/a%20b/c/?x"), "/a b/c");
  EXPECT_EQ(cloud::canonicalPath("/a%20b/c"), "/a b/c");
  EXPECT_EQ(cloud::encodeSegment("Scan 1 é/..%"), "Scan%201%20%C3%A9%2F..%25");
  EXPECT_EQ(cloud::decodePercent("%zz%4"), "%zz%4");
  const cloud::DavClient client({"https://h/remote.php/dav/files/u/", "u", "p"});
  EXPECT_EQ(client.urlOf("/remote.php/dav/files/u/A/"), "https://h/remote.php/dav/files/u/A/");
  EXPECT_EQ(client.urlOf("A/"), "https://h/remote.php/dav/files/u/A/");
  EXPECT_EQ(client.urlOf(""), "https://h/remote.php/dav/files/u/");
}

}  // namespace
}  // namespace ostrel
