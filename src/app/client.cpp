#include "app/client.h"

#include <QApplication>
#include <QPalette>
#include <memory>

#include "account/account_attach.h"
#include "app/login_controller.h"
#include "app/message_box_notice.h"
#include "app/qt_translations.h"
#include "app/secure_connections.h"
#include "app/server_discovery.h"
#include "app/shell_setup.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/version.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "platform/platform.h"
#include "publish/publish_attach.h"
#include "search/search_attach.h"
#include "settings/values.h"
#include "shell/main_window.h"
#include "shell/web_engine_setup.h"
#include "subscribe/subscription_attach.h"

namespace tv {

void RunClient(int argc, char** argv, const ClientHooks& hooks) {
  PrepareWebEngine();
  QApplication app(argc, argv);
  app.setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));
  app.setApplicationName(QStringLiteral("tarvolo"));
  // Lets the desktop match the windows to the installed desktop entry.
  app.setDesktopFileName(QStringLiteral("cn.tarvolo.Tarvolo"));
  // Between the login form and the main window no window shows; the program
  // ends only through the main window or the login form's close box.
  app.setQuitOnLastWindowClosed(false);
  InstallQtTranslations(app);

  MessageBoxNoticeSink message_boxes;
  SetNoticeSink(hooks.notices != nullptr ? hooks.notices : &message_boxes);

  InstanceLock lock;
  if (!lock.TryAcquire()) {
    if (hooks.second_copy) hooks.second_copy();
    ShowNotice(TV_TEXT("已经有一个程序示例在运行\n\n请关闭程序或注销,重启后再试!"));
    EndProcess(0);
  }

  // Dialogs: a light blue-grey background with black text.
  QPalette palette = app.palette();
  palette.setColor(QPalette::Window, QColor(0xD6, 0xDF, 0xF7));
  palette.setColor(QPalette::WindowText, Qt::black);
  app.setPalette(palette);

  ConfigureSecureConnections();
  ServerDiscovery& servers = Servers();
  const std::string program_path = ProgramPath().value_or(std::string());
  if (!program_path.empty()) {
    CleanStartupList(program_path);
    RecordProgramName(ProgramBaseName(program_path));
    DeleteUpdaterFile(UpdaterPath(ProgramDirectory(program_path)));
  }

  LoginController::Options options;
  options.program_path = program_path;
  options.current_version = kClientVersion;
  options.end_client = [] { EndProcess(0); };
  options.update_public_key = hooks.update_public_key;
  LoginController login(servers, options);
  if (hooks.login_ready) hooks.login_ready(login);

  std::unique_ptr<MainWindow> window = CreateMainWindow(servers, login);
  DetailAttachment& detail = AttachDetail(*window);
  FeedAttachment& feed = AttachFeed(*window, detail);
  AttachSearch(*window, feed, detail);
  AttachSubscriptions(*window, feed, detail);
  AttachAccount(*window);
  // A guest who asks to publish may register from there.
  MainWindow* frame = window.get();
  AttachPublishing(*window, [frame, &servers] {
    OpenRegistrationForm(frame, [&servers] { return servers.CurrentHost(); });
  });
  if (hooks.window_ready) hooks.window_ready(*window, feed, detail);

  window->RunLoginLoop();
  if (hooks.login_form_shown) hooks.login_form_shown();
  EndProcess(app.exec());
}

}  // namespace tv
