#pragma once
// A file-backed hierarchical store standing in for the system registry: two hives,
// keys named by paths with '\' between levels (compared without case, spelled as
// created), values of four types, keys and values enumerated in creation order.
// Each hive is one human-readable file in $OSTREL_REGISTRY (else
// ~/.config/Ostrel/registry/), mode 0600; every change is a locked
// read-modify-write with an atomic replace, so several processes can share it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::platform {

enum class Hive { LocalMachine, CurrentUser };

enum class RegistryType { String, ExpandString, Binary, Number };

struct RegistryValue {
  std::string name;  // empty: the key's default value
  RegistryType type = RegistryType::String;
  std::string text;                // String and ExpandString (not expanded)
  std::vector<std::uint8_t> bytes; // Binary
  std::uint32_t number = 0;        // Number

  bool operator==(const RegistryValue&) const = default;
};

// The folder that holds the hive files.
std::string registryFolder();

class RegistryKey {
 public:
  // An existing key; nullopt when it does not exist.
  static std::optional<RegistryKey> open(Hive hive, std::string_view path);
  // Opens the key, creating it and every missing parent; nullopt when the store
  // cannot be written or the path is empty.
  static std::optional<RegistryKey> create(Hive hive, std::string_view path);

  std::optional<RegistryValue> value(std::string_view name) const;
  // Enumeration by index, from 0, in creation order; nullopt past the end.
  std::optional<RegistryValue> valueAt(std::size_t index) const;
  std::optional<std::string> subkeyAt(std::size_t index) const;

  // String data of a String or ExpandString value (ExpandString not expanded).
  std::optional<std::string> text(std::string_view name) const;

  bool setString(std::string_view name, std::string_view text);
  bool setExpandString(std::string_view name, std::string_view text);
  bool setBinary(std::string_view name, const std::vector<std::uint8_t>& bytes);
  bool setNumber(std::string_view name, std::uint32_t number);
  bool deleteValue(std::string_view name);

  Hive hive() const { return hive_; }
  const std::string& path() const { return path_; }

 private:
  RegistryKey(Hive hive, std::string path) : hive_(hive), path_(std::move(path)) {}
  bool setValue(RegistryValue value);

  Hive hive_;
  std::string path_;
};

// Deletes a key with all its subkeys and values; false when it did not exist.
bool deleteRegistryTree(Hive hive, std::string_view path);

}  // namespace ostrel::platform
