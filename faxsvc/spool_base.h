#pragma once
// The one folder the fax service and the host program's fax dialogs share: the
// service's settings file, its spool and its logs. Both ask here, so they
// cannot disagree. Header-only: the host program links the library's exports,
// not its insides.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel::fax {

// OSTREL_FAX_DIR when set (tests keep to their own folder); else the program's
// folder when this user may write there (a build, a portable copy); else, for
// an installed program whose folder is read-only, <AppData>/Ostrel/Fax, made
// when missing. Empty when the program's folder cannot be determined.
inline std::string spoolBaseFolder() {
  if (const char* folder = std::getenv("OSTREL_FAX_DIR"); folder && *folder) return folder;
  const std::string program = platform::programFolder();
  if (program.empty() || program.front() != '/') return {};
  if (::access(program.c_str(), W_OK) == 0) return program;
  const std::string own = platform::joinPath(platform::joinPath(platform::appDataFolder(), "Ostrel"), "Fax");
  platform::createFolderTree(own);
  return own;
}

}  // namespace ostrel::fax
