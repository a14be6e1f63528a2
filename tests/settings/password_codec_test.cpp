#include "app/settings/password_codec.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// Computed independently with
//   printf '<text, zero-filled>' | openssl enc -aes-128-cbc -nopad
//     -K 3c9e51a7d20b84f6e1c85d3a970f26b4 -iv 00000000000000000000000000000000 | xxd -p
constexpr const char* kSecret = "b47b7846467407048a4ca75d5a423da2";
constexpr const char* kSixteen = "aa737d9ae578f6400f7d7580b000b570";
constexpr const char* kSeventeen = "aa737d9ae578f6400f7d7580b000b57096a358c36ad1de07c72def55b507df22";
constexpr const char* kLowBytesE9Ac = "eced5492e7754faee45b921ad9c02e3e";   // bytes e9 ac
constexpr const char* kLowBytesAb0Cd = "cfd492501281ff80170cbd389fd0024e";  // bytes 61 62 00 63 64

TEST(PasswordCodec, MatchesAesCbcWithZeroFilledBlocks) {
  EXPECT_EQ(EncodePassword(""), "");
  EXPECT_EQ(EncodePassword("secret"), kSecret);
  EXPECT_EQ(EncodePassword("ABCDEFGHIJKLMNOP"), kSixteen);     // a full block gets no extra one
  EXPECT_EQ(EncodePassword("ABCDEFGHIJKLMNOPQ"), kSeventeen);  // chained into the second block
  EXPECT_EQ(EncodePassword("secret"), EncodePassword("secret"));
}

TEST(PasswordCodec, DecodesWhatItEncodesInEitherCase) {
  EXPECT_EQ(DecodePassword(""), "");
  EXPECT_EQ(DecodePassword(kSecret), "secret");
  EXPECT_EQ(DecodePassword(kSixteen), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(DecodePassword(kSeventeen), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(DecodePassword("B47B7846467407048A4CA75D5A423DA2"), "secret");
  const std::string latin1 = "caf\u00e9 \u00ff";  // characters up to 255 survive
  EXPECT_EQ(DecodePassword(EncodePassword(latin1)), latin1);
}

TEST(PasswordCodec, KeepsOnlyTheLowByteOfEachCharacter) {
  // U+00E9 and U+20AC: the euro sign's low byte is 0xAC, which decodes as U+00AC.
  EXPECT_EQ(EncodePassword("\u00e9\u20ac"), kLowBytesE9Ac);
  EXPECT_EQ(DecodePassword(kLowBytesE9Ac), "\u00e9\u00ac");
  // U+0100 has a zero low byte, which ends the decoded text.
  EXPECT_EQ(EncodePassword("ab\u0100cd"), kLowBytesAb0Cd);
  EXPECT_EQ(DecodePassword(kLowBytesAb0Cd), "ab");
}

TEST(PasswordCodec, DamagedTextNeverReadsPastItsBlocks) {
  // An odd digit and a partial block are dropped; what is whole still decodes.
  EXPECT_EQ(DecodePassword(std::string(kSecret) + "7"), "secret");
  EXPECT_EQ(DecodePassword(std::string(kSeventeen).substr(0, 50)), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(DecodePassword(std::string(kSecret).substr(0, 31)), "");
  EXPECT_EQ(DecodePassword("zz7b7846467407048a4ca75d5a423da2"), "");
  EXPECT_EQ(DecodePassword(std::string(32, ' ')), "");
}

}  // namespace
}  // namespace ostrel
