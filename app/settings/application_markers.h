#pragma once
// Application markers: destination paths beginning with '@' that stand for a
// program whose install folder differs from machine to machine. They are
// resolved through the install keys in the registry store when the destination
// file loads, and failing that through the program's Linux counterpart on $PATH.
#include <string>
#include <string_view>

namespace ostrel {

struct MarkerResolution {
  // The program path, environment expanded. Empty for a marker that is none of
  // the known ones (the destination then only stores files). For a program
  // found nowhere it names a file that does not exist, so the destination is
  // skipped by the caller's existence check.
  std::string path;
  // True when the path should replace the marker in the destination file. Never
  // set for a program that was not found: writing its bare name back would lose
  // the marker, and with it the chance to find the program once installed.
  bool writeBack = false;
};

// `marker` is the whole Path value, compared exactly (case matters).
MarkerResolution ResolveApplicationMarker(std::string_view marker);

// The markers of the catalog.
namespace marker {
inline constexpr std::string_view kWord = "@MSWORD";
inline constexpr std::string_view kAcrobat = "@Adobe Acrobat";
inline constexpr std::string_view kReader = "@Adobe Reader";
inline constexpr std::string_view kPhotoshop = "@Photoshop";
inline constexpr std::string_view kPageManager = "@PageManager";
}  // namespace marker

}  // namespace ostrel
