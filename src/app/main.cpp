// tarvolo: the desktop client. Start-up: one copy per machine, the logon start
// list cleaned, the program name recorded, a left-over updater removed, then
// the main window runs the login loop and everything after it.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QWebEngineView>
#include <cstdlib>

#include "account/account_attach.h"
#include "app/login_controller.h"
#include "app/message_box_notice.h"
#include "app/server_discovery.h"
#include "app/shell_setup.h"
#include "app/version_check.h"
#include "core/build_constants.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/test_hooks.h"
#include "core/version.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "platform/platform.h"
#include "settings/values.h"
#include "shell/main_window.h"
#include "shell/shell_decisions.h"
#include "shell/web_page_window.h"

namespace {

// With the test hooks on, the client reports its progress on standard output,
// one line per event, for the end-to-end tests.
void Report(const char* event, const QString& detail = {}) {
  if (!tv::TestHooksOn()) return;
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  tv::ReportTestEvent(
      QStringLiteral("%1 %2 [%3 ms]").arg(QLatin1String(event), detail).arg(clock.elapsed()));
}

// TARVOLO_TEST_WEB_PAGE=/path (with the test hooks): once the adverts are in,
// the web page window opens that page of the web host, as a menu item would.
void OpenTestPage(tv::MainWindow& window) {
  const char* path = std::getenv("TARVOLO_TEST_WEB_PAGE");
  if (path == nullptr || *path == '\0') return;
  window.OpenWebAddress(QString::fromStdString(tv::WebPageAddress(tv::WebHost(), path)),
                        QStringLiteral("Tarvolo"));
  if (tv::WebPageWindow* page = window.WebPage()) {
    QObject::connect(page->View(), &QWebEngineView::loadFinished,
                     [](bool ok) { Report("web-page-loaded", ok ? "ok" : "failed"); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The web views' sandbox cannot run as root (containers, CI).
  if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  app.setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));
  app.setApplicationName(QStringLiteral("tarvolo"));
  // Between the login form and the main window no window shows; the program
  // ends only through the main window or the login form's close box.
  app.setQuitOnLastWindowClosed(false);

  tv::MessageBoxNoticeSink notices(tv::TestHooksOn() ? 1500 : 0);
  tv::SetNoticeSink(&notices);

  tv::InstanceLock lock;
  if (!lock.TryAcquire()) {
    Report("second-copy");
    tv::ShowNotice(TV_TEXT("已经有一个程序示例在运行\n\n请关闭程序或注销,重启后再试!"));
    tv::EndProcess(0);
  }

  // Dialogs: a light blue-grey background with black text.
  QPalette palette = app.palette();
  palette.setColor(QPalette::Window, QColor(0xD6, 0xDF, 0xF7));
  palette.setColor(QPalette::WindowText, Qt::black);
  app.setPalette(palette);

  tv::ServerDiscovery& servers = tv::Servers();
  std::string program_path = tv::ProgramPath().value_or(std::string());
  if (!program_path.empty()) {
    tv::CleanStartupList(program_path);
    tv::RecordProgramName(tv::ProgramBaseName(program_path));
    tv::DeleteUpdaterFile(tv::UpdaterPath(tv::ProgramDirectory(program_path)));
  }

  tv::LoginController::Options options;
  options.program_path = program_path;
  options.current_version = tv::kClientVersion;
  options.end_client = [] { tv::EndProcess(0); };
  tv::LoginController login(servers, options);
  QObject::connect(&login, &tv::LoginController::updateStarted, [] { Report("update-started"); });
  QObject::connect(&login, &tv::LoginController::captionChanged,
                   [](const QString& caption) { Report("login-caption", caption); });
  QObject::connect(&login, &tv::LoginController::loginSucceeded, [] { Report("logged-in"); });

  std::unique_ptr<tv::MainWindow> main_window = tv::CreateMainWindow(servers, login);
  tv::MainWindow& window = *main_window;
  tv::AttachFeed(window, tv::AttachDetail(window));
  tv::AttachAccount(window);
  if (tv::TestHooksOn()) {
    QObject::connect(&window, &tv::MainWindow::shownAfterLogin, [&window] {
      Report("main-window-shown", window.windowTitle());
      auto adverts_left = std::make_shared<int>(2);
      for (int i = 0; i < 2; ++i) {
        QObject::connect(window.AdvertView(i), &QWebEngineView::loadFinished,
                         [&window, adverts_left](bool) {
                           if (--*adverts_left == 0) {
                             Report("adverts-loaded");
                             OpenTestPage(window);
                           }
                         });
      }
    });
  }
  window.RunLoginLoop();
  Report("login-form-shown");
  int code = app.exec();
  tv::EndProcess(code);
}
