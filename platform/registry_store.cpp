#include "platform/registry_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "platform/environment.h"
#include "platform/folder_lock.h"
#include "platform/staged_file.h"
#include "platform/parsed_file_cache.h"
#include "platform/text.h"

namespace ostrel::platform {

namespace {

// Orders names without case, so a std::map finds a name in any spelling.
struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(asciiLower(x)) < static_cast<unsigned char>(asciiLower(y));
    });
  }
};

// One hive file as a tree. File format, one key per header in depth-first order:
//   [SOFTWARE\Maker\Product]
//   @=sz:"default value"
//   "Name"=expand_sz:"%HOME%/x"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,ff
// Children and values stay in creation order for enumeration and writing; each
// list has an index by name beside it, so loading, finding and listing a key
// with many siblings does not compare every name with every other. A sorted
// index keeps that bound whatever names a hand-made file holds.
class KeyNode {
 public:
  explicit KeyNode(std::string name = {}) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  const std::vector<RegistryValue>& values() const { return values_; }
  const std::vector<std::unique_ptr<KeyNode>>& children() const { return children_; }

  KeyNode* child(std::string_view childName) const {
    const auto it = childIndex_.find(childName);
    return it == childIndex_.end() ? nullptr : it->second;
  }
  KeyNode& ensureChild(std::string_view childName) {
    if (KeyNode* existing = child(childName)) return *existing;
    KeyNode* created = children_.emplace_back(std::make_unique<KeyNode>(std::string(childName))).get();
    childIndex_.emplace(created->name_, created);
    return *created;
  }
  bool removeChild(std::string_view childName) {
    const auto it = childIndex_.find(childName);
    if (it == childIndex_.end()) return false;
    const KeyNode* gone = it->second;
    childIndex_.erase(it);
    std::erase_if(children_, [gone](const auto& c) { return c.get() == gone; });
    return true;
  }

  const RegistryValue* value(std::string_view valueName) const {
    const auto it = valueIndex_.find(valueName);
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
  }
  // Adds the value unless one of that name exists; the first one read wins.
  void addValue(RegistryValue value) {
    if (valueIndex_.try_emplace(value.name, values_.size()).second) values_.push_back(std::move(value));
  }
  // Replaces the value of that name in place, keeping the spelling it was
  // created with, or adds it at the end.
  void setValue(RegistryValue value) {
    const auto it = valueIndex_.find(value.name);
    if (it == valueIndex_.end()) return addValue(std::move(value));
    value.name = values_[it->second].name;
    values_[it->second] = std::move(value);
  }
  bool removeValue(std::string_view valueName) {
    const auto it = valueIndex_.find(valueName);
    if (it == valueIndex_.end()) return false;
    const std::size_t removed = it->second;
    valueIndex_.erase(it);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(removed));
    for (auto& [name, index] : valueIndex_) {
      if (index > removed) --index;
    }
    return true;
  }

 private:
  std::string name_;
  std::vector<RegistryValue> values_;
  std::vector<std::unique_ptr<KeyNode>> children_;
  std::map<std::string, KeyNode*, NoCaseLess> childIndex_;
  std::map<std::string, std::size_t, NoCaseLess> valueIndex_;
};

std::vector<std::string_view> splitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string_view part = path.substr(0, slash);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return parts;
}

bool validName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

// The system registry's own limits. Beyond them a hand-edited hive file could
// make the recursive writer overflow the stack, and since every header repeats
// its whole path, a deep chain grows quadratically when written back.
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxKeyNameLength = 255;

bool validKeyPath(std::string_view path) {
  const auto parts = splitKeyPath(path);
  if (parts.empty() || parts.size() > kMaxKeyDepth) return false;
  for (std::string_view part : parts) {
    if (part.size() > kMaxKeyNameLength || !validName(part)) return false;
  }
  return true;
}

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string at text[0]; on success removes it from text.
std::optional<std::string> unquote(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  std::size_t i = 1;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c != '\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const char e = text[i + 1];
    i += 2;
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        if (i + 1 >= text.size()) return std::nullopt;
        const int hi = hexDigit(text[i]);
        const int lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: out += e;
    }
  }
  return std::nullopt;
}

std::optional<RegistryValue> parseValueLine(std::string_view line) {
  RegistryValue value;
  if (line.starts_with('@')) {
    line.remove_prefix(1);
  } else {
    auto name = unquote(line);
    if (!name) return std::nullopt;
    value.name = std::move(*name);
  }
  if (!line.starts_with('=')) return std::nullopt;
  line.remove_prefix(1);
  if (line.starts_with("sz:") || line.starts_with("expand_sz:")) {
    value.type = line.starts_with("sz:") ? RegistryType::String : RegistryType::ExpandString;
    line.remove_prefix(line.find(':') + 1);
    auto text = unquote(line);
    if (!text) return std::nullopt;
    value.text = std::move(*text);
  } else if (line.starts_with("dword:")) {
    line.remove_prefix(6);
    if (line.empty() || line.size() > 8) return std::nullopt;
    value.type = RegistryType::Number;
    for (char c : line) {
      const int d = hexDigit(c);
      if (d < 0) return std::nullopt;
      value.number = value.number * 16 + static_cast<std::uint32_t>(d);
    }
  } else if (line.starts_with("hex:")) {
    line.remove_prefix(4);
    value.type = RegistryType::Binary;
    while (!line.empty()) {
      if (line.size() < 2) return std::nullopt;
      const int hi = hexDigit(line[0]);
      const int lo = hexDigit(line[1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      value.bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      line.remove_prefix(2);
      if (line.starts_with(',')) line.remove_prefix(1);
    }
  } else {
    return std::nullopt;
  }
  return value;
}

std::string formatValue(const RegistryValue& value) {
  std::string line = value.name.empty() ? "@" : quote(value.name);
  line += '=';
  switch (value.type) {
    case RegistryType::String: line += "sz:" + quote(value.text); break;
    case RegistryType::ExpandString: line += "expand_sz:" + quote(value.text); break;
    case RegistryType::Number: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "dword:%08x", value.number);
      line += hex;
      break;
    }
    case RegistryType::Binary: {
      line += "hex:";
      for (std::size_t i = 0; i < value.bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", value.bytes[i]);
        if (i) line += ',';
        line += hex;
      }
      break;
    }
  }
  return line;
}

class HiveTree {
 public:
  explicit HiveTree(const std::string& text) {
    KeyNode* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string_view line = trimBlanks(std::string_view(text).substr(pos, end - pos));
      if (line.ends_with('\r')) line.remove_suffix(1);
      pos = end + 1;
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[' && line.back() == ']') {
        // A key the store could never have written is skipped with its values.
        const std::string_view path = line.substr(1, line.size() - 2);
        current = validKeyPath(path) ? &ensure(path) : nullptr;
      } else if (current) {
        // Lines that do not parse (a hand edit gone wrong) are skipped, not fatal.
        if (auto value = parseValueLine(line)) current->addValue(std::move(*value));
      }
    }
  }

  const KeyNode* find(std::string_view path) const {
    const KeyNode* node = &root_;
    for (std::string_view part : splitKeyPath(path)) {
      node = node->child(part);
      if (!node) return nullptr;
    }
    return node;
  }
  KeyNode* find(std::string_view path) {
    return const_cast<KeyNode*>(static_cast<const HiveTree*>(this)->find(path));
  }

  KeyNode& ensure(std::string_view path) {
    KeyNode* node = &root_;
    for (std::string_view part : splitKeyPath(path)) node = &node->ensureChild(part);
    return *node;
  }

  bool remove(std::string_view path) {
    auto parts = splitKeyPath(path);
    if (parts.empty()) return false;
    const std::string_view last = parts.back();
    parts.pop_back();
    KeyNode* parent = &root_;
    for (std::string_view part : parts) {
      parent = parent->child(part);
      if (!parent) return false;
    }
    return parent->removeChild(last);
  }

  std::string serialise(std::string_view hiveName) const {
    std::string out = "; Ostrel registry store: " + std::string(hiveName) + "\n";
    for (const auto& child : root_.children()) write(*child, child->name(), out);
    return out;
  }

 private:
  static void write(const KeyNode& node, const std::string& path, std::string& out) {
    out += "\n[" + path + "]\n";
    for (const auto& value : node.values()) out += formatValue(value) + "\n";
    for (const auto& child : node.children()) write(*child, path + "\\" + child->name(), out);
  }

  KeyNode root_;
};

const char* hiveName(Hive hive) {
  return hive == Hive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string hivePath(Hive hive) {
  return joinPath(registryFolder(), std::string(hiveName(hive)) + ".reg");
}

ParsedFileCache<HiveTree>& cache() {
  static ParsedFileCache<HiveTree> instance(8);  // process-wide: two hives per store folder
  return instance;
}

std::shared_ptr<const HiveTree> snapshot(Hive hive) {
  auto tree = cache().load(hivePath(hive));
  return tree ? tree : std::make_shared<const HiveTree>(std::string());
}

// Runs edit on a fresh copy of the hive under the store's lock and writes the
// result back when edit returns true.
template <typename Edit>
bool modifyHive(Hive hive, Edit edit) {
  const std::string folder = registryFolder();
  if (!createFolderTree(folder)) return false;
  ::chmod(folder.c_str(), 0700);
  FolderLock lock(folder);
  const auto current = cache().load(hivePath(hive));
  auto tree = std::make_shared<HiveTree>(current ? current->serialise(hiveName(hive)) : std::string());
  if (!edit(*tree)) return false;
  if (!replaceFileAtomically(hivePath(hive), tree->serialise(hiveName(hive)), 0600, Flush::beforeRename)) {
    return false;
  }
  cache().remember(hivePath(hive), std::move(tree));
  return true;
}

}  // namespace

std::string registryFolder() {
  if (const char* folder = std::getenv("OSTREL_REGISTRY"); folder && *folder) return folder;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string base = (config && *config) ? std::string(config) : homeFolder() + "/.config";
  return base + "/Ostrel/registry";
}

std::optional<RegistryKey> RegistryKey::open(Hive hive, std::string_view path) {
  if (splitKeyPath(path).empty() || !snapshot(hive)->find(path)) return std::nullopt;
  return RegistryKey(hive, std::string(path));
}

std::optional<RegistryKey> RegistryKey::create(Hive hive, std::string_view path) {
  if (!validKeyPath(path)) return std::nullopt;
  if (!snapshot(hive)->find(path)) {
    const bool created = modifyHive(hive, [&](HiveTree& tree) {
      tree.ensure(path);
      return true;
    });
    if (!created) return std::nullopt;
  }
  return RegistryKey(hive, std::string(path));
}

std::optional<RegistryValue> RegistryKey::value(std::string_view name) const {
  const auto tree = snapshot(hive_);
  const KeyNode* node = tree->find(path_);
  const RegistryValue* found = node ? node->value(name) : nullptr;
  return found ? std::optional(*found) : std::nullopt;
}

std::optional<RegistryValue> RegistryKey::valueAt(std::size_t index) const {
  const auto tree = snapshot(hive_);
  const KeyNode* node = tree->find(path_);
  if (!node || index >= node->values().size()) return std::nullopt;
  return node->values()[index];
}

std::optional<std::string> RegistryKey::subkeyAt(std::size_t index) const {
  const auto tree = snapshot(hive_);
  const KeyNode* node = tree->find(path_);
  if (!node || index >= node->children().size()) return std::nullopt;
  return node->children()[index]->name();
}

std::optional<std::string> RegistryKey::text(std::string_view name) const {
  auto v = value(name);
  if (!v || (v->type != RegistryType::String && v->type != RegistryType::ExpandString)) {
    return std::nullopt;
  }
  return v->text;
}

bool RegistryKey::setValue(RegistryValue value) {
  if (!validName(value.name)) return false;
  return modifyHive(hive_, [&](HiveTree& tree) {
    tree.ensure(path_).setValue(std::move(value));
    return true;
  });
}

bool RegistryKey::setString(std::string_view name, std::string_view text) {
  return setValue({std::string(name), RegistryType::String, std::string(text), {}, 0});
}

bool RegistryKey::setExpandString(std::string_view name, std::string_view text) {
  return setValue({std::string(name), RegistryType::ExpandString, std::string(text), {}, 0});
}

bool RegistryKey::setBinary(std::string_view name, const std::vector<std::uint8_t>& bytes) {
  return setValue({std::string(name), RegistryType::Binary, {}, bytes, 0});
}

bool RegistryKey::setNumber(std::string_view name, std::uint32_t number) {
  return setValue({std::string(name), RegistryType::Number, {}, {}, number});
}

bool RegistryKey::deleteValue(std::string_view name) {
  return modifyHive(hive_, [&](HiveTree& tree) {
    KeyNode* node = tree.find(path_);
    return node && node->removeValue(name);
  });
}

bool deleteRegistryTree(Hive hive, std::string_view path) {
  return modifyHive(hive, [&](HiveTree& tree) { return tree.remove(path); });
}

}  // namespace ostrel::platform
