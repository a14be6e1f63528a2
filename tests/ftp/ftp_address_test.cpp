// The Server rule of FTP buttons: what a user may type in the address field,
// how the dialog's port and protocol combine with it, and the URLs that result.
#include <gtest/gtest.h>

#include "app/delivery/ftp_address.h"
#include "app/delivery/ftp_transfer.h"

namespace ostrel {
namespace {

FtpAddress parsed(const std::string& server, int port = 0, FtpProtocol protocol = FtpProtocol::ftp) {
  const ParsedFtpAddress result = parseFtpAddress(server, port, protocol);
  EXPECT_TRUE(result.address) << server << ": " << result.error;
  return result.address.value_or(FtpAddress{});
}

std::string refusal(const std::string& server, int port = 0) {
  const ParsedFtpAddress result = parseFtpAddress(server, port, FtpProtocol::ftp);
  EXPECT_FALSE(result.address) << server;
  return result.error;
}

TEST(FtpAddress, HostAloneTakesTheProtocolsPortAndTheLoginFolder) {
  EXPECT_EQ(folderUrl(parsed("files.example.org")), "ftp://files.example.org:21/");
  EXPECT_EQ(folderUrl(parsed(" files.example.org ", 0, FtpProtocol::ftps)), "ftp://files.example.org:21/");
  EXPECT_EQ(folderUrl(parsed("files.example.org", 0, FtpProtocol::sftp)), "sftp://files.example.org:22/~/");
}

TEST(FtpAddress, PortFromTheServerTextUnlessTheDialogNamesOne) {
  EXPECT_EQ(parsed("files.example.org:2121").port, 2121);
  EXPECT_EQ(parsed("files.example.org:2121", 990).port, 990);
  EXPECT_EQ(parsed("files.example.org", 2222, FtpProtocol::sftp).port, 2222);
  EXPECT_EQ(parsed("[2001:db8::7]:2121").host, "2001:db8::7");
  EXPECT_EQ(folderUrl(parsed("[2001:db8::7]:2121")), "ftp://[2001:db8::7]:2121/");
  EXPECT_EQ(folderUrl(parsed("2001:db8::7")), "ftp://[2001:db8::7]:21/");
}

TEST(FtpAddress, FolderIsUnderTheLoginFolderOrFromTheRootWithTwoSlashes) {
  const FtpAddress home = parsed("ftp://files.example.org:2121/scans/in/");
  EXPECT_EQ(home.folder, (std::vector<std::string>{"scans", "in"}));
  EXPECT_EQ(folderUrl(home), "ftp://files.example.org:2121/scans/in/");
  const FtpAddress root = parsed("files.example.org//srv/scans");
  EXPECT_TRUE(root.fromRoot);
  EXPECT_EQ(folderUrl(root), "ftp://files.example.org:21/%2Fsrv/scans/");
  EXPECT_EQ(displayUrl(root), "ftp://files.example.org:21//srv/scans/");

  // SFTP paths are from the root in a URL; home is "~".
  EXPECT_EQ(folderUrl(parsed("sftp://host/scans/./in", 0, FtpProtocol::sftp)), "sftp://host:22/~/scans/in/");
  EXPECT_EQ(folderUrl(parsed("host//srv/scans", 0, FtpProtocol::sftp)), "sftp://host:22/srv/scans/");
}

TEST(FtpAddress, TheProtocolListDecidesWhateverSchemeTheAddressCarries) {
  EXPECT_EQ(parsed("sftp://host", 0, FtpProtocol::ftp).protocol, FtpProtocol::ftp);
  EXPECT_EQ(parsed("FTP://host", 0, FtpProtocol::sftp).port, 22);
  EXPECT_EQ(ftpProtocolFromList("FTPS"), FtpProtocol::ftps);
  EXPECT_EQ(ftpProtocolFromList("FFTP"), FtpProtocol::sftp);
  EXPECT_EQ(ftpProtocolFromList(""), FtpProtocol::ftp);
}

TEST(FtpAddress, NamesReachTheServerEscaped) {
  const FtpAddress address = parsed("host/Scans été/a#b?");
  EXPECT_EQ(fileUrl(address, "Scan 0001 (2).pdf"),
            "ftp://host:21/Scans%20%C3%A9t%C3%A9/a%23b%3F/Scan%200001%20%282%29.pdf");
  EXPECT_EQ(displayUrl(address), "ftp://host:21/Scans été/a#b?/");
}

TEST(FtpAddress, WhatCannotBeAnFtpServerIsRefusedWithItsReason) {
  EXPECT_EQ(refusal(""), "the button has no server address");
  EXPECT_EQ(refusal("   "), "the button has no server address");
  EXPECT_NE(refusal("https://host/dav").find("is not an FTP or SFTP address"), std::string::npos);
  EXPECT_NE(refusal("alice@host").find("Username field"), std::string::npos);
  EXPECT_NE(refusal("host:0").find("not a port number"), std::string::npos);
  EXPECT_NE(refusal("host:65536").find("not a port number"), std::string::npos);
  EXPECT_NE(refusal("host:ftp").find("not a port number"), std::string::npos);
  EXPECT_NE(refusal("host:").find("not a port number"), std::string::npos);
  EXPECT_NE(refusal("host", 70000).find("not a port number"), std::string::npos);
  EXPECT_NE(refusal(":21").find("names no host"), std::string::npos);
  EXPECT_NE(refusal("[::1").find("\"]\""), std::string::npos);
}

TEST(FtpNames, ATakenNameGetsTheNumberBeforeItsExtension) {
  EXPECT_EQ(numberedName("Scan0001.pdf", 2), "Scan0001 (2).pdf");
  EXPECT_EQ(numberedName("archive.tar.gz", 3), "archive.tar (3).gz");
  EXPECT_EQ(numberedName("README", 2), "README (2)");
  EXPECT_EQ(numberedName(".hidden", 2), ".hidden (2)");
}

}  // namespace
}  // namespace ostrel
