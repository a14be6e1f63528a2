// The test main for suites that build widgets: one QApplication for the whole
// run, on the offscreen platform unless told otherwise (test discovery runs the
// program without CTest's environment).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "tests/support/temp_home.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleMock(&argc, argv);
  // Listing the tests (CTest's discovery during the build) needs no Qt, whose
  // start-up would only warn about the build's environment.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  ostrel::testing::installTempHome();
  return RUN_ALL_TESTS();
}
