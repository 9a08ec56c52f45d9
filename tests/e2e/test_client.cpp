// tarvolo-test-client: the client as the program runs it (RunClient), built
// for the end-to-end scripts only and never installed. It reports its
// progress on standard output, one "TARVOLO <event> ..." line per event, and
// takes commands, one per line, on standard input:
//   press <control>        clicks a button of the main window
//   view <0..5>            chooses a view as the pop-up does
//   region <name>          clicks a region of the tree
//   dump <first> <count>   reports rows of the grid, then the grid's state
//   key <PageDown|PageUp|Down|Up>
//                          a key pressed in the grid; then "grid-focus <row>
//                          <has focus> <the row's accessible name>"
//   multiarea <P:C,P:C>    fills the multi-area form as a member would
//   detail <row>           double-clicks the row's text: the detail window
//                          opens ("detail-window-id 0x…" once it is made)
//   detail-close           closes the detail window as its "关闭" does
//   detail-block           clicks "屏蔽此会员" in the open detail window
//   confirm                presses the form's "确 定"
//   open-page <path>       opens the web page window on a page of the web host
//   repaint                paints every shown window now (before a screenshot)
//   search-...             the search forms and panel (search_driver.cpp)
//   press-login            clicks "登录" on the login form ("pressed @<µs>")
//   menu <caption>         triggers the main window's menu item of that caption
//   close                  closes the main window as its close box does
//   stats                  the rows, filled rows and the mark lists' sizes
//   window                 whether the main window is active and minimised
//   timing on|off          every poll that brought rows reports its paint
// Times "@<µs>" are on the monotonic clock, for timing from outside; the
// grid's first paint after the first page is "feed-first-page-painted @<µs>".
// Every command ends with "TARVOLO done <command>". Notices are reported
// and their boxes close by themselves.
// TARVOLO_ID_POLL_MS shortens the identifier polls, TARVOLO_LOOP_PERIOD_MS the
// period of the loop re-send; TARVOLO_TEST_ACCOUNT_INPUT
// names a FIFO for the commands of registration and the preferences
// (account_driver.cpp).
#include <time.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "account_driver.h"
#include "app/client.h"
#include "app/login_controller.h"
#include "app/login_form.h"
#include "app/message_box_notice.h"
#include "core/build_constants.h"
#include "core/qt_gbk.h"
#include "detail/detail_attach.h"
#include "detail/detail_window.h"
#include "feed/feed_attach.h"
#include "feed/list_tools.h"
#include "feed/multi_area_form.h"
#include "feed/region_tree.h"
#include "publish/publish_attach.h"
#include "publish_driver.h"
#include "search/search_attach.h"
#include "search_driver.h"
#include "shell/main_window.h"
#include "shell/shell_decisions.h"
#include "shell/web_page_window.h"
#include "subscribe/subscription_attach.h"
#include "subscribe_driver.h"
#include "test_report.h"
#include "widgets/info_grid.h"
#include "widgets/info_grid_accessible.h"

namespace tv {
namespace {

void Report(const QString& event, const QString& detail = {}) {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  ReportTestEvent(QStringLiteral("%1 %2 [%3 ms]").arg(event, detail).arg(clock.elapsed()));
}

// The feed's lines, without a time (the scripts read them to their end).
void Say(const QString& line) { ReportTestEvent(line); }

QString WindowId(const QWidget* window) {
  return QStringLiteral("0x%1").arg(static_cast<qulonglong>(window->winId()), 0, 16);
}

// The message boxes, reported, closing themselves after a moment so that a
// screenshot can catch them.
class ReportingNotices : public MessageBoxNoticeSink {
 protected:
  void Prepare(QMessageBox& box, const std::string& gbk_text) override {
    Report(QStringLiteral("notice"), FromGbk(gbk_text));
    Report(QStringLiteral("notice-id"), WindowId(&box));
    QTimer::singleShot(1500, &box, [&box] { box.done(0); });
  }
};

QString RowLine(const RowStore& rows, int row) {
  return QStringLiteral("%1 %2 %3")
      .arg(row)
      .arg(FromGbk(rows.GetCellText(row, kColInfoId)))
      .arg(FromGbk(rows.GetCellText(row, kColRowText)));
}

// The monotonic clock in microseconds, as a benchmark outside the process
// reads it.
long long MonotonicMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

QString At() { return QStringLiteral("@%1").arg(MonotonicMicros()); }

bool SelectText(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  list->setCurrentItem(found.front());
  return true;
}

class Driver : public QObject {
 public:
  Driver(MainWindow& window, FeedAttachment& feed, DetailAttachment& detail)
      : QObject(&window),
        window_(window),
        feed_(feed),
        detail_(detail),
        input_(0, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, [this] { ReadInput(); });
    WatchWindow();
    WatchFeed(detail);
  }

  // Commands of another feature, asked about lines the driver does not know.
  void AddCommands(CommandRunner runner) { more_commands_.push_back(std::move(runner)); }

 private:
  void WatchWindow() {
    connect(&window_, &MainWindow::shownAfterLogin, this, [this] {
      Report(QStringLiteral("main-window-shown"), window_.windowTitle());
      Report(QStringLiteral("main-window-id"), WindowId(&window_));
    });
    connect(&window_, &MainWindow::advertsLoading, this, [this] {
      Report(QStringLiteral("adverts-loading"));
      auto adverts_left = std::make_shared<int>(2);
      for (int i = 0; i < 2; ++i) {
        connect(
            window_.AdvertView(i), &QWebEngineView::loadFinished, this,
            [adverts_left](bool) {
              if (--*adverts_left == 0) Report(QStringLiteral("adverts-loaded"));
            },
            Qt::SingleShotConnection);
      }
    });
  }

  void WatchFeed(DetailAttachment& detail) {
    FeedController& f = feed_.Feed();
    connect(&f, &FeedController::startPageApplied, this, [this](bool filled) {
      Say(QStringLiteral("feed-first-page %1 %2")
              .arg(filled)
              .arg(feed_.Feed().Store().TotalCount()));
      WatchGridPaint(QStringLiteral("feed-first-page-painted"));
    });
    connect(&f, &FeedController::reloadApplied, this, [this](bool filled) {
      Say(QStringLiteral("feed-reload %1 %2").arg(filled).arg(feed_.Feed().Store().TotalCount()));
    });
    connect(&f, &FeedController::newRecordsApplied, this, [this](int n) {
      if (n > 0 && timing_) WatchGridPaint(QStringLiteral("feed-new-records-painted %1").arg(n));
      if (n > 0) {
        Say(QStringLiteral("feed-new-records %1 %2")
                .arg(n)
                .arg(QString::fromStdString(feed_.Feed().Store().NewestId())));
      }
    });
    connect(&f, &FeedController::idListApplied, this,
            [](int kind) { Say(QStringLiteral("feed-ids %1").arg(kind)); });
    connect(&f, &FeedController::captionChanged, this,
            [](const QString& c) { Say(QStringLiteral("feed-caption ") + c); });
    connect(&feed_.Paging(), &PagingController::pageApplied, this, [](qint32 start, bool items) {
      Say(QStringLiteral("feed-page %1 %2").arg(start).arg(items));
    });
    connect(&detail.View(), &DetailView::windowOpened, this, [](DetailWindow* window) {
      if (!window->copiesShown().isEmpty())
        Say(QStringLiteral("detail-copies ") + window->copiesShown());
      Report(QStringLiteral("detail-window-id"), WindowId(window));
    });
    connect(&detail.Loader(), &FriendsLoader::friendsLoaded, this,
            [](int n) { Say(QStringLiteral("feed-friends %1").arg(n)); });
    connect(&f, &FeedController::connectionChanged, this, [](bool lost) {
      Say(QStringLiteral("feed-connection %1")
              .arg(lost ? QStringLiteral("lost") : QStringLiteral("back")));
    });
  }

  // Reports `line` with the time once the grid's next paint has been handled.
  void WatchGridPaint(const QString& line) {
    paint_line_ = line;
    window_.Grid()->viewport()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !paint_line_.isEmpty()) {
      const QString line = paint_line_;
      paint_line_.clear();
      watched->removeEventFilter(this);
      QMetaObject::invokeMethod(
          this, [line] { Say(line + QLatin1Char(' ') + At()); }, Qt::QueuedConnection);
    }
    return false;
  }

  void ReadInput() {
    char buffer[4096];
    const ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got <= 0) {
      input_.setEnabled(false);
      return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      Run(QString::fromUtf8(pending_.substr(0, end)).trimmed());
      pending_.erase(0, end + 1);
    }
  }

  void Run(const QString& line) {
    const QString command = line.section(' ', 0, 0);
    const QString arg = line.section(' ', 1);
    const RowStore& rows = window_.Grid()->Store();
    if (command == QLatin1String("press")) {
      if (QPushButton* b = window_.Button(static_cast<MainButton>(arg.toInt()))) b->click();
    } else if (command == QLatin1String("view")) {
      window_.SelectView(arg.toInt(), true);
    } else if (command == QLatin1String("region")) {
      const auto items = feed_.Tree()->findItems(arg, Qt::MatchExactly | Qt::MatchRecursive);
      if (!items.isEmpty()) feed_.Tree()->ClickItem(items.front());
    } else if (command == QLatin1String("dump")) {
      const int first = arg.section(' ', 0, 0).toInt();
      const int count = std::max(1, arg.section(' ', 1, 1).toInt());
      for (int row = first; row < first + count && row < rows.RowCount(); ++row) {
        Say(QStringLiteral("feed-row ") + RowLine(rows, row));
      }
      Say(QStringLiteral("feed-rows %1 top %2 mark %3 caption %4")
              .arg(rows.RowCount())
              .arg(window_.Grid()->TopRow())
              .arg(window_.Grid()->ScrollMark())
              .arg(window_.CaptionLabel()->text()));
      // What the member reads where the rows give no answer: the status line
      // and the text of a grid without rows.
      Say(QStringLiteral("feed-status ") + window_.StatusLabel()->text());
      Say(QStringLiteral("feed-empty-text ") +
          (rows.RowCount() == 0 ? window_.Grid()->EmptyText() : QString()));
    } else if (command == QLatin1String("shown")) {
      // "shown N": the first N loaded rows the member sees (hidden ones
      // left out), then the count under the list.
      int left = std::max(1, arg.toInt());
      for (int row = rows.NextShownRow(-1); row >= 0 && left > 0; row = rows.NextShownRow(row)) {
        if (rows.GetCellText(row, kColRowText).empty()) continue;  // still to load
        Say(QStringLiteral("feed-shown ") + RowLine(rows, row));
        --left;
      }
      Say(QStringLiteral("feed-count ") + window_.TotalLabel()->text());
    } else if (command == QLatin1String("block")) {
      // "block ROW": "屏蔽此会员" on that row.
      feed_.Tools().BlockMember(arg.toInt());
      Say(QStringLiteral("feed-status ") + window_.StatusLabel()->text());
    } else if (command == QLatin1String("filter-length")) {
      // "filter-length 9.6米": the filter bar with that length on.
      feed_.Tools().ShowFilterBar();
      for (QToolButton* b : feed_.Tools().LengthButtons()) {
        if (b->text() == arg) b->setChecked(true);
      }
      Say(QStringLiteral("feed-count ") + window_.TotalLabel()->text());
    } else if (command == QLatin1String("filter-close")) {
      feed_.Tools().CloseFilterBar();
      Say(QStringLiteral("feed-count ") + window_.TotalLabel()->text());
    } else if (command == QLatin1String("export")) {
      // "export PATH": "导出..." to that file.
      const bool ok = feed_.Tools().ExportTo(arg, false);
      Say(QStringLiteral("feed-exported %1").arg(ok ? 1 : 0));
    } else if (command == QLatin1String("multiarea")) {
      form_ = new MultiAreaForm(
          [this](const std::string& text) { feed_.Feed().ApplyMultiArea(text); }, &window_);
      form_->setAttribute(Qt::WA_DeleteOnClose);
      form_->show();
      for (const QString& pair : arg.split(',', Qt::SkipEmptyParts)) {
        if (SelectText(form_->ProvinceList(), pair.section(':', 0, 0)) &&
            SelectText(form_->CityList(), pair.section(':', 1))) {
          form_->AddSelectedCity();
        }
      }
      Say(QStringLiteral("feed-form %1").arg(form_->ChosenList()->count()));
    } else if (command == QLatin1String("key")) {
      // "key PageDown": a key pressed in the grid, as the member presses it.
      const int key = arg == QLatin1String("PageDown") ? Qt::Key_PageDown
                      : arg == QLatin1String("PageUp") ? Qt::Key_PageUp
                      : arg == QLatin1String("Down")   ? Qt::Key_Down
                                                       : Qt::Key_Up;
      // The keys go to the grid with the focus, as when the member types in
      // the window (with no window manager, the window is made active here).
      if (!window_.isActiveWindow()) {
        window_.activateWindow();
        QElapsedTimer waited;
        waited.start();
        while (!window_.isActiveWindow() && waited.elapsed() < 5000) {
          QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
      }
      window_.Grid()->setFocus();
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(window_.Grid(), &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
      QCoreApplication::sendEvent(window_.Grid(), &release);
      // The focus row as a screen reader should read it out.
      const int focus_row = window_.Grid()->FocusCell().row;
      Say(QStringLiteral("grid-focus %1 %2 %3")
              .arg(focus_row)
              .arg(window_.Grid()->hasFocus() ? 1 : 0)
              .arg(focus_row >= 0 ? AccessibleRowText(*window_.Grid(), focus_row) : QString()));
    } else if (command == QLatin1String("resize")) {
      // "resize W H": the window as the member sizes it; answered once the
      // window has its new width.
      const int width = arg.section(' ', 0, 0).toInt();
      window_.showNormal();
      window_.move(0, 0);
      window_.resize(width, arg.section(' ', 1, 1).toInt());
      QElapsedTimer waited;
      waited.start();
      while (window_.width() != width && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      }
      Say(QStringLiteral("window-size %1 %2").arg(window_.width()).arg(window_.height()));
    } else if (command == QLatin1String("detail")) {
      // The window is modal: it opens after this command has answered, and
      // commands keep coming while it is up.
      const int row = arg.toInt();
      QTimer::singleShot(0, this,
                         [this, row] { emit window_.Grid()->doubleClicked(row, kColRowText); });
    } else if (command == QLatin1String("detail-close")) {
      if (DetailWindow* open = detail_.View().openWindow()) open->reject();
    } else if (command == QLatin1String("detail-block")) {
      DetailWindow* open = detail_.View().openWindow();
      if (open != nullptr && open->blockButton() != nullptr) open->blockButton()->click();
      Say(QStringLiteral("feed-status ") + window_.StatusLabel()->text());
    } else if (command == QLatin1String("confirm")) {
      if (form_ != nullptr) form_->Confirm();
    } else if (command == QLatin1String("open-page")) {
      OpenPage(arg);
    } else if (command == QLatin1String("press-login")) {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<LoginForm*>(top) == nullptr || !top->isVisible()) continue;
        for (QPushButton* b : top->findChildren<QPushButton*>()) {
          if (b->text() != QStringLiteral("登录")) continue;
          Say(QStringLiteral("pressed ") + At());
          b->click();
          break;
        }
      }
    } else if (command == QLatin1String("menu")) {
      for (QAction* a : window_.findChildren<QAction*>()) {
        if (a->text() != arg) continue;
        Say(QStringLiteral("menu ") + At());
        a->trigger();
        break;
      }
    } else if (command == QLatin1String("close")) {
      Say(QStringLiteral("close ") + At());
      window_.close();
    } else if (command == QLatin1String("timing")) {
      timing_ = arg != QLatin1String("off");
    } else if (command == QLatin1String("stats")) {
      const FeedStore& store = feed_.Feed().Store();
      Say(QStringLiteral("feed-stats rows %1 filled %2 total %3 deleted %4 %5 closed %6 %7")
              .arg(rows.RowCount())
              .arg(rows.FilledRowCount())
              .arg(store.TotalCount())
              .arg(store.Deleted().Count())
              .arg(store.Deleted().Text().size())
              .arg(store.Closed().Count())
              .arg(store.Closed().Text().size()));
    } else if (command == QLatin1String("window")) {
      Say(QStringLiteral("window active %1 minimized %2")
              .arg(window_.isActiveWindow() ? 1 : 0)
              .arg(window_.isMinimized() ? 1 : 0));
    } else if (command == QLatin1String("repaint")) {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) w->repaint();
      }
      QApplication::sync();
    } else {
      for (const CommandRunner& run : more_commands_) {
        if (run(command, arg)) break;
      }
    }
    Say(QStringLiteral("done ") + line);
  }

  // The web page window on `path` of the web host, as a menu item opens it.
  void OpenPage(const QString& path) {
    window_.OpenWebAddress(QString::fromStdString(WebPageAddress(WebHost(), path.toStdString())),
                           QStringLiteral("Tarvolo"));
    WebPageWindow* page = window_.WebPage();
    if (page == nullptr) return;
    Report(QStringLiteral("web-page-id"), WindowId(page));
    connect(page->View(), &QWebEngineView::loadFinished, this, [](bool ok) {
      Report(QStringLiteral("web-page-loaded"),
             ok ? QStringLiteral("ok") : QStringLiteral("failed"));
    });
  }

  MainWindow& window_;
  FeedAttachment& feed_;
  DetailAttachment& detail_;
  QSocketNotifier input_;
  std::string pending_;
  QPointer<MultiAreaForm> form_;
  std::vector<CommandRunner> more_commands_;
  QString paint_line_;
  bool timing_ = false;
};

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  static tv::ReportingNotices notices;
  tv::ClientHooks hooks;
  hooks.notices = &notices;
  hooks.second_copy = [] { tv::Report(QStringLiteral("second-copy")); };
  // Updates of the test runs are signed with a key pair the run made.
  if (const char* key = std::getenv("TARVOLO_TEST_UPDATE_KEY"); key != nullptr) {
    hooks.update_public_key = key;
  }
  hooks.login_ready = [](tv::LoginController& login) {
    QObject::connect(&login, &tv::LoginController::updateStarted,
                     [] { tv::Report(QStringLiteral("update-started")); });
    QObject::connect(&login, &tv::LoginController::captionChanged, [](const QString& caption) {
      tv::Report(QStringLiteral("login-caption"), caption);
    });
    QObject::connect(&login, &tv::LoginController::loginSucceeded,
                     [] { tv::Report(QStringLiteral("logged-in")); });
  };
  hooks.window_ready = [](tv::MainWindow& window, tv::FeedAttachment& feed,
                          tv::DetailAttachment& detail) {
    if (const char* ms = std::getenv("TARVOLO_ID_POLL_MS"); ms != nullptr && std::atoi(ms) > 0) {
      feed.Feed().SetIdPollPeriodMs(std::atoi(ms));
    }
    auto* driver = new tv::Driver(window, feed, detail);
    if (tv::SearchAttachment* search = tv::SearchOf(window)) {
      driver->AddCommands(tv::InstallSearchDriver(*search));
    }
    if (tv::SubscriptionAttachment* subscriptions = tv::SubscriptionsOf(window)) {
      driver->AddCommands(tv::InstallSubscriptionDriver(*subscriptions));
    }
    tv::InstallAccountDriver(window, window.CommandAction(tv::MainCommand::kPreferences));
    if (tv::PublishAttachment* publishing = tv::PublishingOf(window)) {
      // End-to-end runs cannot wait minutes between two loop sends.
      if (const char* ms = std::getenv("TARVOLO_LOOP_PERIOD_MS");
          ms != nullptr && std::atoi(ms) > 0) {
        publishing->Loop().SetPeriodOverrideMs(std::atoi(ms));
      }
      tv::InstallPublishDriver(*publishing);
    }
  };
  hooks.login_form_shown = [] {
    tv::Report(QStringLiteral("login-form-shown"));
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<tv::LoginForm*>(w) != nullptr) {
        tv::Report(QStringLiteral("login-form-id"), tv::WindowId(w));
      }
    }
  };
  tv::RunClient(argc, argv, hooks);
}
