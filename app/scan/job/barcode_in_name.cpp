#include "app/scan/job/barcode_in_name.h"

#include "app/scan/naming/naming_pattern.h"

namespace ostrel {

namespace {

// Expands a pattern only to see whether it asks for the barcode; the other
// tokens get neutral values.
class BarcodeProbe : public NamingSource {
 public:
  int counter() const override { return 0; }
  NamingTime now() override { return {}; }
  std::string barcode() override {
    asked = true;
    return {};
  }
  std::string userName() override { return {}; }
  std::string computerName() override { return {}; }

  bool asked = false;
};

}  // namespace

bool nameUsesBarcode(std::string_view pattern) {
  BarcodeProbe probe;
  expandPattern(pattern, probe);
  return probe.asked;
}

}  // namespace ostrel
