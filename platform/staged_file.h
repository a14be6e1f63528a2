#pragma once
// The one way the program replaces a file: the new bytes go to a hidden
// temporary file beside it (the same folder, so the rename cannot cross file
// systems), which a rename puts in place once complete. Readers see the old file
// or the new one, never part of either, and a failure or a crash on the way
// leaves the old file as it was.
//
// The temporary file is named "." + the file's name + ".ostrel-" + six letters
// or digits, hidden from name probes and folder watchers, and it is locked
// (flock) by the process writing it from the moment it exists until it is
// renamed or removed. A staging file nobody holds locked was left by a process
// that died while writing; removeAbandonedStagingFiles clears those away.
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_descriptor.h"

namespace ostrel::platform {

// Whether commit() flushes the data to the disk before the rename. Without it, a
// power cut soon after the rename may leave the file empty or short on file
// systems that write names out before data. Who asks for the flush, and why:
//   - the registry hives: the registered scanners and the program's settings
//     live only there, and are written seldom;
//   - the last good copies of the profile files: they exist to outlive a crash;
//   - a spool file copied to another file system: its original is removed
//     right after the copy.
// Who does not: key-by-key INI writes, the fax result files among them (a
// profile save is dozens of them, each its own replacement, and the last good
// copy covers them), profile files copied from a template or a last good copy
// (the copy stays), the start-up marker (it means something only while a
// manager runs), the profile templates (made again when missing) and the
// scanned files (a flush per page would hold up every batch on a slow disk, and
// the sheets are still at hand to scan again).
enum class Flush { no, beforeRename };

class StagedFile {
 public:
  // Creates the empty temporary file for path and locks it; on failure ok() is
  // false and error() holds the errno. A path that is a symbolic link is
  // replaced where the link points (a profile kept in a synced folder, say):
  // replacing the link would cut it off. A new file gets newFileMode less the
  // umask, applied by the kernel as the file is created (reading the umask means
  // setting it, which would race with files other threads create meanwhile); a
  // file that replaces another takes that one's permissions at commit().
  StagedFile(const std::string& path, unsigned newFileMode, Flush flush);
  // Removes the temporary file unless committed.
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool ok() const { return error_ == 0; }
  int error() const { return error_; }
  // Written through its name; every descriptor the writer opens on it must be
  // closed (and its close checked) before commit(). Code that replaces it by
  // name, as the INI writes do, is fine too, but what it puts there is neither
  // locked nor flushed by this object.
  const std::string& temporaryPath() const { return temporary_; }

  // Sets the permissions, flushes when asked, and renames the temporary file
  // over the target. 0, or the errno of the step that failed (the temporary
  // file is then removed when this object goes).
  int commit();

 private:
  std::string target_;
  std::string temporary_;
  UniqueFd lock_;  // the creating descriptor, holding the lock
  Flush flush_;
  bool keepMode_ = false;
  unsigned mode_ = 0;
  int error_ = 0;
  bool committed_ = false;
};

// Writes bytes to path through a StagedFile; true once the new file is in place.
bool replaceFileAtomically(const std::string& path, std::string_view bytes, unsigned newFileMode, Flush flush);

// Removes the staging files in folder that no process holds locked any more,
// those of a writer that died or was killed, and returns their paths. The file
// of a live writer, this process's or another's (a second manager writing into
// the same folder, also from another machine on a network share), is locked and
// stays. On a file system that takes no locks nothing is removed.
std::vector<std::string> removeAbandonedStagingFiles(const std::string& folder);

}  // namespace ostrel::platform
