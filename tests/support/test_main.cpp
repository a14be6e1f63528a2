#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_home.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  ostrel::testing::installTempHome();
  return RUN_ALL_TESTS();
}
