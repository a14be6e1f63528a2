// Uploads to real servers on 127.0.0.1: the file arrives byte for byte, a name
// that is taken gets a number, and a refused login, an untrusted server or a
// stopped one leave the local file, a log line and a balloon. The queue never
// holds up its caller and ends promptly with its owner.
#include <gmock/gmock.h>

#include <random>

#include "app/delivery/ftp_delivery.h"
#include "tests/ftp/private_servers.h"
#include "tests/manager/log_reader.h"
#include "tests/support/scoped_environment.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

#define SKIP_UNLESS_STARTED(server) \
  if (!(server).started()) GTEST_SKIP() << (server).whyNot()

// Bytes no text conversion or truncation would leave alone.
std::string scannedBytes(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  bytes[0] = '\r', bytes[1] = '\n', bytes[2] = '\0';
  return bytes;
}

// Compared without printing the bytes when they differ.
::testing::AssertionResult sameBytes(const std::string& uploaded, const std::string& local) {
  const std::string there = readFile(uploaded);
  const std::string here = readFile(local);
  if (there == here) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << uploaded << " holds " << there.size() << " bytes, " << local << " "
                                       << here.size() << " bytes, and they differ";
}

class FtpUpload : public ::testing::Test {
 protected:
  std::string scanned(const std::string& name, std::size_t size = 300'000) {
    return writeFile(tempRoot() + "/Scans/" + name, scannedBytes(size));
  }

  FtpUploadResult upload(const FtpAccount& account, const std::string& file) {
    return uploadByFtp(account, file, trust);
  }

  FtpTrust trust = FtpTrust::fromEnvironment();
};

TEST_F(FtpUpload, FtpPutsTheFileByteForByteIntoTheFolderOfTheServerText) {
  PyFtpServer server("alice", "s3cret pass");
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0001.pdf");
  const FtpAccount account{"127.0.0.1:" + std::to_string(server.port()) + "/scans/2024 été", 0, "FTP", false,
                           "alice", "s3cret pass"};
  const FtpUploadResult result = upload(account, file);
  ASSERT_TRUE(result.uploaded) << result.error;
  EXPECT_EQ(result.remoteName, "Scan0001.pdf");
  EXPECT_TRUE(sameBytes(server.root() + "/scans/2024 été/Scan0001.pdf", file));
  EXPECT_TRUE(readFile(file) == scannedBytes(300'000));
}

TEST_F(FtpUpload, ATakenNameGetsTheNextFreeNumberAndTheServersFilesStay) {
  PyFtpServer server("alice", "pw");
  SKIP_UNLESS_STARTED(server);
  writeFile(server.root() + "/Scan0001.pdf", "theirs");
  writeFile(server.root() + "/Scan0001 (2).pdf", "theirs too");
  const std::string file = scanned("Scan0001.pdf", 1000);
  const FtpAccount account{"127.0.0.1", server.port(), "FTP", false, "alice", "pw"};

  const FtpUploadResult first = upload(account, file);
  const FtpUploadResult second = upload(account, file);
  ASSERT_TRUE(first.uploaded && second.uploaded) << first.error << second.error;
  EXPECT_EQ(first.remoteName, "Scan0001 (3).pdf");
  EXPECT_EQ(second.remoteName, "Scan0001 (4).pdf");
  EXPECT_EQ(readFile(server.root() + "/Scan0001.pdf"), "theirs");
  EXPECT_EQ(readFile(server.root() + "/Scan0001 (2).pdf"), "theirs too");
  EXPECT_TRUE(sameBytes(server.root() + "/Scan0001 (4).pdf", file));
}

TEST_F(FtpUpload, FtpsChecksTheCertificateAgainstTheGivenAuthority) {
  const TestCertificate certificate(tempRoot() + "/tls");
  if (!certificate.whyNot.empty()) GTEST_SKIP() << certificate.whyNot;
  PyFtpServer server("alice", "pw", certificate.certificate, certificate.key);
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0002.jpg");
  const FtpAccount account{"ftp://127.0.0.1/inbox", server.port(), "FTPS", false, "alice", "pw"};

  // Not trusted by the system: refused, nothing sent in the clear.
  const FtpUploadResult untrusted = upload(account, file);
  EXPECT_FALSE(untrusted.uploaded);
  EXPECT_THAT(untrusted.error, HasSubstr("certificate"));
  EXPECT_FALSE(platform::fileExists(server.root() + "/inbox/Scan0002.jpg"));

  trust.caFile = certificate.certificate;
  const FtpUploadResult trusted = upload(account, file);
  ASSERT_TRUE(trusted.uploaded) << trusted.error;
  EXPECT_TRUE(sameBytes(server.root() + "/inbox/Scan0002.jpg", file));
}

TEST_F(FtpUpload, FtpsTakesItsAuthorityFromTheEnvironment) {
  ScopedEnvironment ca("OSTREL_CA_FILE", "/etc/ostrel-test/ca.pem");
  EXPECT_EQ(FtpTrust::fromEnvironment().caFile, "/etc/ostrel-test/ca.pem");
  EXPECT_EQ(FtpTrust::fromEnvironment().knownHosts, platform::homeFolder() + "/.ssh/known_hosts");
}

TEST_F(FtpUpload, SftpPutsTheFileIntoAFolderFromTheRootWithTheUsersKey) {
  PrivateSshd server;
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan 0003 ünï.pdf");
  const std::string inbox = server.folder() + "/in box";
  const FtpAccount account{"127.0.0.1/" + inbox, server.port(), "FFTP", false, currentUserName(), ""};
  const FtpUploadResult result = upload(account, file);
  ASSERT_TRUE(result.uploaded) << result.error;
  EXPECT_TRUE(sameBytes(inbox + "/Scan 0003 ünï.pdf", file));

  const FtpUploadResult again = upload(account, file);
  ASSERT_TRUE(again.uploaded) << again.error;
  EXPECT_THAT(namesIn(inbox), UnorderedElementsAre("Scan 0003 ünï.pdf", "Scan 0003 ünï (2).pdf"));
}

TEST_F(FtpUpload, SftpRefusesAServerWhoseHostKeyIsNotKnown) {
  PrivateSshd server(false);
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0004.pdf");
  const FtpAccount account{"127.0.0.1/" + server.folder() + "/in", server.port(), "FFTP", false,
                           currentUserName(), ""};
  const FtpUploadResult result = upload(account, file);
  EXPECT_FALSE(result.uploaded);
  EXPECT_THAT(result.error, HasSubstr("known hosts"));
  EXPECT_FALSE(platform::folderExists(server.folder() + "/in"));
}

TEST_F(FtpUpload, VsftpdTakesAnAnonymousUploadIntoItsUploadFolder) {
  AnonymousVsftpd server;
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0005.tif");
  const FtpAccount account{"127.0.0.1:" + std::to_string(server.port()) + "/incoming", 0, "FTP", true, "", ""};
  const FtpUploadResult first = upload(account, file);
  ASSERT_TRUE(first.uploaded) << first.error << readFile(server.folder() + "/server.log");
  const FtpUploadResult second = upload(account, file);
  ASSERT_TRUE(second.uploaded) << second.error;
  EXPECT_THAT(namesIn(server.incoming()), UnorderedElementsAre("Scan0005.tif", "Scan0005 (2).tif"));
  EXPECT_TRUE(sameBytes(server.incoming() + "/Scan0005 (2).tif", file));
}

// Through the delivery: the queue, the log line, the balloon.
class FtpDeliveryTest : public FtpUpload {
 protected:
  LocalizedText text{tempRoot() + "/no texts.ini"};
  std::vector<std::string> balloons;  // written on the upload thread, read once it is idle
  std::unique_ptr<FtpDelivery> delivery = std::make_unique<FtpDelivery>(
      FtpDeliveryParts{text, [this](std::string text) { balloons.push_back(std::move(text)); }, trust});

  static CButtonSetting button(const std::string& server, const std::string& user, const std::string& password) {
    CButtonSetting button;
    button.server = server;
    button.account = user;
    button.password = password;
    return button;
  }
};

TEST_F(FtpDeliveryTest, EachUploadIsOneLogLineWithoutThePassword) {
  PyFtpServer server("alice", "hunter2");
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0006.pdf", 5000);
  delivery->upload(button("127.0.0.1:" + std::to_string(server.port()), "alice", "hunter2"), file);
  delivery->upload(button("127.0.0.1:" + std::to_string(server.port()), "alice", "hunter2"), file);
  ASSERT_TRUE(delivery->waitUntilIdle(std::chrono::seconds(30)));
  const std::string where = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/";
  EXPECT_THAT(logMessages(), ElementsAre("Uploaded \"" + file + "\" by FTP as \"alice\" to " + where + "Scan0006.pdf.",
                                         "Uploaded \"" + file + "\" by FTP as \"alice\" to " + where +
                                             "Scan0006 (2).pdf (the name was taken on the server)."));
  for (const std::string& line : logMessages()) EXPECT_THAT(line, ::testing::Not(HasSubstr("hunter2")));
  EXPECT_THAT(balloons, IsEmpty());
}

TEST_F(FtpDeliveryTest, ARefusedLoginIsLoggedAndShownAndTheFileStays) {
  PyFtpServer server("alice", "right");
  SKIP_UNLESS_STARTED(server);
  const std::string file = scanned("Scan0007.pdf", 5000);
  delivery->upload(button("127.0.0.1:" + std::to_string(server.port()), "alice", "wrong"), file);
  ASSERT_TRUE(delivery->waitUntilIdle(std::chrono::seconds(30)));
  ASSERT_EQ(logMessages().size(), 1u);
  EXPECT_THAT(logMessages()[0], HasSubstr("The upload of \"" + file + "\" by FTP as \"alice\" to ftp://127.0.0.1:"));
  EXPECT_THAT(logMessages()[0], HasSubstr("has failed: Access denied: 530"));
  EXPECT_THAT(logMessages()[0], HasSubstr("The file stays where it is."));
  EXPECT_THAT(balloons, ElementsAre("The upload of Scan0007.pdf to 127.0.0.1:" + std::to_string(server.port()) +
                                    " has failed; the file is kept."));
  EXPECT_TRUE(readFile(file) == scannedBytes(5000));
  EXPECT_THAT(namesIn(server.root()), IsEmpty());
}

TEST_F(FtpDeliveryTest, AStoppedServerIsLoggedAndShownAndTheFileStays) {
  PyFtpServer server("alice", "pw");
  SKIP_UNLESS_STARTED(server);
  const std::string address = "127.0.0.1:" + std::to_string(server.port());
  server.stop();
  const std::string file = scanned("Scan0008.pdf", 5000);
  delivery->upload(button(address, "alice", "pw"), file);
  ASSERT_TRUE(delivery->waitUntilIdle(std::chrono::seconds(30)));
  ASSERT_EQ(logMessages().size(), 1u);
  EXPECT_THAT(logMessages()[0], HasSubstr("has failed: Failed to connect to 127.0.0.1 port"));
  EXPECT_THAT(balloons, ElementsAre(HasSubstr("The upload of Scan0008.pdf to " + address + " has failed")));
  EXPECT_TRUE(readFile(file) == scannedBytes(5000));
}

TEST_F(FtpDeliveryTest, ABadServerAddressIsLoggedAndShown) {
  const std::string file = scanned("Scan0009.pdf", 10);
  delivery->upload(button("", "alice", "pw"), file);
  ASSERT_TRUE(delivery->waitUntilIdle(std::chrono::seconds(30)));
  EXPECT_THAT(logMessages(), ElementsAre(HasSubstr("has failed: the button has no server address.")));
  EXPECT_EQ(balloons.size(), 1u);
}

// A server that takes the connection and never says a word, as one that hangs does.
class SilentServer {
 public:
  SilentServer() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(socket_.get(), 8) == 0 &&
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  int port() const { return port_; }

 private:
  platform::UniqueFd socket_;
  int port_ = 0;
};

TEST_F(FtpDeliveryTest, AHangingServerHoldsUpNeitherTheCallerNorTheExit) {
  SilentServer server;
  ASSERT_NE(server.port(), 0);
  const std::string first = scanned("Scan0010.pdf", 10);
  const std::string second = scanned("Scan0011.pdf", 10);
  const auto asked = std::chrono::steady_clock::now();
  delivery->upload(button("127.0.0.1:" + std::to_string(server.port()), "alice", "pw"), first);
  delivery->upload(button("127.0.0.1:" + std::to_string(server.port()), "alice", "pw"), second);
  // Loose bounds that only catch a caller held for the transfer, which would
  // wait 15 s for the server's greeting.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
  EXPECT_FALSE(delivery->waitUntilIdle(std::chrono::milliseconds(1500)));

  const auto ending = std::chrono::steady_clock::now();
  delivery.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - ending, std::chrono::seconds(5));
  EXPECT_THAT(logMessages(), ElementsAre(HasSubstr("The upload of \"" + first + "\" to ftp://127.0.0.1:" +
                                                   std::to_string(server.port()) + "/ is cut short as Ostrel ends"),
                                         HasSubstr("Not uploaded by FTP to \"127.0.0.1:" +
                                                   std::to_string(server.port()) + "\" as Ostrel ends: \"" + second +
                                                   "\" stays where it is.")));
  EXPECT_THAT(balloons, IsEmpty());
  EXPECT_TRUE(platform::fileExists(first) && platform::fileExists(second));
}

}  // namespace
}  // namespace ostrel
