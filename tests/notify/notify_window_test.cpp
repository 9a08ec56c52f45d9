// The desktop notifications of the real main window (offscreen), logged in as
// a guest against a local service with a search shown, and a recording
// notification service on the test's own session bus: none while the window
// is in front or the member switched them off, one per poll answer
// otherwise, each replacing the last, and a click brings the window back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "guest_window.h"
#include "local_service.h"
#include "notification_recorder.h"
#include "notify/desktop_notifier.h"
#include "private_bus.h"
#include "search/local_search_form.h"
#include "search/search_attach.h"
#include "settings/values.h"
#include "window_app.h"

namespace tv {
namespace {

QApplication& GuiApp() { return MainWindowTestApp("notify_window_tests"); }

InfoRecord Match(const char* id, const char* content_utf8) {
  InfoRecord record;
  record.InfoID = id;
  record.City = Utf8ToGbk("北京");
  record.Type = "0";
  record.Content = Utf8ToGbk(content_utf8);
  record.Tel = "13900000000";
  record.Time = "2012-03-07 09:05:00";
  return record;
}

TEST(NotificationsOfTheMainWindow, NewMatchesOutOfSightAreNotifiedAndAClickBringsTheWindow) {
  // The program's notifier connects to the session bus at its first
  // notification: this test's bus, with our recorder on it.
  PrivateBus bus;
  ASSERT_TRUE(bus.ok()) << bus.error().toStdString();
  ASSERT_TRUE(qputenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().toUtf8()));
  NotificationRecorder recorder;
  ASSERT_TRUE(recorder.Register(bus.Connect(QStringLiteral("recorder"))));

  GuiApp();
  TempSettings settings;
  ScopedNoticeRecorder notices;
  LocalService service({"--demo", "--no-cache"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  DetailAttachment& detail = AttachDetail(w);
  SearchAttachment& search = AttachSearch(w, AttachFeed(w, detail), detail);
  auto* notifier = search.findChild<DesktopNotifier*>();
  ASSERT_NE(notifier, nullptr);
  QSignalSpy answered(notifier, &DesktopNotifier::notifyAnswered);

  ASSERT_TRUE(guest.EnterAsGuest());
  LocalSearchForm* local = search.OpenLocalForm(false);
  ASSERT_NE(local, nullptr);
  local->KeywordEdit()->setEditText(QStringLiteral("煤炭"));
  local->AddTypedKeyword();
  QSignalSpy first_page(&search.Panel(), &SearchResultsPanel::firstPageApplied);
  local->Search();
  ASSERT_TRUE(WaitFor([&] { return first_page.count() == 1; }));

  // What a poll answer does to the panel: matches on top, then the signal.
  SearchResultsPanel& panel = search.Panel();
  const auto poll_answer = [&](std::initializer_list<InfoRecord> matches) {
    for (const InfoRecord& match : matches) panel.Store().PutRecord(match, PutMode::kInsert, 0);
    emit panel.matchesInserted(static_cast<int>(matches.size()));
  };

  // In front: the member sees the panel.
  w.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return w.isActiveWindow(); }));
  poll_answer({Match("900001", "北京到济南 煤炭 在前")});
  // Switched off.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return other.isActiveWindow() && !w.isActiveWindow(); }));
  ASSERT_TRUE(SetDesktopNotifyOn(false));
  poll_answer({Match("900002", "北京到济南 煤炭 关闭")});
  ASSERT_TRUE(SetDesktopNotifyOn(true));

  // Behind another window: one notification for the answer, naming the
  // newest match, the one on top.
  poll_answer({Match("900003", "北京到济南 煤炭 甲"), Match("900004", "北京到济南 煤炭 乙")});
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }));
  ASSERT_EQ(recorder.Notifications().size(), 1u) << "a notification in front or switched off";
  // A copy: the list grows below, and a reference into it would dangle.
  const NotificationRecorder::Received first = recorder.Notifications()[0];
  EXPECT_EQ(first.summary.toStdString(), "2 条新匹配信息");
  // The row as the panel shows it (a guest sees no telephone), without its
  // colour and highlight marks.
  EXPECT_EQ(first.body.toStdString(), "【北京】北京到济南 煤炭 乙 双击查看电话 3-7 9:05");

  // Minimised: the next answer replaces it.
  w.showMinimized();
  ASSERT_TRUE(WaitFor([&] { return w.isMinimized(); }));
  poll_answer({Match("900005", "北京到济南 煤炭 丙")});
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }));
  ASSERT_EQ(recorder.Notifications().size(), 2u);
  EXPECT_EQ(recorder.Notifications()[1].summary.toStdString(), "1 条新匹配信息");
  EXPECT_EQ(recorder.Notifications()[1].replaces_id, first.id);

  // A click on it brings the window back in front.
  recorder.Invoke(notifier->LastId(), QStringLiteral("default"));
  EXPECT_TRUE(WaitFor([&] { return !w.isMinimized() && w.isActiveWindow(); }));
  // Back at the window, the notification is taken off the desktop.
  ASSERT_TRUE(WaitFor([&] { return recorder.Closed().size() == 1; }));
  EXPECT_EQ(recorder.Closed()[0], recorder.Notifications()[1].id);

  // So is one shown while the window was away, when the search closes.
  other.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return other.isActiveWindow() && !w.isActiveWindow(); }));
  poll_answer({Match("900006", "北京到济南 煤炭 丁")});
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 3; }));
  search.CloseSearch();
  ASSERT_TRUE(WaitFor([&] { return recorder.Closed().size() == 2; }));
  EXPECT_EQ(recorder.Closed()[1], recorder.Notifications()[2].id);
  EXPECT_TRUE(notices.notices.empty());
}

}  // namespace
}  // namespace tv
