// libostreldsm.so: the TWAIN source manager's one export. Nothing thrown inside
// crosses it: a failure becomes TWRC_FAILURE with a condition code.
#include <new>

#include "platform/dynamic_library.h"
#include "platform/text.h"
#include "scanners/sourcemanager/source_manager.h"

using namespace ostrel::twain;

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest,
                                                                       TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                                                       TW_MEMREF data) {
  // One source manager per process, as the platform's own. Generated pages
  // come from the drawing library beside this one, where the tools install it.
  static ostrel::virtualscanner::LibrarySheetDrawer drawer(ostrel::platform::joinPath(
      ostrel::platform::folderOf(ostrel::platform::modulePathOf(reinterpret_cast<const void*>(&DSM_Entry))),
      ostrel::virtualscanner::kSheetDrawingLibrary));
  static ostrel::virtualscanner::SourceManager manager(DSM_Entry, &drawer);
  try {
    return manager.entry(origin, dest, dg, dat, msg, data);
  } catch (...) {
    return TWRC_FAILURE;
  }
}
