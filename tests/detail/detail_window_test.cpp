#include "detail/detail_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <map>
#include <optional>

#include "core/notice.h"
#include "core/qt_gbk.h"
#include "detail/detail_state.h"
#include "detail/detail_view.h"
#include "detail_fixtures.h"
#include "tests/support/shown_text.h"

namespace tv {
namespace {

using detail_test::G;
using detail_test::Member;
using detail_test::PublisherMessage;
using detail_test::Viewer;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QPushButton* Button(QWidget* window, const char* caption) {
  for (QPushButton* b : window->findChildren<QPushButton*>()) {
    if (b->text() == U(caption)) return b;
  }
  return nullptr;
}

// Keeps a picture of the window for people to look at.
void SaveArtifact(QWidget& window, const char* name) {
  QDir().mkpath(TARVOLO_ARTIFACT_DIR);
  QString path = QStringLiteral(TARVOLO_ARTIFACT_DIR "/%1.png").arg(name);
  EXPECT_TRUE(window.grab().save(path)) << path.toStdString();
}

TEST(DetailWindow, FullMemberSeesEverythingAtOnce) {
  DetailWindow window(PublisherMessage(), Viewer(Member::kFull), {});
  window.show();
  EXPECT_EQ(window.windowTitle(), U("查看信息"));
  EXPECT_EQ(window.contentShown(), U("货源:有货10吨"));
  EXPECT_EQ(window.contactShown(), U("13800001111"));
  EXPECT_FALSE(window.countdownShowing());
  EXPECT_EQ(window.statusShown(), U("未成交！"));
  EXPECT_EQ(window.sourceShown(), U("用户发布"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  SaveArtifact(window, "detail_full_member");
}

// A row the list folded lists when its copies came; "屏蔽此会员" is offered
// only with an action, runs it once and closes the window.
TEST(DetailWindow, CopiesAndBlockingComeFromTheList) {
  CurrentMessage message = PublisherMessage();
  message.CopyTimes = {"12-11 9:07", "12-11 9:04", "12-11 9:01"};
  int blocked = 0;
  DetailActions actions;
  actions.block_member = [&blocked] { ++blocked; };
  DetailWindow window(message, Viewer(Member::kFull), actions);
  window.show();
  EXPECT_EQ(window.copiesShown(), U("共 3 次：12-11 9:07、12-11 9:04、12-11 9:01"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  SaveArtifact(window, "detail_folded_copies");
  ASSERT_NE(window.blockButton(), nullptr);
  window.blockButton()->click();
  EXPECT_EQ(blocked, 1);
  EXPECT_FALSE(window.isVisible());

  DetailWindow once(PublisherMessage(), Viewer(Member::kFull), {});
  EXPECT_TRUE(once.copiesShown().isEmpty());
  EXPECT_EQ(once.blockButton(), nullptr);
  EXPECT_EQ(Button(&once, "屏蔽此会员"), nullptr);
}

TEST(DetailWindow, OrdinaryMemberWatchesTheCountdown) {
  DetailWindow window(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, 10), {});
  window.show();
  EXPECT_EQ(window.contactShown(), U("VIP会员查看电话号码无需等待，普通会员请稍等..."));
  EXPECT_TRUE(window.countdownShowing());
  EXPECT_EQ(window.countdownShown(), U("请不要关闭本窗口，10秒后将自动显示联系方式，倒计时"));
  EXPECT_EQ(window.counterShown(), U("10"));
  for (int i = 0; i < 3; ++i) window.state()->Tick();
  EXPECT_EQ(window.counterShown(), U("7"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  SaveArtifact(window, "detail_ordinary_countdown");
  for (int i = 0; i < 7; ++i) window.state()->Tick();
  EXPECT_FALSE(window.countdownShowing());
  EXPECT_EQ(window.contactShown(), U("13800001111"));
}

TEST(DetailWindow, TheRealTimerTicksOncePerSecondUntilClosed) {
  DetailWindow window(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, 2), {});
  window.show();
  QSignalSpy revealed(window.state(), &DetailState::contactRevealed);
  ASSERT_TRUE(revealed.wait(5000));
  EXPECT_EQ(window.contactShown(), U("13800001111"));

  DetailWindow closing(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, 60), {});
  closing.show();
  ASSERT_TRUE(closing.state()->timerRunning());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&closing));
  closing.close();
  EXPECT_FALSE(closing.state()->timerRunning());
}

TEST(DetailWindow, StaffMessageOfAClosedDeal) {
  CurrentMessage m = PublisherMessage();
  m.Flag = "0";
  m.Deal = "1";
  std::optional<std::string> opened;
  ScopedNoticeRecorder notices;
  DetailWindow window(m, Viewer(Member::kFull),
                      {{}, [&](const std::string& id) { opened = id; }, {}});
  EXPECT_EQ(window.statusShown(), U("已成交！"));
  EXPECT_EQ(window.sourceShown(), U("人工/坐席"));
  window.ActivateSource();
  EXPECT_FALSE(opened.has_value());
  EXPECT_TRUE(notices.notices.empty());
}

TEST(DetailWindow, SourceOpensTheProfileOnlyForFullMembers) {
  for (Member member : {Member::kFull, Member::kOrdinaryWaiting, Member::kGuest}) {
    SCOPED_TRACE(detail_test::Name(member));
    std::optional<std::string> opened;
    ScopedNoticeRecorder notices;
    DetailWindow window(PublisherMessage(), Viewer(member),
                        {{}, [&](const std::string& id) { opened = id; }, {}});
    window.ActivateSource();
    if (member == Member::kFull) {
      EXPECT_EQ(opened, "2002");
      EXPECT_TRUE(notices.notices.empty());
    } else {
      EXPECT_FALSE(opened.has_value());
      EXPECT_EQ(notices.notices,
                std::vector<std::string>{G("对不起，您暂时没有权限查看会员资料.")});
    }
  }
}

// The keyboard's way to the source link: Tab reaches it when it is a link,
// Space follows it.
TEST(DetailWindow, TabReachesTheSourceLinkAndSpaceFollowsIt) {
  std::optional<std::string> opened;
  DetailWindow window(PublisherMessage(), Viewer(Member::kFull),
                      {{}, [&](const std::string& id) { opened = id; }, {}});
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QLabel* link = nullptr;
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (label->text().contains(QStringLiteral("href"))) link = label;
  }
  ASSERT_NE(link, nullptr);
  window.findChildren<QTextEdit*>()[0]->setFocus();
  for (int i = 0; i < 10 && QApplication::focusWidget() != link; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  ASSERT_EQ(QApplication::focusWidget(), link);
  QTest::keyClick(link, Qt::Key_Space);
  EXPECT_EQ(opened, "2002");
  EXPECT_TRUE(window.isVisible());
}

TEST(DetailWindow, CtrlCCopiesNothing) {
  // The same keys on an ordinary box do copy, so the clipboard can tell.
  QTextEdit plain;
  plain.setPlainText("plain text");
  plain.show();
  plain.selectAll();
  QApplication::clipboard()->setText("before");
  QTest::keyClick(&plain, Qt::Key_C, Qt::ControlModifier);
  ASSERT_EQ(QApplication::clipboard()->text(), "plain text");

  DetailWindow window(PublisherMessage(), Viewer(Member::kFull), {});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (QTextEdit* box : window.findChildren<QTextEdit*>()) {
    QApplication::clipboard()->setText("before");
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
  }
  EXPECT_TRUE(window.isVisible());
}

TEST(DetailWindow, EnterClosesFromAnywhereWithoutPressingAButton) {
  int adds = 0;
  int opened = 0;
  for (const char* focus : {"content", "加入好友", "source link"}) {
    SCOPED_TRACE(focus);
    DetailWindow window(PublisherMessage(), Viewer(Member::kOrdinaryWaiting),
                        {[&] { ++adds; }, [&](const std::string&) { ++opened; }, {}});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* target = nullptr;
    if (std::string(focus) == "content") {
      target = window.findChildren<QTextEdit*>()[0];
    } else if (std::string(focus) == "source link") {
      for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().contains(QStringLiteral("href"))) target = label;
      }
    } else {
      target = Button(&window, focus);
    }
    ASSERT_NE(target, nullptr);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.state()->timerRunning());
  }
  EXPECT_EQ(adds, 0);
  EXPECT_EQ(opened, 0);
}

// Every field of a record holds markup: each label and box that shows a field
// shows it as text, and no picture is loaded.
TEST(DetailWindow, MarkupInTheRecordIsShownAsText) {
  const QString hostile = test::HostileText();
  const std::string gbk = ToGbk(hostile);
  CurrentMessage m;
  for (std::string* field : {&m.InfoID, &m.City, &m.TypeWord, &m.Content, &m.Tel, &m.Flag, &m.Time,
                             &m.Deal, &m.Company}) {
    *field = gbk;
  }
  struct Case {
    Member member;
    int fields_shown;  // city, time, content, and the telephone when it shows
  };
  for (const Case& c : {Case{Member::kFull, 4}, Case{Member::kGuest, 3}}) {
    SCOPED_TRACE(detail_test::Name(c.member));
    DetailWindow window(m, Viewer(c.member), {});
    window.show();
    EXPECT_EQ(test::CountShownAsText(&window, hostile), c.fields_shown);
    if (c.member == Member::kFull) {
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
      SaveArtifact(window, "detail_markup_as_text");
    }
  }
}

// Catches the addresses the detail view hands to the system.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

class DetailViewTest : public ::testing::Test {
 protected:
  void SetUp() override { QDesktopServices::setUrlHandler("tencent", &catcher, "Open"); }
  void TearDown() override { QDesktopServices::unsetUrlHandler("tencent"); }

  std::string Cell(int column) { return row.count(column) ? row[column] : std::string{}; }

  UrlCatcher catcher;
  ScopedNoticeRecorder notices;
  QWidget owner_window;
  DetailViewer viewer = Viewer(Member::kFull);
  std::map<int, std::string> row = {{0, "9001"},
                                    {1, G("济宁")},
                                    {2, G("货源")},
                                    {3, G("有货10吨")},
                                    {4, "13800001111"},
                                    {5, "2002"},
                                    {6, "2012-03-07 09:05:00"},
                                    {8, G("【济宁】有货10吨")},
                                    {9, "4455"},
                                    {12, "0"},
                                    {13, G("鲁达物流")}};
};

TEST_F(DetailViewTest, MessengerIconOpensTheChatOnlyForADigitNumber) {
  DetailView view(&owner_window, {[this] { return viewer; }, {}, {}, {}, "www.example.cn"},
                  [](auto, auto, auto) { return std::string("Error"); });
  view.OnRowDoubleClick(11, [this](int c) { return Cell(c); });
  ASSERT_EQ(catcher.urls.size(), 1u);
  EXPECT_EQ(catcher.urls[0].toString(), "tencent://message/?uin=4455&Site=www.example.cn&Menu=yes");

  row[9] = "4455&Menu=no";
  view.OnRowDoubleClick(11, [this](int c) { return Cell(c); });
  EXPECT_EQ(catcher.urls.size(), 1u);
  EXPECT_EQ(notices.notices, std::vector<std::string>{
                                 G("对不起！该用户没有开通“QQ”，\n\n您无法跟他进行“在线交谈”。")});
}

TEST_F(DetailViewTest, DoubleClickShowsTheMessageAndAddsThePublisher) {
  std::vector<std::string> sent;
  DetailView view(&owner_window,
                  {[this] { return viewer; },
                   [](std::string_view) { return false; },
                   [] { return std::string("feed.host"); },
                   {},
                   "site"},
                  [&](std::string_view, std::string_view host, std::string_view path) {
                    sent.push_back(std::string(host) + std::string(path));
                    return std::string("AddOK\r\n88");
                  });
  std::optional<AddedFriend> added;
  QString contact_seen;
  QObject::connect(&view, &DetailView::windowOpened, [&](DetailWindow* window) {
    contact_seen = window->contactShown();
    QTimer::singleShot(0, window, [window] { Button(window, "加入好友")->click(); });
    // Never hang the suite should the answer not come.
    QTimer::singleShot(5000, window, &QDialog::reject);
  });
  QObject::connect(&view, &DetailView::friendAdded, [&](const AddedFriend& friend_row) {
    added = friend_row;
    if (view.openWindow()) view.openWindow()->accept();
  });

  view.OnRowDoubleClick(8, [this](int c) { return Cell(c); });

  EXPECT_EQ(contact_seen, U("13800001111"));
  EXPECT_EQ(view.currentMessage().Company, G("鲁达物流"));
  EXPECT_EQ(view.openWindow(), nullptr);
  ASSERT_TRUE(added.has_value());
  EXPECT_EQ(*added, (AddedFriend{"88", G("鲁达物流"), "", "", "2002"}));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].rfind("feed.host/qavel/client/GetFrindInfo.asp?action=AddFrindInfo", 0), 0u);
}

TEST_F(DetailViewTest, EmptyRowTextOpensNoWindowButIsRemembered) {
  row[8] = "";
  int opened = 0;
  DetailView view(&owner_window, {[this] { return viewer; }, {}, {}, {}, "site"}, {});
  QObject::connect(&view, &DetailView::windowOpened, [&](DetailWindow* w) {
    ++opened;
    QTimer::singleShot(0, w, &QDialog::reject);
  });
  view.OnRowDoubleClick(7, [this](int c) { return Cell(c); });
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(view.currentMessage().InfoID, "9001");
}

}  // namespace
}  // namespace tv

#include "detail_window_test.moc"
