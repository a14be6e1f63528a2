#pragma once
// The application's side of the TWAIN source manager for one session: the
// source manager library, loaded by file name when the session starts, this
// program's identity, the parent window, and the data sources the session
// found (owned; the last match is the selected one).
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/dib.h"
#include "scanners/protocol/twain_protocol.h"
#include "platform/dynamic_library.h"

namespace ostrel {

class TwainDataSource;

// "libostreldsm.so" in the program's folder.
std::string defaultSourceManagerPath();

// Stands for the desktop window, which always exists here: the sources show no
// windows of their own, but the protocol wants a parent.
twain::TW_HANDLE desktopWindow();

class TwainManager {
 public:
  explicit TwainManager(std::string sourceManagerPath = defaultSourceManagerPath());
  ~TwainManager();
  TwainManager(const TwainManager&) = delete;
  TwainManager& operator=(const TwainManager&) = delete;

  // DG_CONTROL / DAT_PARENT / MSG_OPENDSM with the parent window; the parent
  // stays null when the library is missing or the call fails.
  bool OpenSourceManager(twain::TW_HANDLE parent);
  // Closes and deletes every listed source, then DG_CONTROL / DAT_PARENT / MSG_CLOSEDSM.
  void CloseSourceManager();
  bool IsOpen() const { return parent_ != nullptr; }
  twain::TW_HANDLE Parent() const { return parent_; }

  // The identities of the sources whose product name is productName, in the
  // order the source manager enumerates them.
  std::vector<twain::TW_IDENTITY> FindSources(std::string_view productName);

  // Lists a source; the last one listed is the selected one.
  TwainDataSource& AddSource(std::unique_ptr<TwainDataSource> source);
  TwainDataSource* Selected() const { return sources_.empty() ? nullptr : sources_.back().get(); }

  twain::TW_UINT16 Call(twain::TW_IDENTITY* dest, twain::TW_UINT32 dg, twain::TW_UINT16 dat,
                        twain::TW_UINT16 msg, twain::TW_MEMREF data);
  // DAT_STATUS of the source manager (dest null) or of a source.
  twain::TW_UINT16 ConditionCode(twain::TW_IDENTITY* dest);

  // The source manager's memory, in which containers and images travel.
  twain::TW_HANDLE Allocate(twain::TW_UINT32 size) const;
  void Release(twain::TW_HANDLE handle) const;
  void* Lock(twain::TW_HANDLE handle) const;
  void Unlock(twain::TW_HANDLE handle) const;

  // A native image (a packed bitmap in a handle) as a page that keeps the
  // handle's memory rather than a copy of it. The page frees the handle when it
  // goes, perhaps long after this session (the source manager stays loaded till
  // then); a handle that holds no usable bitmap is freed at once.
  std::optional<Dib> TakeNativeImage(twain::TW_HANDLE image, std::string* error) const;

  const twain::TW_IDENTITY& Identity() const { return identity_; }

 private:
  std::string libraryPath_;
  std::shared_ptr<const platform::DynamicLibrary> library_;
  twain::DSMENTRYPROC entry_ = nullptr;
  twain::TW_ENTRYPOINT memory_{};
  twain::TW_IDENTITY identity_{};
  twain::TW_HANDLE parent_ = nullptr;
  std::vector<std::unique_ptr<TwainDataSource>> sources_;
};

}  // namespace ostrel
