#include "platform/ini_document.h"

#include "platform/text.h"

namespace ostrel::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianBom = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianBom = "\xFE\xFF";

// Code units of UTF-16 bytes (after the byte-order mark); an odd last byte is
// no whole unit and is dropped.
std::u16string unitsOf(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  return units;
}

std::string bytesOf(std::u16string_view units, bool bigEndian) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}
constexpr std::string_view kLineBreak = "\r\n";

std::string_view stripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool writableName(std::string_view name) {
  if (name.empty()) return false;
  return name.find_first_of("=[]\r\n") == std::string_view::npos;
}

// A key written as ";name=..." would read back as a comment.
bool writableKey(std::string_view key) { return writableName(key) && key.front() != ';'; }

std::string oneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

IniDocument::IniDocument(std::string bytes) {
  if (bytes.starts_with(kUtf16LittleEndianBom) || bytes.starts_with(kUtf16BigEndianBom)) {
    const bool bigEndian = bytes.starts_with(kUtf16BigEndianBom);
    encoding_ = bigEndian ? Encoding::Utf16BigEndian : Encoding::Utf16LittleEndian;
    text_ = utf16ToUtf8(unitsOf(std::string_view(bytes).substr(2), bigEndian));
  } else {
    text_ = std::move(bytes);
  }
  parse();
}

std::string IniDocument::fileBytes() const {
  if (encoding_ == Encoding::Utf8) return text_;
  const bool bigEndian = encoding_ == Encoding::Utf16BigEndian;
  return std::string(bigEndian ? kUtf16BigEndianBom : kUtf16LittleEndianBom) +
         bytesOf(utf8ToUtf16(text_), bigEndian);
}

void IniDocument::parse() {
  lines_.clear();
  sections_.clear();
  sectionIndex_.clear();

  std::size_t pos = 0;
  while (pos < text_.size()) {
    Line line;
    line.begin = pos;
    const std::size_t newline = text_.find('\n', pos);
    line.end = newline == std::string::npos ? text_.size() : newline + 1;
    line.contentEnd = newline == std::string::npos ? text_.size() : newline;
    if (line.contentEnd > line.begin && text_[line.contentEnd - 1] == '\r') --line.contentEnd;
    pos = line.end;
    const std::size_t lineNo = lines_.size();
    lines_.push_back(line);

    std::string_view content(text_.data() + line.begin, line.contentEnd - line.begin);
    if (lineNo == 0 && content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
    content = trimBlanks(content);
    if (content.empty() || content.front() == ';') continue;

    if (content.front() == '[') {
      content.remove_prefix(1);
      const std::size_t close = content.find(']');
      Section section;
      section.name = std::string(trimBlanks(content.substr(0, close)));
      section.headerLine = lineNo;
      section.lastEntryLine = lineNo;
      sectionIndex_.try_emplace(asciiLowerCopy(section.name), sections_.size());
      sections_.push_back(std::move(section));
      continue;
    }
    if (sections_.empty()) continue;  // keys before the first section belong to none

    Section& section = sections_.back();
    const std::size_t equals = content.find('=');
    Key key;
    key.line = lineNo;
    if (equals == std::string_view::npos) {
      key.name = std::string(content);
    } else {
      key.name = std::string(trimBlanks(content.substr(0, equals)));
      const std::string_view value = stripQuotes(trimBlanks(content.substr(equals + 1)));
      key.valueBegin = static_cast<std::size_t>(value.data() - text_.data());
      key.valueLength = value.size();
    }
    section.lastEntryLine = lineNo;
    section.keyIndex.try_emplace(asciiLowerCopy(key.name), section.keys.size());
    section.keys.push_back(std::move(key));
  }
}

std::string IniDocument::lineEndMissingBefore(std::size_t position) const {
  // Only the file's last line can lack its line feed. A carriage return
  // already there gets its feed; adding a whole CR LF would leave the CR in
  // that line's value.
  if (position == 0 || text_[position - 1] == '\n') return {};
  return text_[position - 1] == '\r' ? "\n" : std::string(kLineBreak);
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const {
  const auto it = sectionIndex_.find(asciiLowerCopy(trimBlanks(name)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string_view> IniDocument::value(std::string_view section,
                                                   std::string_view key) const {
  const Section* found = findSection(section);
  if (!found) return std::nullopt;
  const auto it = found->keyIndex.find(asciiLowerCopy(trimBlanks(key)));
  if (it == found->keyIndex.end()) return std::nullopt;
  const Key& entry = found->keys[it->second];
  return std::string_view(text_).substr(entry.valueBegin, entry.valueLength);
}

std::vector<std::string> IniDocument::sectionNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (sectionIndex_.at(asciiLowerCopy(sections_[i].name)) == i) names.push_back(sections_[i].name);
  }
  return names;
}

std::vector<std::string> IniDocument::keyNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* found = findSection(section)) {
    for (std::size_t i = 0; i < found->keys.size(); ++i) {
      if (found->keyIndex.at(asciiLowerCopy(found->keys[i].name)) == i) {
        names.push_back(found->keys[i].name);
      }
    }
  }
  return names;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  if (!writableName(section) || !writableKey(key)) return false;
  const std::string newValue = oneLine(value);

  if (const Section* found = findSection(section)) {
    const auto it = found->keyIndex.find(asciiLowerCopy(key));
    if (it != found->keyIndex.end()) {
      const Key& existing = found->keys[it->second];
      const Line& line = lines_[existing.line];
      const std::string replacement = existing.name + "=" + newValue;
      text_.replace(line.begin, line.contentEnd - line.begin, replacement);
    } else {
      const Line& after = lines_[found->lastEntryLine];
      std::string insertion = lineEndMissingBefore(after.end);
      insertion += std::string(key) + "=" + newValue + std::string(kLineBreak);
      text_.insert(after.end, insertion);
    }
  } else {
    std::string addition = lineEndMissingBefore(text_.size());
    if (!text_.empty()) addition += kLineBreak;  // a blank line between sections
    addition += "[" + std::string(section) + "]" + std::string(kLineBreak);
    addition += std::string(key) + "=" + newValue + std::string(kLineBreak);
    text_ += addition;
  }
  parse();
  return true;
}

}  // namespace ostrel::platform
