// The detail view inside the real client: main window, feed and login against
// a real local service, driven with the mouse. Run under Xvfb for screenshots
// of the real screen; offscreen it grabs the windows themselves.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <optional>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "app/shell_setup.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "core/version.h"
#include "detail/detail_attach.h"
#include "detail/detail_state.h"
#include "detail/detail_view.h"
#include "feed/feed_attach.h"
#include "feed/region_tree.h"
#include "settings/store.h"
#include "shell/main_window.h"
#include "shell/web_page_window.h"
#include "support/local_service.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Paints the window at once rather than at the next turn of the event loop,
// so that the shot shows its present state.
void SaveScreen(QWidget* window, const char* name) {
  QDir().mkpath(TARVOLO_ARTIFACT_DIR);
  QString path = QStringLiteral(TARVOLO_ARTIFACT_DIR "/%1.png").arg(name);
  QCoreApplication::processEvents();
  window->repaint();
  QPixmap shot = QGuiApplication::platformName() == "xcb"
                     ? QGuiApplication::primaryScreen()->grabWindow(0)
                     : window->grab();
  EXPECT_TRUE(shot.save(path)) << path.toStdString();
}

// One run of the client for one member, logged in automatically.
class ClientRun {
 public:
  ClientRun(const char* user, const char* password) {
    WriteSetting(kMainKey, "usernametavrelomin", user);
    WriteSetting(kMainKey, "passwordtavrelomin", password);
    WriteSetting(kMainKey, "nopasstavrelomin", "1");
    WriteSetting(kMainKey, "autologintavrelomin", "1");
    LoginController::Options options;
    options.current_version = kClientVersion;
    options.tick_ms = 50;
    options.end_client = [] { ADD_FAILURE() << "the client wanted to end"; };
    login_ = std::make_unique<LoginController>(Servers(), options);
    window_ = CreateMainWindow(Servers(), *login_);
    AttachFeed(*window_, AttachDetail(*window_));
  }

  // Logs in and waits for the first page of the member's city.
  bool Start() {
    bool shown = false;
    QObject::connect(window_.get(), &MainWindow::shownAfterLogin, [&] { shown = true; });
    window_->RunLoginLoop();
    if (!QTest::qWaitFor([&] { return shown; }, 30000)) return false;
    return QTest::qWaitFor([&] { return Grid()->Store().RowCount() > 0; }, 15000);
  }

  MainWindow& Window() { return *window_; }
  InfoGrid* Grid() { return window_->Grid(); }
  DetailView* Detail() { return &DetailOf(*window_)->View(); }

  // A visible row that another member published, with a company.
  std::optional<int> PublisherRow() {
    const RowStore& rows = Grid()->Store();
    const std::string own = std::to_string(window_->Session().Profile().UserId);
    const int visible = std::min(rows.RowCount(), Grid()->FullyVisibleRowCount());
    for (int r = 0; r < visible; ++r) {
      const std::string flag(rows.GetCellText(r, 5));
      if (!flag.empty() && flag != "0" && flag != own && !rows.GetCellText(r, 13).empty() &&
          !rows.GetCellText(r, 8).empty()) {
        return r;
      }
    }
    return std::nullopt;
  }

  // A real double click on the row text; returns when the modal window closed.
  void DoubleClickRowText(int row) {
    QPoint at = Grid()->CellRect(row, 8).center();
    QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }

 private:
  std::unique_ptr<LoginController> login_;
  std::unique_ptr<MainWindow> window_;
};

class DetailInClient : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    service_ = new LocalService({"--demo", "--demo-count", "300"});
    if (!service_->ok()) return;
    settings_dir_ = new QTemporaryDir;
    qputenv("TARVOLO_SETTINGS", QDir(settings_dir_->path()).filePath("settings.db").toUtf8());
    for (const char* name : {"TARVOLO_PORTAL_HOST", "TARVOLO_FALLBACK_HOST", "TARVOLO_WEB_HOST"}) {
      qputenv(name, QByteArray::fromStdString(service_->host()));
    }
  }
  static void TearDownTestSuite() {
    delete service_;
    delete settings_dir_;
  }
  void SetUp() override { ASSERT_TRUE(service_->ok()) << service_->error(); }

  static LocalService* service_;
  static QTemporaryDir* settings_dir_;
};
LocalService* DetailInClient::service_ = nullptr;
QTemporaryDir* DetailInClient::settings_dir_ = nullptr;

TEST_F(DetailInClient, OrdinaryMemberSeesTheCountdownThenTheTelephone) {
  ScopedNoticeRecorder notices;
  ClientRun client("demo_member", "member123");
  ASSERT_TRUE(client.Start());
  std::optional<int> row = client.PublisherRow();
  ASSERT_TRUE(row.has_value());
  const QString tel = FromGbk(client.Grid()->Store().GetCellText(*row, 4));

  struct Seen {
    QString contact_at_open, counter_at_open, contact_at_end;
    bool countdown_at_open = false, countdown_at_end = true;
    qint64 waited_ms = 0;
  } seen;
  QElapsedTimer clock;
  QObject::connect(client.Detail(), &DetailView::windowOpened, [&](DetailWindow* window) {
    clock.start();
    seen.contact_at_open = window->contactShown();
    seen.counter_at_open = window->counterShown();
    seen.countdown_at_open = window->countdownShowing();
    window->ActivateSource();  // "用户发布": not for this member
    QObject::connect(window->state(), &DetailState::secondsLeftChanged, window,
                     [window](qint64 seconds_left) {
                       if (seconds_left == 8) SaveScreen(window, "e2e_detail_countdown");
                     });
    QObject::connect(window->state(), &DetailState::contactRevealed, window, [&, window] {
      seen.waited_ms = clock.elapsed();
      seen.contact_at_end = window->contactShown();
      seen.countdown_at_end = window->countdownShowing();
      QTimer::singleShot(0, window, [window] {
        SaveScreen(window, "e2e_detail_telephone");
        window->accept();
      });
    });
    QTimer::singleShot(30000, window, &QDialog::reject);  // never hang the suite
  });
  client.DoubleClickRowText(*row);

  EXPECT_TRUE(seen.countdown_at_open);
  EXPECT_EQ(seen.counter_at_open, "10");
  EXPECT_EQ(seen.contact_at_open, U("VIP会员查看电话号码无需等待，普通会员请稍等..."));
  EXPECT_FALSE(seen.countdown_at_end);
  EXPECT_EQ(seen.contact_at_end, tel);
  EXPECT_GE(seen.waited_ms, 9000);
  EXPECT_EQ(notices.notices,
            std::vector<std::string>{Utf8ToGbk("对不起，您暂时没有权限查看会员资料.")});
  EXPECT_FALSE(client.Window().WebPageOpen());
}

TEST_F(DetailInClient, FullMemberAddsThePublisherUnderTheFriendsList) {
  ScopedNoticeRecorder notices;  // answers "yes" to the question
  ClientRun client("demo_vip", "vip123");
  ASSERT_TRUE(client.Start());
  std::optional<int> row = client.PublisherRow();
  ASSERT_TRUE(row.has_value());
  const QString company = FromGbk(client.Grid()->Store().GetCellText(*row, 13));

  const std::string flag(client.Grid()->Store().GetCellText(*row, 5));
  bool added = false;
  QString profile_address;
  QObject::connect(client.Detail(), &DetailView::windowOpened, [&](DetailWindow* window) {
    QTimer::singleShot(0, window, [window] {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
      SaveScreen(window, "e2e_detail_full_member");
      for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->text() == U("加入好友")) b->click();
      }
    });
    QTimer::singleShot(30000, window, &QDialog::reject);
  });
  QObject::connect(client.Detail(), &DetailView::friendAdded, [&] {
    added = true;
    if (DetailWindow* window = client.Detail()->openWindow()) {
      window->ActivateSource();  // the publisher's profile page
      if (WebPageWindow* page = client.Window().WebPage()) {
        profile_address = page->Address().toString();
        page->close();
      }
      window->accept();
    }
  });
  client.DoubleClickRowText(*row);
  ASSERT_TRUE(added);
  EXPECT_TRUE(notices.notices.empty());
  ASSERT_EQ(notices.questions.size(), 1u);
  EXPECT_TRUE(profile_address.endsWith(
      QString::fromStdString("/qavel/manager/showmeminfo.asp?userid=" + flag)))
      << profile_address.toStdString();

  // The publisher is now a child of "好友列表".
  QTreeWidget* tree = FeedOf(client.Window())->Tree();
  QList<QTreeWidgetItem*> roots = tree->findItems(U("好友列表"), Qt::MatchExactly);
  ASSERT_EQ(roots.size(), 1);
  bool listed = false;
  for (int i = 0; i < roots[0]->childCount(); ++i) listed |= roots[0]->child(i)->text(0) == company;
  EXPECT_TRUE(listed) << company.toStdString();
  roots[0]->setExpanded(true);
  tree->scrollToItem(roots[0]);
  SaveScreen(&client.Window(), "e2e_friend_added");
}

}  // namespace
}  // namespace tv
