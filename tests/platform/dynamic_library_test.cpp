#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

TEST(DynamicLibrary, LoadsASystemLibraryAndResolvesSymbols) {
  auto library = DynamicLibrary::open("libm.so.6");
  ASSERT_TRUE(library);
  auto cosine = library->function<double(double)>("cos");
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(library->symbol("no_such_symbol_here"), nullptr);
}

TEST(DynamicLibrary, MissingOrBrokenFilesReportAnError) {
  std::string error;
  EXPECT_FALSE(DynamicLibrary::open(ostrel::testing::tempRoot() + "/missing.so", &error));
  EXPECT_FALSE(error.empty());
  const std::string notALibrary =
      ostrel::testing::writeFile(ostrel::testing::tempRoot() + "/fake.so", "not an ELF file");
  EXPECT_FALSE(DynamicLibrary::open(notALibrary, &error));
}

}  // namespace
}  // namespace ostrel::platform
