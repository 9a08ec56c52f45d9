#pragma once
// The embedded browser "浏览": one HTML view filling the window. Shows a given
// address (menu pages), the member's own messages, or a member's profile.
#include <QUrl>
#include <QWidget>

#include "shell/service_page.h"

class QWebEngineView;

namespace tv {

class WebPageWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { kAddress = 5, kOwnMessages = 8, kProfile = 9 };

  // `url` and `title` as the mode needs them (the title is fixed for 8 and 9).
  // Links are followed to `own_hosts` only (the portal and web hosts when
  // none are given).
  WebPageWindow(Mode mode, const QUrl& url, const QString& title, QWidget* parent = nullptr,
                OwnHosts own_hosts = {});

  Mode PageMode() const { return mode_; }
  QUrl Address() const { return url_; }
  QWebEngineView* View() const { return view_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Mode mode_;
  QUrl url_;
  QWebEngineView* view_ = nullptr;
};

}  // namespace tv
