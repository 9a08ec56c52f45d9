// GoogleTest main with a Qt application object, so controllers can run their
// timers and receive their workers' answers (widget tests build it with
// FEED_TEST_WIDGETS for a QApplication).
#ifdef FEED_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Test discovery runs the binary without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
