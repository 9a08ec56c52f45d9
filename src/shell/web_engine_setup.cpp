#include "shell/web_engine_setup.h"

#include <unistd.h>

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <cstdlib>

namespace tv {

void PrepareWebEngine() {
  // The web views' sandbox cannot run as root (containers, CI).
  if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

}  // namespace tv
