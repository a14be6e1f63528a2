#pragma once
// The user-visible texts of the program, looked up by section and key in
// Template/ResourceSetting.ini beside the program, with the built-in English text
// as the fallback. Nothing is cached: a text is read when it is shown.
#include <string>
#include <string_view>

namespace ostrel {

// "Template/ResourceSetting.ini" in the given program folder.
std::string resourceSettingPath(const std::string& programFolder);

class LocalizedText {
 public:
  explicit LocalizedText(std::string filePath) : filePath_(std::move(filePath)) {}

  // The file's value for the key (also when it is empty), else englishDefault;
  // at most 259 characters. Keys compare as the private-profile functions do,
  // without case and surrounding blanks, so "Check1 " finds "Check1". A "\n" in a
  // file value stands for a line break, which an INI line cannot hold.
  std::string operator()(std::string_view section, std::string_view key,
                         std::string_view englishDefault) const;

  const std::string& filePath() const { return filePath_; }

 private:
  std::string filePath_;
};

// Puts the number in place of the first "%d" of a looked-up text and turns "%%"
// into "%"; other '%' sequences stay as they are. A translation is outside input,
// so it is never handed to printf as a format.
std::string formatWithNumber(std::string_view text, int number);

}  // namespace ostrel
