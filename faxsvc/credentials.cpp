#include "faxsvc/credentials.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <array>
#include <memory>

#include "faxsvc/protocol.h"
#include "platform/registry_store.h"

namespace ostrel::fax {

namespace {

using platform::Hive;
using platform::RegistryKey;

constexpr std::string_view kTable = "mZq7RtVa2LkXc9PwEbN4yHu";
constexpr std::array<std::uint8_t, 12> kPhraseIndex{3, 17, 9, 0, 22, 5, 12, 19, 7, 14, 1, 10};

// RC4 lives in OpenSSL 3's legacy provider. Loading it into a library context
// of our own leaves the host program's default context alone.
struct LegacyContext {
  std::unique_ptr<OSSL_LIB_CTX, decltype(&OSSL_LIB_CTX_free)> context{OSSL_LIB_CTX_new(), OSSL_LIB_CTX_free};
  std::unique_ptr<OSSL_PROVIDER, decltype(&OSSL_PROVIDER_unload)> legacy{
      context ? OSSL_PROVIDER_load(context.get(), "legacy") : nullptr, OSSL_PROVIDER_unload};
  std::unique_ptr<OSSL_PROVIDER, decltype(&OSSL_PROVIDER_unload)> base{
      context ? OSSL_PROVIDER_load(context.get(), "default") : nullptr, OSSL_PROVIDER_unload};
};

}  // namespace

std::string passPhrase() {
  std::string phrase;
  for (const std::uint8_t index : kPhraseIndex) phrase += kTable[index];
  return phrase;
}

std::optional<std::vector<std::uint8_t>> rc4WithPhrase(std::string_view phrase,
                                                      std::span<const std::uint8_t> data) {
  if (data.empty()) return std::vector<std::uint8_t>{};
  const LegacyContext libraries;
  if (!libraries.legacy || !libraries.base) return std::nullopt;

  std::array<unsigned char, EVP_MAX_MD_SIZE> key{};
  unsigned int keyLength = 0;
  const std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> md5(
      EVP_MD_fetch(libraries.context.get(), "MD5", nullptr), EVP_MD_free);
  if (!md5 || EVP_Digest(phrase.data(), phrase.size(), key.data(), &keyLength, md5.get(), nullptr) != 1) {
    return std::nullopt;
  }

  const std::unique_ptr<EVP_CIPHER, decltype(&EVP_CIPHER_free)> rc4(
      EVP_CIPHER_fetch(libraries.context.get(), "RC4", nullptr), EVP_CIPHER_free);
  const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> cipher(EVP_CIPHER_CTX_new(),
                                                                              EVP_CIPHER_CTX_free);
  if (!rc4 || !cipher || EVP_CIPHER_get_key_length(rc4.get()) != static_cast<int>(keyLength) ||
      EVP_EncryptInit_ex2(cipher.get(), rc4.get(), key.data(), nullptr, nullptr) != 1) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out(data.size());
  int written = 0;
  int tail = 0;
  if (EVP_EncryptUpdate(cipher.get(), out.data(), &written, data.data(), static_cast<int>(data.size())) != 1 ||
      EVP_EncryptFinal_ex(cipher.get(), out.data() + written, &tail) != 1 ||
      static_cast<std::size_t>(written + tail) != data.size()) {
    return std::nullopt;
  }
  return out;
}

StoreResult storeCredentials(const std::string& userId, const std::string& password) {
  const auto encrypted = rc4WithPhrase(
      passPhrase(), std::span(reinterpret_cast<const std::uint8_t*>(password.data()), password.size()));
  if (!encrypted || encrypted->empty()) return StoreResult::EncryptionFailed;
  auto key = RegistryKey::create(Hive::CurrentUser, kCredentialKey);
  if (!key || !key->setString("UserID", userId)) return StoreResult::UserIdFailed;
  if (!key->setBinary("Password", *encrypted)) return StoreResult::PasswordFailed;
  return StoreResult::Stored;
}

std::optional<Credentials> loadCredentials() {
  const auto key = RegistryKey::open(Hive::CurrentUser, kCredentialKey);
  if (!key) return std::nullopt;
  const auto userId = key->text("UserID");
  const auto password = key->value("Password");
  if (!userId || !password || password->type != platform::RegistryType::Binary) return std::nullopt;
  // Read as through the original fixed buffers: 21 bytes, 20 characters kept.
  std::span<const std::uint8_t> stored(password->bytes);
  stored = stored.first(std::min<std::size_t>(stored.size(), kCredentialMax + 1));
  const auto plain = rc4WithPhrase(passPhrase(), stored);
  if (!plain) return std::nullopt;
  std::string text(plain->begin(), plain->end());
  text = text.substr(0, std::min(text.find('\0'), kCredentialMax));
  return Credentials{userId->substr(0, kCredentialMax), text};
}

}  // namespace ostrel::fax
