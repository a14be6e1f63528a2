#pragma once
// Parsed copies of files by path, reused while the file is unchanged (same device,
// inode, size and modification time), so a caller can read a file key by key
// without parsing it again each time. Bounded: the least recently used copy goes
// first. Thread-safe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ostrel::platform {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;

  static FileIdentity of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
  }
};

// Document must be constructible from the file's whole text (std::string).
template <typename Document>
class ParsedFileCache {
 public:
  explicit ParsedFileCache(std::size_t capacity) : capacity_(capacity) {}

  // The parsed file, or nullptr when it is missing or not a regular file.
  std::shared_ptr<const Document> load(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    if (auto hit = cached(path, FileIdentity::of(st))) return hit;

    // Identity is taken again from the open file, so text and identity match even
    // when the file is replaced between the stat above and the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    const FileIdentity identity = FileIdentity::of(st);
    std::string text;
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    auto document = std::make_shared<const Document>(std::move(text));
    store(path, identity, document);
    return document;
  }

  // Records what the caller just wrote to path, so the next load needs no parse.
  void remember(const std::string& path, std::shared_ptr<const Document> document) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) store(path, FileIdentity::of(st), std::move(document));
  }

 private:
  struct Entry {
    FileIdentity identity;
    std::shared_ptr<const Document> document;
    std::list<std::string>::iterator position;
  };

  std::shared_ptr<const Document> cached(const std::string& path, const FileIdentity& identity) {
    std::lock_guard lock(mutex_);
    Entry* hit = find(path);
    return hit && hit->identity == identity ? hit->document : nullptr;
  }

  Entry* find(const std::string& path) {
    const auto it = entries_.find(path);
    if (it == entries_.end()) return nullptr;
    order_.splice(order_.begin(), order_, it->second.position);
    return &it->second;
  }

  void store(const std::string& path, const FileIdentity& identity,
             std::shared_ptr<const Document> document) {
    std::lock_guard lock(mutex_);
    if (auto it = entries_.find(path); it != entries_.end()) {
      order_.erase(it->second.position);
      entries_.erase(it);
    }
    if (entries_.size() >= capacity_ && !order_.empty()) {
      entries_.erase(order_.back());
      order_.pop_back();
    }
    order_.push_front(path);
    entries_.emplace(path, Entry{identity, std::move(document), order_.begin()});
  }

  const std::size_t capacity_;
  std::mutex mutex_;
  std::list<std::string> order_;
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ostrel::platform
