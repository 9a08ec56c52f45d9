// The embedded web views show the service's pages and nothing else: a page
// of the service links to a local file, to another program's scheme, to
// another web site (in the page and in a new window) and to a script. A
// click on each leaves the view where it was and starts nothing; another
// site goes to the desktop's browser only after the member said yes.
#include <httplib.h>

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "local_service.h"
#include "net/login_answer.h"
#include "net/transport.h"
#include "shell/service_page.h"
#include "shell/shell_decisions.h"
#include "shell/web_page_window.h"
#include "test_ca.h"
#include "window_app.h"

namespace tv {
namespace {

constexpr int kLinkHeight = 40;

// The service's web pages, on 127.0.0.1. 127.0.0.2 is another site.
class PageServer {
 public:
  PageServer() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    const std::string other = "http://127.0.0.2:" + std::to_string(port_) + "/other.html";
    const std::string page =
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>page</title>"
        "<style>body{margin:0} a{display:block;height:" +
        std::to_string(kLinkHeight) +
        "px}</style>"
        // Each click that reaches the page is counted in its title, once
        // whatever the click set off in the page (a script link runs as a
        // task of its own, queued at once) has had its turn.
        "<script>var clicks = 0; document.addEventListener('click', function () {"
        " var n = ++clicks; setTimeout(function () { document.title = 'click ' + n; }, 300);"
        " });</script></head><body>"
        "<a href=\"file:///etc/hostname\">file</a>"
        "<a href=\"tvtest://start/program\">scheme</a>"
        "<a href=\"" +
        other +
        "\">other</a>"
        "<a href=\"" +
        other +
        "\" target=\"_blank\">blank</a>"
        "<a href=\"javascript:void(document.title='ran')\">script</a>"
        "<a href=\"/after.html\">own</a>"
        "</body></html>";
    server_.Get("/page.html", [this, page](const httplib::Request& r, httplib::Response& res) {
      Record(r.path);
      res.set_content(page, "text/html");
    });
    server_.Get("/after.html", [this](const httplib::Request& r, httplib::Response& res) {
      Record(r.path);
      res.set_content("<!doctype html><title>after</title>", "text/html");
    });
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~PageServer() {
    server_.stop();
    thread_.join();
  }

  bool ok() const { return port_ > 0; }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  QUrl Address(const char* path) const {
    return QUrl(QString::fromStdString("http://" + Host() + path));
  }
  std::vector<std::string> Paths() {
    std::lock_guard lock(mutex_);
    return paths_;
  }

 private:
  void Record(const std::string& path) {
    std::lock_guard lock(mutex_);
    paths_.push_back(path);
  }

  httplib::Server server_;
  int port_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

// Whatever the views hand to the desktop (another program) ends up here.
class DesktopCatcher : public QObject {
  Q_OBJECT
 public:
  DesktopCatcher() {
    for (const char* scheme : kSchemes) QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~DesktopCatcher() override {
    for (const char* scheme : kSchemes) QDesktopServices::unsetUrlHandler(scheme);
  }
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }

 private:
  static constexpr const char* kSchemes[] = {"http", "https", "file", "tvtest", "javascript"};
};

class WebViewTest : public ::testing::Test {
 protected:
  WebViewTest() { MainWindowTestApp("app_window_tests"); }

  // Opens the page, clicks link `index`, then the service's own link, and
  // waits for that page: whatever the first click did is done by then.
  ::testing::AssertionResult ClickThenFollowOwnLink(int index) {
    window_ = std::make_unique<WebPageWindow>(
        WebPageWindow::Mode::kAddress, server_.Address("/page.html"), QStringLiteral("t"), nullptr,
        [this] { return std::vector<std::string>{server_.Host()}; });
    QWebEngineView* view = window_->View();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    titles_ = std::make_unique<QSignalSpy>(view, &QWebEngineView::titleChanged);
    window_->resize(400, 400);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
      return ::testing::AssertionFailure() << "shown";
    if (!WaitFor([&] { return loaded.count() == 1; }, 20000) || !loaded.at(0).at(0).toBool()) {
      return ::testing::AssertionFailure() << "the page did not load";
    }
    // A page that has just loaded may not take input yet: a click counts
    // once the page has seen it.
    QWidget* surface = view->focusProxy();
    const auto clicks_seen = [this] {
      int clicks = 0;
      for (const QVariantList& title : *titles_) {
        if (title.at(0).toString().startsWith(QLatin1String("click "))) ++clicks;
      }
      return clicks;
    };
    const auto click = [&](int link) {
      const int before = clicks_seen();
      for (int attempt = 0; attempt < 20 && clicks_seen() <= before; ++attempt) {
        QTest::mouseClick(surface, Qt::LeftButton, {},
                          QPoint(10, link * kLinkHeight + kLinkHeight / 2));
        WaitFor([&] { return clicks_seen() > before; }, 3000);
      }
      return clicks_seen() > before;
    };
    if (!click(index)) return ::testing::AssertionFailure() << "the page took no click";
    // The service's own link leaves the page (its click is never counted).
    const auto after_loaded = [&] {
      return view->url().path() == QLatin1String("/after.html") && loaded.count() >= 2 &&
             loaded.last().at(0).toBool();
    };
    for (int attempt = 0; attempt < 5 && !after_loaded(); ++attempt) {
      if (view->url().path() != QLatin1String("/after.html")) {
        QTest::mouseClick(surface, Qt::LeftButton, {},
                          QPoint(10, 5 * kLinkHeight + kLinkHeight / 2));
      }
      WaitFor(after_loaded, 4000);
    }
    if (!after_loaded()) {
      return ::testing::AssertionFailure()
             << "the own link was not followed; at " << view->url().toString().toStdString();
    }
    return ::testing::AssertionSuccess();
  }

  // Every page the view has shown is one of the service's.
  void ExpectOnlyOwnPages() {
    for (const QWebEngineHistoryItem& item : window_->View()->history()->items()) {
      EXPECT_EQ(item.url().authority().toStdString(), server_.Host())
          << item.url().toString().toStdString();
    }
    for (const QVariantList& title : *titles_) {
      EXPECT_NE(title.at(0).toString(), QStringLiteral("ran")) << "the script link ran";
    }
  }

  TempSettings settings_;
  PageServer server_;
  DesktopCatcher desktop_;
  ScopedNoticeRecorder notices_;
  std::unique_ptr<WebPageWindow> window_;
  std::unique_ptr<QSignalSpy> titles_;
};

TEST_F(WebViewTest, LinksOutOfTheServiceNeitherNavigateNorStartAnything) {
  ASSERT_TRUE(server_.ok());
  notices_.answer = false;
  struct Case {
    const char* link;
    int index;
    bool asks;  // another web site: offered to the browser
  };
  for (const Case& c :
       {Case{"file:", 0, false}, Case{"custom scheme", 1, false}, Case{"another host", 2, true},
        Case{"another host, new window", 3, true}, Case{"javascript:", 4, false}}) {
    SCOPED_TRACE(c.link);
    notices_.questions.clear();
    desktop_.urls.clear();
    ASSERT_TRUE(ClickThenFollowOwnLink(c.index));
    ExpectOnlyOwnPages();
    EXPECT_TRUE(desktop_.urls.empty()) << desktop_.urls.front().toString().toStdString();
    // (A click that the page took late may have been given twice.)
    EXPECT_EQ(!notices_.questions.empty(), c.asks);
    EXPECT_TRUE(notices_.notices.empty());
    for (const std::string& path : server_.Paths()) {
      EXPECT_TRUE(path == "/page.html" || path == "/after.html") << path;
    }
  }
}

TEST_F(WebViewTest, AnotherSiteOpensInTheBrowserAfterAYes) {
  ASSERT_TRUE(server_.ok());
  notices_.answer = true;
  ASSERT_TRUE(ClickThenFollowOwnLink(2));
  ExpectOnlyOwnPages();
  const QString other = QString::fromStdString(
      "http://127.0.0.2:" + std::to_string(server_.Address("/").port()) + "/other.html");
  // One question and one browser page per click that the page took.
  ASSERT_FALSE(notices_.questions.empty());
  EXPECT_EQ(desktop_.urls.size(), notices_.questions.size());
  for (const std::string& question : notices_.questions) {
    EXPECT_TRUE(FromGbk(question).contains(other)) << GbkToUtf8(question);
  }
  for (const QUrl& url : desktop_.urls) EXPECT_EQ(url.toString(), other);
}

// The web views trust what every other connection of the client trusts: a
// service whose certificate comes from the extra CA file of the settings
// shows its pages; one whose certificate does not hold is refused, and the
// member is told the host and the reason.
TEST(WebViewTls, TheExtraCaFileIsTrustedAndARefusedCertificateIsTold) {
  MainWindowTestApp("app_window_tests");
  char pattern[] = "/tmp/tv-web-tls-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const TestCa ca(dir);
  ASSERT_TRUE(ca.ok()) << ca.error();
  SetExtraCaFile(ca.CaFile());
  std::vector<std::string> told;
  SetSecureConnectionFailureHandler([&told](const std::string& gbk) { told.push_back(GbkToUtf8(gbk)); });
  struct Case {
    const char* certificate;
    const char* reason;  // empty: the page shows
  };
  for (const Case& c : {Case{"good", ""}, Case{"stranger", "证书的签发机构不受信任"},
                        Case{"wrong-name", "证书不是为这个主机签发的"}}) {
    SCOPED_TRACE(c.certificate);
    told.clear();
    LocalService service({"--demo", "--demo-count", "5", "--tls-cert", ca.Cert(c.certificate),
                          "--tls-key", ca.Key(c.certificate)});
    ASSERT_TRUE(service.ok()) << service.error();
    const std::string authority = "127.0.0.1:" + std::to_string(service.port());
    std::unique_ptr<QWebEngineView> view(
        NewServiceView([&] { return std::vector<std::string>{service.host()}; }, nullptr));
    QSignalSpy loaded(view.get(), &QWebEngineView::loadFinished);
    view->load(QUrl(QString::fromStdString("https://" + authority +
                                           "/qavel/manager/showmeminfo.asp?userid=1")));
    ASSERT_TRUE(WaitFor([&] { return loaded.count() > 0; }, 20000));
    const bool shown = loaded.first().at(0).toBool();
    if (*c.reason == '\0') {
      EXPECT_TRUE(shown);
      EXPECT_TRUE(told.empty()) << told.front();
    } else {
      EXPECT_FALSE(shown);
      ASSERT_EQ(told.size(), 1u);
      EXPECT_EQ(told[0], "无法与 " + authority + " 建立安全连接: " + c.reason);
    }
  }
  SetSecureConnectionFailureHandler(nullptr);
  SetExtraCaFile("");
  std::filesystem::remove_all(dir);
}

// "我发布的信息" in the client's own web window, as the menu opens it: the
// login's session key signs the member in on the page, and a withdrawal made
// there goes into the deletion log every client polls.
TEST(OwnMessagesWindow, TheMemberActsOnItsMessagesWithoutTypingItsPassword) {
  MainWindowTestApp("app_window_tests");
  LocalService service({"--demo", "--demo-count", "50"});
  ASSERT_TRUE(service.ok()) << service.error();
  const LoginAnswer login = ParseLoginAnswer(FetchEncodedPage(
      "POST", service.host(),
      "/qavel/client/client_login.asp?action=Login_Client&loginSign=0&username=demo_vip&"
      "password=vip123"));
  ASSERT_TRUE(login.ok());
  const OwnMessagesChoice choice =
      DecideOwnMessages(true, {}, service.host(), login.profile.UserId, login.profile.SessionKey);
  ASSERT_EQ(choice.kind, OwnMessagesChoice::Kind::kOpen);
  WebPageWindow window(WebPageWindow::Mode::kOwnMessages, QUrl(QString::fromStdString(choice.text)),
                       {}, nullptr, [&] { return std::vector<std::string>{service.host()}; });
  QWebEngineView* view = window.View();
  QSignalSpy loaded(view, &QWebEngineView::loadFinished);
  window.resize(800, 600);
  window.show();
  const auto page_text = [view] {
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString& t) {
      text = t;
      done = true;
    });
    WaitFor([&] { return done; }, 5000);
    return text;
  };
  // Signed in by the key, which left the address.
  ASSERT_TRUE(WaitFor([&] { return page_text().contains(QStringLiteral("已登录")); }));
  EXPECT_FALSE(view->url().toString().contains(QStringLiteral("SessionKey")));
  EXPECT_TRUE(page_text().contains(QStringLiteral("撤回")));

  // Withdraw the first message as the member clicks: the button, then the
  // confirmation page's button.
  const std::string before =
      FetchEncodedPage("GET", service.host(), "/qavel/client/GetDelInfo.asp?action=GetMaxID");
  for (const char* script : {"document.querySelector('.actions button').click()",
                             "document.querySelector('main form button').click()"}) {
    const int count = static_cast<int>(loaded.count());
    view->page()->runJavaScript(QString::fromLatin1(script));
    ASSERT_TRUE(WaitFor([&] { return loaded.count() > count; })) << script;
  }
  EXPECT_TRUE(WaitFor([&] { return page_text().contains(QStringLiteral("信息已撤回")); }));
  EXPECT_NE(FetchEncodedPage("GET", service.host(), "/qavel/client/GetDelInfo.asp?action=GetMaxID"),
            before);
}

}  // namespace
}  // namespace tv

#include "web_view_test.moc"
