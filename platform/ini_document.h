#pragma once
// One INI file's text and its index, with the private-profile rules: section and
// key names compare without case and without surrounding blanks, the first match
// wins, and an edit changes only the line it touches, so every other byte of the
// text stays as it was. A file that starts with a UTF-16 byte-order mark (as
// translations saved on other systems often do) is read as UTF-16 and written
// back in it; any other file is taken as UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostrel::platform {

class IniDocument {
 public:
  IniDocument() = default;
  // The file's bytes as read.
  explicit IniDocument(std::string bytes);

  // The value of the key, trimmed and with one pair of matching quotes removed;
  // nullopt when the section or the key is missing.
  std::optional<std::string_view> value(std::string_view section, std::string_view key) const;

  // Section names and the key names of one section, in file order, first
  // occurrence only, spelled as in the file.
  std::vector<std::string> sectionNames() const;
  std::vector<std::string> keyNames(std::string_view section) const;

  // Updates the key in place, appends it to its section, or appends the section.
  // Returns false (and changes nothing) for names that cannot be written as one
  // line: empty, or holding '=', '[', ']' or a line break, or a key starting
  // with ';' (it would read back as a comment). Line breaks in the
  // value become blanks so a value can never add lines of its own.
  bool set(std::string_view section, std::string_view key, std::string_view value);

  // The text as UTF-8, and the bytes to write back, in the file's own encoding.
  const std::string& text() const { return text_; }
  std::string fileBytes() const;

 private:
  struct Line {
    std::size_t begin = 0;       // first byte of the line
    std::size_t contentEnd = 0;  // end of the line without its CR LF / LF
    std::size_t end = 0;         // first byte after the line break
  };
  struct Key {
    std::string name;  // as in the file, trimmed
    std::size_t line = 0;
    std::size_t valueBegin = 0;  // offsets into text_, so copies and moves stay valid
    std::size_t valueLength = 0;
  };
  struct Section {
    std::string name;  // as in the file, trimmed
    std::size_t headerLine = 0;
    std::size_t lastEntryLine = 0;  // last key line, or the header
    std::vector<Key> keys;
    std::unordered_map<std::string, std::size_t> keyIndex;  // lower-case name -> first key
  };

  enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

  void parse();
  // What completes the line that ends at position before text is added there.
  std::string lineEndMissingBefore(std::size_t position) const;
  const Section* findSection(std::string_view name) const;

  Encoding encoding_ = Encoding::Utf8;
  std::string text_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // lower-case name -> first section
};

}  // namespace ostrel::platform
