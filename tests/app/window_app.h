#pragma once
// The application object of a test program that runs the real main window
// offscreen, ready for its web views; `name` is the program's name (each
// program keeps its web data apart). Whichever test asks first makes it.
#include <unistd.h>

#include <QApplication>
#include <cstdlib>

namespace tv {

inline QApplication& MainWindowTestApp(const char* name) {
  static QApplication* app = [name] {
    if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    static int argc = 1;
    static std::string program = name;
    static char* argv[] = {program.data(), nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace tv
