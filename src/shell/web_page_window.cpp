#include "shell/web_page_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <utility>

namespace tv {

WebPageWindow::WebPageWindow(Mode mode, const QUrl& url, const QString& title, QWidget* parent,
                             OwnHosts own_hosts)
    : QWidget(parent, Qt::Window), mode_(mode), url_(url) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));
  view_ = NewServiceView(std::move(own_hosts), this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const int w = area.width();
  const int h = area.height();
  switch (mode) {
    case Mode::kAddress:
      setWindowTitle(title);
      move(0, 0);
      resize(w, h - 60);
      break;
    case Mode::kOwnMessages:
      setWindowTitle(QStringLiteral("我发布的信息"));
      resize(570, 500);
      move((w - 570) / 2, (h - 500) / 2);
      break;
    case Mode::kProfile:
      setWindowTitle(QStringLiteral("发布用户信息"));
      move((w - 370) / 2, (h - 345) / 2);
      resize(370, 345);
      break;
  }
  view_->load(url);
}

void WebPageWindow::keyPressEvent(QKeyEvent* event) {
  // Enter and Esc belong to the page; only the close box closes the window.
  event->accept();
}

}  // namespace tv
