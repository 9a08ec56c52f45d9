#include "shell/web_engine_setup.h"

#include <unistd.h>

#include <QQuickWindow>
#include <QtGlobal>
#include <QSGRendererInterface>
#include <cstdlib>

namespace tv {

void PrepareWebEngine() {
  // The web views' sandbox cannot run as root (containers, CI).
  if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  // Nothing here draws through OpenGL, yet the web engine makes a GL context
  // as the application starts, which loads the GL driver (a software
  // rasteriser and its compiler where there is no GPU driver): on X, no GL
  // at all unless the member asks for it.
  if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION")) qputenv("QT_XCB_GL_INTEGRATION", "none");
}

}  // namespace tv
