#include "faxsvc/credentials.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "platform/registry_store.h"

namespace ostrel::fax {
namespace {

// A textbook RC4, to check the library's cipher against something other than itself.
std::vector<std::uint8_t> referenceRc4(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
  std::uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  std::vector<std::uint8_t> out;
  for (std::size_t n = 0, i = 0, j = 0; n < data.size(); ++n) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    out.push_back(data[n] ^ s[(s[i] + s[j]) & 0xFF]);
  }
  return out;
}

TEST(PasswordCipher, IsRc4UnderTheMd5OfThePhrase) {
  const std::string phrase = passPhrase();
  EXPECT_EQ(phrase.size(), 12u);
  std::uint8_t key[16];
  unsigned int keyLength = 0;
  ASSERT_EQ(EVP_Digest(phrase.data(), phrase.size(), key, &keyLength, EVP_md5(), nullptr), 1);
  const std::string password = "s3cret-pass";
  const std::span plain(reinterpret_cast<const std::uint8_t*>(password.data()), password.size());
  const auto encrypted = rc4WithPhrase(phrase, plain);
  ASSERT_TRUE(encrypted);
  EXPECT_EQ(*encrypted, referenceRc4(key, plain));
  EXPECT_EQ(rc4WithPhrase(phrase, *encrypted), std::vector<std::uint8_t>(plain.begin(), plain.end()));
  EXPECT_EQ(rc4WithPhrase(phrase, {}), std::vector<std::uint8_t>{});
}

TEST(StoredCredentials, RoundTripThroughTheRegistryEncrypted) {
  ASSERT_EQ(storeCredentials("alice", "twenty-byte-password"), StoreResult::Stored);
  const auto key = platform::RegistryKey::open(platform::Hive::CurrentUser, kCredentialKey);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->text("UserID"), "alice");
  const auto stored = key->value("Password");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, platform::RegistryType::Binary);
  EXPECT_EQ(stored->bytes.size(), 20u);
  EXPECT_NE(std::string(stored->bytes.begin(), stored->bytes.end()), "twenty-byte-password");
  const auto loaded = loadCredentials();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->userId, "alice");
  EXPECT_EQ(loaded->password, "twenty-byte-password");
}

TEST(StoredCredentials, EmptyPasswordIsAnEncryptionFailureAndStoresNothing) {
  EXPECT_EQ(storeCredentials("bob", ""), StoreResult::EncryptionFailed);
  EXPECT_FALSE(platform::RegistryKey::open(platform::Hive::CurrentUser, kCredentialKey));
  EXPECT_FALSE(loadCredentials());
}

}  // namespace
}  // namespace ostrel::fax
