// libostreldsm.so: the TWAIN source manager's one export. Nothing thrown inside
// crosses it: a failure becomes TWRC_FAILURE with a condition code.
#include <new>

#include "tools/virtualscanner/source_manager.h"

using namespace ostrel::twain;

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest,
                                                                       TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                                                       TW_MEMREF data) {
  // One source manager per process, as the platform's own.
  static ostrel::virtualscanner::SourceManager manager(DSM_Entry);
  try {
    return manager.entry(origin, dest, dg, dat, msg, data);
  } catch (...) {
    return TWRC_FAILURE;
  }
}
