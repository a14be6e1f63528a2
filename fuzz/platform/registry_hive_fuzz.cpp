// Loads arbitrary text as a hive file of the registry store, reads every key its
// headers name (each value and subkey also looked up by name), then changes an
// unrelated key: the rewrite that follows must keep every key and value that
// could be read before it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_store.h"
#include "platform/text.h"

namespace {

using ostrel::platform::Hive;
using ostrel::platform::RegistryKey;
using ostrel::platform::RegistryValue;

struct KeyContents {
  std::string path;
  std::vector<RegistryValue> values;
  std::vector<std::string> subkeys;
};

// Also checks that what enumeration lists is found by name in another spelling.
std::optional<KeyContents> readKey(const std::string& path) {
  const auto key = RegistryKey::open(Hive::CurrentUser, path);
  if (!key) return std::nullopt;
  KeyContents contents{path, {}, {}};
  for (std::size_t i = 0; auto value = key->valueAt(i); ++i) {
    if (key->value(ostrel::platform::asciiLowerCopy(value->name)) != value) std::abort();
    contents.values.push_back(*value);
  }
  for (std::size_t i = 0; auto name = key->subkeyAt(i); ++i) {
    if (!RegistryKey::open(Hive::CurrentUser, path + "\\" + ostrel::platform::asciiLowerCopy(*name))) {
      std::abort();
    }
    contents.subkeys.push_back(*name);
  }
  return contents;
}

// The key paths named by header lines, found the way a reader of the file would.
std::vector<std::string> headerPaths(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = ostrel::platform::trimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      paths.emplace_back(line.substr(1, line.size() - 2));
    }
  }
  return paths;
}

// A key path as the store compares it: levels without case, empty levels dropped.
std::string samePathKey(std::string_view path) {
  std::string folded;
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    if (slash != 0) folded += ostrel::platform::asciiLowerCopy(path.substr(0, slash)) + '\\';
    path.remove_prefix(slash == std::string_view::npos ? path.size() : slash + 1);
  }
  return folded;
}

constexpr const char* kProbePath = "Fuzz Probe \x7f\\Inner";

// The folder that holds each run's store, removed when the fuzzer exits.
class StoreRoot {
 public:
  StoreRoot() {
    // Memory-backed when it can be: the store rewrites its file on every change.
    const std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/registry-hive-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
  }
  ~StoreRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  StoreRoot(const StoreRoot&) = delete;
  StoreRoot& operator=(const StoreRoot&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // A fresh folder each run: the store keeps parsed hives while the file looks
  // unchanged, and a rewrite within one clock tick may look unchanged.
  static const StoreRoot root;
  static unsigned long run = 0;
  const std::filesystem::path folder = root.path() / std::to_string(run++);
  std::filesystem::create_directories(folder);
  ::setenv("OSTREL_REGISTRY", folder.c_str(), 1);
  std::ofstream(folder / "HKEY_CURRENT_USER.reg", std::ios::binary) << text;

  std::vector<KeyContents> before;
  for (const std::string& path : headerPaths(text)) {
    if (auto contents = readKey(path)) before.push_back(std::move(*contents));
  }

  auto probe = RegistryKey::create(Hive::CurrentUser, kProbePath);
  if (!probe || !probe->setNumber("Stamp", 42)) std::abort();
  for (const KeyContents& old : before) {
    if (samePathKey(old.path) == samePathKey(kProbePath)) continue;  // changed on purpose
    const auto now = readKey(old.path);
    if (!now || now->values != old.values) std::abort();
    // The probe may have joined a key that the file already had.
    if (now->subkeys.size() < old.subkeys.size() ||
        !std::equal(old.subkeys.begin(), old.subkeys.end(), now->subkeys.begin())) {
      std::abort();
    }
  }
  const auto stamp = RegistryKey::open(Hive::CurrentUser, "fuzz probe \x7f\\inner");
  if (!stamp || !stamp->value("Stamp") || stamp->value("Stamp")->number != 42) std::abort();

  std::filesystem::remove_all(folder);
  return 0;
}
