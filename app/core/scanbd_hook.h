#pragma once
// The hook that lets a machine's scanbd start the manager on a button press.
// scanbd reads one configuration file, scanbd.conf, which names the files of
// each scanner family by include() lines. The hook is our snippet copied into
// scanbd's "scanner.d/" folder plus one include line for it; the action script
// the snippet names stays in the program's folder.
//
// The files the program ships for it (in "<program folder>/scanbd/", installed
// from dist/scanbd/):
//   ostrel.conf           the snippet, copied to <scanbd>/scanner.d/ostrel.conf
//   ostrel-scanbd-action  the action script the snippet runs (never copied)
#include <string>

namespace ostrel {

inline constexpr const char* kScanbdShippedFolder = "scanbd";
inline constexpr const char* kScanbdSnippetName = "ostrel.conf";
inline constexpr const char* kScanbdActionName = "ostrel-scanbd-action";

// $OSTREL_SCANBD_DIR, else /etc/scanbd.
std::string scanbdConfigFolder();

// The include line that pulls the snippet into scanbd.conf.
std::string scanbdIncludeLine();

enum class HookResult {
  Done,
  NotConfigured,     // no scanbd.conf in the folder: scanbd is not set up here
  NothingShipped,    // the program's folder holds no snippet to install
  CannotWrite,       // scanbd's files cannot be changed by this user
};

struct ScanbdHook {
  std::string configFolder;   // scanbd's, holding scanbd.conf
  std::string programFolder;  // ours, holding scanbd/ostrel.conf

  // Copies the snippet and adds its include line (once); what was done, or why
  // not, is logged.
  HookResult install() const;
  // Removes the include line and the copied snippet; a hook never installed is
  // Done as well.
  HookResult remove() const;
};

}  // namespace ostrel
