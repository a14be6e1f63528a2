#pragma once
// The output format codes shared by buttons, destinations and the scan job; a
// destination holds a bit mask of the codes it accepts.
namespace ostrel::format {

inline constexpr int kBmp = 1;
inline constexpr int kJpeg = 2;
inline constexpr int kGif = 4;
inline constexpr int kTiff = 8;
inline constexpr int kMultiTiff = 16;
inline constexpr int kPdf = 32;
inline constexpr int kMultiPdf = 64;
inline constexpr int kText = 128;
inline constexpr int kRichText = 256;
inline constexpr int kWordDocument = 512;

}  // namespace ostrel::format
