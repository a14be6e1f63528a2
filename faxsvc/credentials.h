#pragma once
// The service credentials kept in the current user's registry store: the user ID
// as text and the password RC4-encrypted under a key derived from an MD5 hash of
// a fixed pass phrase.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::fax {

inline constexpr const char* kCredentialKey = "Software\\Brannock\\DllModule";

// The pass phrase, assembled from a character table so the library never holds
// it as one literal.
std::string passPhrase();

// RC4 under MD5(phrase); the output has the input's length (RC4 is its own
// inverse). nullopt when the cipher is unavailable. Empty input: empty output.
std::optional<std::vector<std::uint8_t>> rc4WithPhrase(std::string_view phrase,
                                                      std::span<const std::uint8_t> data);

enum class StoreResult { Stored, UserIdFailed, PasswordFailed, EncryptionFailed };

// Encrypts the password and stores both values. An empty password encrypts to
// nothing, which is an EncryptionFailed as well.
StoreResult storeCredentials(const std::string& userId, const std::string& password);

struct Credentials {
  std::string userId;
  std::string password;
};
// nullopt when either value is missing or cannot be decrypted.
std::optional<Credentials> loadCredentials();

}  // namespace ostrel::fax
