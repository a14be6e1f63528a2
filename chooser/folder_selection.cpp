#include "chooser/folder_selection.h"

#include <algorithm>

namespace ostrel::chooser {

namespace {

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

char16_t foldCase(char16_t c) {
  // ASCII and Latin-1 letters, which is what folder names mostly hold; other
  // letters compare exactly.
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  return c;
}

}  // namespace

std::u16string bufferText(const char16_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return {};
  const char16_t* end = std::find(buffer, buffer + capacity, u'\0');
  return std::u16string(buffer, end);
}

std::u16string wantedText(std::u16string_view path, std::u16string_view folderId) {
  return std::u16string(folderId.size() > 16 ? folderId : path);
}

WantedFolder parseWanted(std::u16string_view wanted) {
  WantedFolder folder;
  if (wanted.starts_with(kFolderIdPrefix)) {
    folder.identifier = wanted.substr(kFolderIdPrefix.size());
    return folder;
  }
  if (!wanted.empty() && isSeparator(wanted.back())) wanted.remove_suffix(1);
  const auto last = std::find_if(wanted.rbegin(), wanted.rend(), isSeparator);
  if (last == wanted.rend()) {
    folder.name = wanted;
    return folder;
  }
  const std::size_t cut = static_cast<std::size_t>(wanted.rend() - last) - 1;
  folder.name = wanted.substr(cut + 1);
  const std::u16string_view before = wanted.substr(0, cut);
  const auto previous = std::find_if(before.rbegin(), before.rend(), isSeparator);
  folder.parentName = before.substr(static_cast<std::size_t>(before.rend() - previous));
  return folder;
}

bool sameNameNoCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

std::u16string folderPath(const std::vector<std::u16string>& titlesBelowRoot) {
  std::u16string path = u"/";
  for (const std::u16string& title : titlesBelowRoot) path += displayTitle(title) + u"/";
  return path;
}

std::u16string displayTitle(std::u16string_view title) {
  std::u16string shown(title);
  for (char16_t& c : shown) {
    if (c < 0x20 || c == 0x7f) c = 0xFFFD;
  }
  return shown;
}

void copyBounded(char16_t* buffer, int capacity, std::u16string_view text) {
  if (!buffer || capacity < 1) return;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity) - 1);
  std::copy_n(text.begin(), count, buffer);
  buffer[count] = u'\0';
}

}  // namespace ostrel::chooser
