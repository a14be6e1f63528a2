// Parses arbitrary text as an INI file, looks keys up and edits it, checking that
// an edit is read back and leaves the text before the touched line alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // The first bytes pick the names to probe; the rest is the file.
  const std::size_t split = input.find('\x01');
  const std::string names = split == std::string::npos ? "s\x02k" : input.substr(0, split);
  const std::string text = split == std::string::npos ? input : input.substr(split + 1);
  const std::size_t sep = names.find('\x02');
  const std::string section = names.substr(0, sep);
  const std::string key = sep == std::string::npos ? "k" : names.substr(sep + 1);

  ostrel::platform::IniDocument doc(text);
  (void)doc.value(section, key);
  for (const auto& name : doc.sectionNames()) {
    for (const auto& k : doc.keyNames(name)) (void)doc.value(name, k);
  }
  ostrel::platform::IniDocument edited = doc;
  if (edited.set(section, key, "fuzz value")) {
    const auto back = edited.value(section, key);
    if (!back || *back != "fuzz value") std::abort();
  }
  return 0;
}
