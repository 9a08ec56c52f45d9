#pragma once
// The application object of a test program that runs the real main window
// offscreen, ready for its web views; `name` is the program's name (each
// program keeps its web data apart). Whichever test asks first makes it;
// the program's main (window_test_main.cpp) ends it after the last test.
#include <QApplication>
#include <string>

#include "shell/web_engine_setup.h"

namespace tv {

inline QApplication*& MainWindowTestAppSlot() {
  static QApplication* app = nullptr;
  return app;
}

inline QApplication& MainWindowTestApp(const char* name) {
  QApplication*& app = MainWindowTestAppSlot();
  if (app == nullptr) {
    PrepareWebEngine();
    static int argc = 1;
    static std::string program = name;
    static char* argv[] = {program.data(), nullptr};
    app = new QApplication(argc, argv);
  }
  return *app;
}

// Deletes the application object, if a test made one. The web engine stops
// its threads with it; left to the end of the process, they would run on
// while the exit handlers destroy what they use.
inline void EndMainWindowTestApp() {
  delete MainWindowTestAppSlot();
  MainWindowTestAppSlot() = nullptr;
}

}  // namespace tv
