#include "notify/window_front.h"

#include <QWidget>

namespace tv {

bool WindowInFront(const QWidget* window) {
  return window != nullptr && window->isVisible() && !window->isMinimized() &&
         window->isActiveWindow();
}

void BringToFront(QWidget* window) {
  if (window == nullptr) return;
  if (window->isMinimized()) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace tv
