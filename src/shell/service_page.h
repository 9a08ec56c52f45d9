#pragma once
// The page behind every embedded web view (the advert strip, the web page
// window): it shows the service's own pages and nothing else. A link to
// another web site is offered to the desktop's browser after a question; a
// link to a local file, to another program's scheme or to a script does
// nothing; no page reads local files. DecideWebLink (shell_decisions.h)
// draws the line.
#include <QWebEnginePage>
#include <functional>
#include <string>
#include <vector>

class QWebEngineView;
class QWidget;

namespace tv {

// The "host[:port]" texts of this run's servers, asked for at each link (the
// data server may change while a view is open).
using OwnHosts = std::function<std::vector<std::string>()>;

// The portal and web hosts: the service's hosts that every run knows.
std::vector<std::string> FixedOwnHosts();

class ServicePage : public QWebEnginePage {
  Q_OBJECT

 public:
  explicit ServicePage(OwnHosts own_hosts, QObject* parent = nullptr);

  // What becomes of a link to `url` that the member followed (the page's own
  // navigation rule, also for links that ask for a new window).
  void FollowLink(const QUrl& url);

 signals:
  // A link or navigation was held back (it did not change the page).
  void navigationHeld(const QUrl& url);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool is_main_frame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;

 private:
  OwnHosts own_hosts_;
};

// A web view on a ServicePage.
QWebEngineView* NewServiceView(OwnHosts own_hosts, QWidget* parent);

}  // namespace tv
