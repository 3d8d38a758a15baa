// Test main: the program's own application object, offscreen unless the
// caller chose a platform (the real-window test runs on an X display).
#include <gtest/gtest.h>

#include "app/Velqoris_application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  velqoris::VelqorisApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
