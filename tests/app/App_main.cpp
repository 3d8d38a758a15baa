// Test main: the program's own application object, offscreen unless the
// caller chose a platform (the real-window test runs on an X display).
#include <gtest/gtest.h>

#include "app/Velqoris_application.h"
#include "tests/support/Temp_files.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Runs that end keep a copy in the user's data folder: here a temporary one.
  velqoris::testing::TempDir data;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path("share")));
  ::testing::InitGoogleTest(&argc, argv);
  velqoris::VelqorisApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
