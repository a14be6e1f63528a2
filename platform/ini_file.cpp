#include "platform/ini_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

#include "platform/folder_lock.h"
#include "platform/ini_document.h"
#include "platform/parsed_file_cache.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel::platform {

namespace {

// Process-wide, like the system's own profile cache. Bounded because spool
// folders bring many short-lived files.
ParsedFileCache<IniDocument>& cache() {
  static ParsedFileCache<IniDocument> instance(256);
  return instance;
}

int parseProfileInt(std::string_view text) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > static_cast<std::int64_t>(INT_MAX) + 1) break;  // clamped below
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool isTextByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' || byte == 0x1A;
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path) {
  const auto document = cache().load(path);
  const auto value = document ? document->value(section, key) : std::nullopt;
  return truncateChars(value ? *value : defaultValue, kProfileValueMax);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path) {
  const auto document = cache().load(path);
  const auto value = document ? document->value(section, key) : std::nullopt;
  // A key with nothing after '=' reads like a missing one, as the system's
  // profile functions do: "FileFormat=" must not become format 0.
  return value && !value->empty() ? parseProfileInt(*value) : defaultValue;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
  FolderLock lock(folderOf(path));
  const auto current = cache().load(path);
  IniDocument document = current ? *current : IniDocument();
  if (!document.set(section, key, value)) return false;
  if (!replaceFileAtomically(path, document.fileBytes(), 0666, Flush::no)) return false;
  cache().remember(path, std::make_shared<const IniDocument>(std::move(document)));
  return true;
}

std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path) {
  const auto document = cache().load(path);
  return document ? document->sectionNames() : std::vector<std::string>{};
}

std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, const std::string& path) {
  const auto document = cache().load(path);
  return document ? document->keyNames(section) : std::vector<std::string>{};
}

bool profileFileIsText(const std::string& path) {
  const auto document = cache().load(path);
  return !document || std::all_of(document->text().begin(), document->text().end(), isTextByte);
}

}  // namespace ostrel::platform
