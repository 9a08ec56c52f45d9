#pragma once
// The widget tests' one application object, offscreen unless the caller chose
// a platform; whichever test asks first makes it.
#include <QApplication>

namespace tv {

inline QApplication& App() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "widgets_tests";
  static char* argv[] = {name, nullptr};
  // Run straight from the shell as well as under CTest.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return *new QApplication(argc, argv);
}

}  // namespace tv
