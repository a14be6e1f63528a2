#include "app/settings/password_codec.h"

#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace ostrel {

namespace {

constexpr std::size_t kBlock = 16;

// Byte 0 first; changing it makes every stored password unreadable.
constexpr std::array<unsigned char, kBlock> kKey = {0x3c, 0x9e, 0x51, 0xa7, 0xd2, 0x0b, 0x84, 0xf6,
                                                    0xe1, 0xc8, 0x5d, 0x3a, 0x97, 0x0f, 0x26, 0xb4};
constexpr std::array<unsigned char, kBlock> kZeroVector{};

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// Runs whole blocks through AES-128-CBC without padding; nullopt when libcrypto
// refuses, which only a broken installation does.
std::optional<std::vector<std::uint8_t>> runCipher(const std::vector<std::uint8_t>& input, bool encrypt) {
  if (input.empty()) return std::vector<std::uint8_t>{};
  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context ||
      EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, kKey.data(), kZeroVector.data(),
                        encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> output(input.size() + kBlock);
  int written = 0;
  int finalWritten = 0;
  if (EVP_CipherUpdate(context.get(), output.data(), &written, input.data(),
                       static_cast<int>(input.size())) != 1 ||
      EVP_CipherFinal_ex(context.get(), output.data() + written, &finalWritten) != 1) {
    return std::nullopt;
  }
  output.resize(static_cast<std::size_t>(written + finalWritten));
  return output;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EncodePassword(std::string_view text) {
  const std::u16string units = platform::utf8ToUtf16(text);
  const std::size_t blocks = (units.size() + kBlock - 1) / kBlock;
  std::vector<std::uint8_t> plain(blocks * kBlock, 0);
  for (std::size_t i = 0; i < units.size(); ++i) plain[i] = static_cast<std::uint8_t>(units[i] & 0xFF);

  const auto cipher = runCipher(plain, true);
  if (!cipher) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string encoded;
  encoded.reserve(cipher->size() * 2);
  for (std::uint8_t byte : *cipher) {
    encoded += kDigits[byte >> 4];
    encoded += kDigits[byte & 0x0F];
  }
  return encoded;
}

std::string DecodePassword(std::string_view encoded) {
  const std::size_t count = encoded.size() / 2;
  std::vector<std::uint8_t> cipher((count / kBlock) * kBlock);
  for (std::size_t i = 0; i < cipher.size(); ++i) {
    const int high = hexDigit(encoded[2 * i]);
    const int low = hexDigit(encoded[2 * i + 1]);
    if (high < 0 || low < 0) return {};
    cipher[i] = static_cast<std::uint8_t>(high << 4 | low);
  }

  const auto plain = runCipher(cipher, false);
  if (!plain) return {};
  std::u16string units;
  for (std::uint8_t byte : *plain) {
    if (byte == 0) break;
    units += static_cast<char16_t>(byte);
  }
  return platform::utf16ToUtf8(units);
}

}  // namespace ostrel
