// GoogleTest main for the account windows: one QApplication, set up so that a
// web page window (the service terms) can be created offscreen.
#include <gtest/gtest.h>

#include <QApplication>

#include "shell/web_engine_setup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Test discovery runs the binary without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tv::PrepareWebEngine();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
