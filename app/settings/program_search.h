#pragma once
// Finding the desktop programs that stand in for the destinations' programs.
#include <array>
#include <span>
#include <string>
#include <string_view>

namespace ostrel {

// The full path of the first name, in the order given, that is an executable
// file in one of the folders of $PATH (searched in order); empty when none is.
std::string findProgramOnPath(std::span<const std::string_view> names);

// The Linux programs that take the place of the catalog's desktop programs,
// most common desktop's choice first.
namespace counterpart {
inline constexpr std::array<std::string_view, 3> kPaint = {"kolourpaint", "pinta", "gimp"};
inline constexpr std::array<std::string_view, 6> kTextEditor = {
    "gedit", "gnome-text-editor", "mousepad", "kate", "xed", "pluma"};
inline constexpr std::array<std::string_view, 2> kWordProcessor = {"lowriter", "libreoffice"};
inline constexpr std::array<std::string_view, 5> kPdfViewer = {"evince", "okular", "atril", "qpdfview",
                                                               "xpdf"};
inline constexpr std::array<std::string_view, 1> kImageEditor = {"gimp"};
}  // namespace counterpart

}  // namespace ostrel
