#include "shell/service_page.h"

#include <QDesktopServices>
#include <QPointer>
#include <QSslCertificate>
#include <QWebEngineCertificateError>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include "core/build_constants.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "net/certificate_check.h"
#include "net/transport.h"
#include "shell/shell_decisions.h"

namespace tv {
namespace {

// A link to "javascript:" runs inside the page without any navigation that
// the page could refuse; this keeps a click on one from doing anything. It
// runs in a world of its own, before the page's scripts, so they can
// neither remove it nor get in before it.
constexpr char kScriptLinkGuard[] = R"JS(
(function () {
  function hold(event) {
    var target = event.target;
    var link = target && target.closest ? target.closest('a[href], area[href]') : null;
    if (link && link.protocol === 'javascript:') event.preventDefault();
  }
  window.addEventListener('click', hold, true);
  window.addEventListener('auxclick', hold, true);
})();
)JS";

WebLink LinkOf(const QUrl& url) {
  return {url.scheme().toLower().toStdString(),
          url.host(QUrl::FullyEncoded).toLower().toStdString(), url.port(-1)};
}

// A link that asks for a new window gets this page: it takes the link's
// address, hands it to the opener's rule and goes; no window opens.
class NewWindowCatcher : public QWebEnginePage {
 public:
  explicit NewWindowCatcher(ServicePage* opener)
      : QWebEnginePage(opener->profile(), opener), opener_(opener) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (!caught_) {
      caught_ = true;
      QPointer<ServicePage> opener = opener_;
      QMetaObject::invokeMethod(
          opener_,
          [opener, url] {
            if (opener) opener->FollowLink(url);
          },
          Qt::QueuedConnection);
      deleteLater();
    }
    return false;
  }

 private:
  ServicePage* opener_;
  bool caught_ = false;
};

// The member's yes first: the desktop's browser is another program.
void OfferToBrowser(const QUrl& url) {
  const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
  if (AskYesNo(TV_TEXT("这是其他网站的网页:\n") + address + TV_TEXT("\n\n要用浏览器打开吗?"))) {
    QDesktopServices::openUrl(url);
  }
}

// A page whose certificate the engine did not trust: it is shown when the
// chain holds for its host against what every other connection of the
// client trusts (the system's store and the extra CA file of the settings);
// otherwise it is refused and the member told why, as for any other
// connection. Never shown without a verified chain.
void DecideCertificate(QWebEngineCertificateError error) {
  std::vector<std::string> chain;
  for (const QSslCertificate& cert : error.certificateChain()) {
    const QByteArray der = cert.toDer();
    chain.emplace_back(der.constData(), static_cast<std::size_t>(der.size()));
  }
  const std::string host = error.url().host(QUrl::FullyEncoded).toStdString();
  const std::string reason = CheckCertificateChain(chain, host);
  if (reason.empty() && error.isOverridable()) {
    error.acceptCertificate();
    return;
  }
  error.rejectCertificate();
  const int port = error.url().port(-1);
  ReportSecureConnectionFailure(port > 0 ? host + ":" + std::to_string(port) : host,
                                reason.empty() ? error.description().toStdString() : reason);
}

}  // namespace

std::vector<std::string> FixedOwnHosts() { return {PortalHost(), WebHost()}; }

ServicePage::ServicePage(OwnHosts own_hosts, QObject* parent)
    : QWebEnginePage(parent), own_hosts_(std::move(own_hosts)) {
  if (!own_hosts_) own_hosts_ = FixedOwnHosts;
  QWebEngineSettings* s = settings();
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

  QWebEngineScript guard;
  guard.setName(QStringLiteral("script-link-guard"));
  guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
  guard.setWorldId(QWebEngineScript::ApplicationWorld);
  guard.setRunsOnSubFrames(true);
  guard.setSourceCode(QString::fromLatin1(kScriptLinkGuard));
  scripts().insert(guard);
  connect(this, &QWebEnginePage::certificateError, this, &DecideCertificate);
}

void ServicePage::FollowLink(const QUrl& url) {
  switch (DecideWebLink(LinkOf(url), own_hosts_())) {
    case WebLinkAction::kFollow:
      setUrl(url);
      return;
    case WebLinkAction::kAskBrowser:
      emit navigationHeld(url);
      OfferToBrowser(url);
      return;
    case WebLinkAction::kIgnore:
      emit navigationHeld(url);
      return;
  }
}

bool ServicePage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                          bool is_main_frame) {
  const WebLinkAction action = DecideWebLink(LinkOf(url), own_hosts_());
  if (action == WebLinkAction::kFollow) return true;
  emit navigationHeld(url);
  // Only a link the member clicked in the page itself is offered; the
  // question waits until the engine has its answer.
  if (action == WebLinkAction::kAskBrowser && is_main_frame && type == NavigationTypeLinkClicked) {
    QMetaObject::invokeMethod(
        this, [url] { OfferToBrowser(url); }, Qt::QueuedConnection);
  }
  return false;
}

QWebEnginePage* ServicePage::createWindow(WebWindowType) { return new NewWindowCatcher(this); }

QWebEngineView* NewServiceView(OwnHosts own_hosts, QWidget* parent) {
  auto* view = new QWebEngineView(parent);
  view->setPage(new ServicePage(std::move(own_hosts), view));
  return view;
}

}  // namespace tv
