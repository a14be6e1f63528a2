// Naming patterns come from the button profile file, which users and other
// programs edit: any text must expand in bounded time and memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/scan/naming/naming_pattern.h"

namespace {

class FuzzSource : public ostrel::NamingSource {
 public:
  explicit FuzzSource(std::string_view values) : values_(values) {}
  int counter() const override { return static_cast<int>(values_.size()) - 3; }
  ostrel::NamingTime now() override { return {2026, 12, 4, 14, 5, 9}; }
  // Values may hold groups of their own, which expand again.
  std::string barcode() override { return std::string(values_); }
  std::string userName() override { return std::string(values_.substr(0, values_.size() / 2)); }
  std::string computerName() override { return "<U><C>"; }

 private:
  std::string_view values_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view values = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  FuzzSource source(values);
  const ostrel::ExpandedName name = ostrel::expandPattern(pattern, source);
  if (name.baseName.size() > (std::size_t{1} << 20)) __builtin_trap();
  return 0;
}
