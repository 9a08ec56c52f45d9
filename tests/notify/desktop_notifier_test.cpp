// The notifier against a recording notification service on a private bus:
// what it sends, how each notification replaces the last, what waits while
// an answer is outstanding, the click, and a desktop without bus or service.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app_fixture.h"
#include "notification_recorder.h"
#include "notify/desktop_notifier.h"
#include "private_bus.h"

namespace tv {
namespace {

// Every connection of the process needs a name of its own.
QString NextName(const char* what) {
  static int count = 0;
  return QStringLiteral("%1-%2").arg(QLatin1String(what)).arg(++count);
}

class NotifierOnPrivateBus : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(bus_.ok()) << bus_.error().toStdString(); }

  // The notifier's connector for the private bus.
  DesktopNotifier::Connector Client() const {
    return [address = bus_.Address(), name = NextName("client")] {
      return QDBusConnection::connectToBus(address, name);
    };
  }
  // Puts `recorder` on the bus under the service's name; its connection.
  QDBusConnection StartService(NotificationRecorder& recorder) {
    QDBusConnection service = bus_.Connect(NextName("service"));
    EXPECT_TRUE(recorder.Register(service));
    return service;
  }

  PrivateBus bus_;
};

TEST_F(NotifierOnPrivateBus, EachNotificationReplacesTheLast) {
  NotificationRecorder recorder;
  ASSERT_TRUE(StartService(recorder).isConnected());
  DesktopNotifier notifier(Client());
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);

  notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("北京到济南 煤炭20吨"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }));
  ASSERT_EQ(recorder.Notifications().size(), 1u);
  // A copy: the list grows below, and a reference into it would dangle.
  const NotificationRecorder::Received first = recorder.Notifications()[0];
  EXPECT_EQ(first.summary, QStringLiteral("2 条新匹配信息"));
  EXPECT_EQ(first.body, QStringLiteral("北京到济南 煤炭20吨"));
  EXPECT_EQ(first.replaces_id, 0u);
  EXPECT_EQ(first.app_name, QStringLiteral("Tarvolo"));
  EXPECT_EQ(first.app_icon, QStringLiteral("tarvolo"));
  EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(),
            QStringLiteral("cn.tarvolo.Tarvolo"));
  // A click on the notification itself is its default action.
  ASSERT_GE(first.actions.size(), 2);
  EXPECT_EQ(first.actions[0], QStringLiteral("default"));
  EXPECT_EQ(answered.at(0).at(0).toUInt(), first.id);
  EXPECT_EQ(notifier.LastId(), first.id);

  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("天津到上海 钢材"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }));
  ASSERT_EQ(recorder.Notifications().size(), 2u);
  const NotificationRecorder::Received& second = recorder.Notifications()[1];
  EXPECT_EQ(second.summary, QStringLiteral("1 条新匹配信息"));
  EXPECT_EQ(second.body, QStringLiteral("天津到上海 钢材"));
  EXPECT_EQ(second.replaces_id, first.id);
  EXPECT_EQ(notifier.LastId(), first.id);
}

TEST_F(NotifierOnPrivateBus, ABodyIsEscapedOnlyForAServiceThatReadsMarkup) {
  const QString text = QStringLiteral("<b>煤炭</b> & 钢材");
  struct Case {
    bool markup;
    QString sent;
  };
  const Case cases[] = {
      {true, QStringLiteral("&lt;b&gt;煤炭&lt;/b&gt; &amp; 钢材")},
      {false, text},
  };
  for (const Case& c : cases) {
    NotificationRecorder::Options options;
    options.body_markup = c.markup;
    NotificationRecorder recorder(options);
    QDBusConnection service = StartService(recorder);
    DesktopNotifier notifier(Client());
    QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);
    notifier.Show(QStringLiteral("1 条新匹配信息"), text);
    ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }));
    ASSERT_EQ(recorder.Notifications().size(), 1u);
    EXPECT_EQ(recorder.Notifications()[0].body, c.sent) << "markup " << c.markup;
    // The next case's service takes the name.
    service.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    ASSERT_TRUE(service.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
  }
}

TEST_F(NotifierOnPrivateBus, WhileAnAnswerIsOutstandingOnlyTheNewestTextWaits) {
  NotificationRecorder::Options options;
  options.hold_answers = true;
  NotificationRecorder recorder(options);
  ASSERT_TRUE(StartService(recorder).isConnected());
  DesktopNotifier notifier(Client());
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);

  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
  ASSERT_TRUE(WaitFor([&] { return recorder.Notifications().size() == 1; }));
  notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("B"));
  notifier.Show(QStringLiteral("3 条新匹配信息"), QStringLiteral("C"));
  recorder.SetHoldAnswers(false);
  recorder.ReleaseHeld();
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }));
  // One more after both answers: had "B" gone out, it would show here.
  notifier.Show(QStringLiteral("4 条新匹配信息"), QStringLiteral("D"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 3; }));

  const auto& got = recorder.Notifications();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].body, QStringLiteral("A"));
  EXPECT_EQ(got[1].body, QStringLiteral("C"));
  EXPECT_EQ(got[2].body, QStringLiteral("D"));
  // "C" waited for "A"'s id, so it replaced it.
  EXPECT_EQ(got[1].replaces_id, got[0].id);
  EXPECT_EQ(got[2].replaces_id, got[0].id);
}

TEST_F(NotifierOnPrivateBus, AStalledServiceHoldsNothingUp) {
  NotificationRecorder::Options options;
  options.hold_answers = true;
  NotificationRecorder recorder(options);
  ASSERT_TRUE(StartService(recorder).isConnected());
  DesktopNotifier notifier(Client());
  notifier.SetCallTimeoutMs(300);
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);

  // Show returns at once although nothing is ever answered; the unanswered
  // call gives up and the waiting text goes out after it.
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
  ASSERT_TRUE(WaitFor([&] { return recorder.Notifications().size() == 1; }, 10000));
  notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("B"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }, 10000));
  EXPECT_EQ(answered.at(0).at(0).toUInt(), 0u);
  ASSERT_TRUE(WaitFor([&] { return recorder.Notifications().size() == 2; }, 10000));
  EXPECT_EQ(recorder.Notifications()[1].body, QStringLiteral("B"));
  EXPECT_EQ(recorder.Notifications()[1].replaces_id, 0u);
  EXPECT_EQ(notifier.LastId(), 0u);
}

TEST_F(NotifierOnPrivateBus, OnlyAClickOnTheLastNotificationAsksForTheWindow) {
  NotificationRecorder recorder;
  ASSERT_TRUE(StartService(recorder).isConnected());
  DesktopNotifier notifier(Client());
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);
  QSignalSpy activated(&notifier, &DesktopNotifier::activated);
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }));
  const uint id = notifier.LastId();
  ASSERT_NE(id, 0u);

  recorder.Invoke(id + 100, QStringLiteral("default"));  // another program's
  recorder.Invoke(id, QStringLiteral("other"));
  recorder.Invoke(id, QStringLiteral("default"));
  ASSERT_TRUE(WaitFor([&] { return activated.count() >= 1; }));
  // A round trip behind the signals: whatever they caused has happened.
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("B"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }));
  EXPECT_EQ(activated.count(), 1);
}

TEST_F(NotifierOnPrivateBus, AWithdrawnNotificationIsClosedEvenWhileItsAnswerIsOutstanding) {
  NotificationRecorder recorder;
  ASSERT_TRUE(StartService(recorder).isConnected());
  DesktopNotifier notifier(Client());
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);

  // Answered, then withdrawn: closed at once, and the next one is new.
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }));
  const uint first = notifier.LastId();
  notifier.Withdraw();
  ASSERT_TRUE(WaitFor([&] { return recorder.Closed().size() == 1; }));
  EXPECT_EQ(recorder.Closed()[0], first);
  EXPECT_EQ(notifier.LastId(), 0u);

  // Withdrawn before its answer came: closed when the answer comes, and a
  // text that was waiting behind it never goes out.
  recorder.SetHoldAnswers(true);
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("B"));
  ASSERT_TRUE(WaitFor([&] { return recorder.Notifications().size() == 2; }));
  notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("C"));
  notifier.Withdraw();
  recorder.SetHoldAnswers(false);
  recorder.ReleaseHeld();
  ASSERT_TRUE(WaitFor([&] { return recorder.Closed().size() == 2; }));
  EXPECT_EQ(recorder.Closed()[1], recorder.Notifications()[1].id);
  EXPECT_EQ(recorder.Notifications()[1].replaces_id, 0u);
  // A round trip behind: "C" would have gone out by now.
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("D"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 3; }));
  ASSERT_EQ(recorder.Notifications().size(), 3u);
  EXPECT_EQ(recorder.Notifications()[2].body, QStringLiteral("D"));
  EXPECT_EQ(recorder.Notifications()[2].replaces_id, 0u);
}

TEST_F(NotifierOnPrivateBus, WithoutAServiceOnTheBusNothingIsShown) {
  DesktopNotifier notifier(Client());
  QSignalSpy settled(&notifier, &DesktopNotifier::busSettled);
  QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);
  notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 1; }, 10000));
  ASSERT_EQ(settled.count(), 1);
  EXPECT_TRUE(settled.at(0).at(0).toBool());
  EXPECT_EQ(answered.at(0).at(0).toUInt(), 0u);
  notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("B"));
  ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }, 10000));
  EXPECT_EQ(notifier.LastId(), 0u);
}

TEST(DesktopNotifierWithoutBus, ShowDoesNothingAndReturnsAtOnce) {
  TestApp();
  // The program's own connector with no session bus to be found: no
  // address, no runtime folder, no display to start one for.
  for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY"}) {
    qunsetenv(name);
  }
  struct Case {
    const char* what;
    DesktopNotifier::Connector connector;
  };
  const Case cases[] = {
      {"a bus address where nothing listens",
       [] {
         return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/tarvolo-bus"),
                                              NextName("nobus"));
       }},
      {"no session bus", DesktopNotifier::SessionBus},
  };
  for (const Case& c : cases) {
    DesktopNotifier notifier(c.connector);
    QSignalSpy settled(&notifier, &DesktopNotifier::busSettled);
    QSignalSpy answered(&notifier, &DesktopNotifier::notifyAnswered);
    notifier.Show(QStringLiteral("1 条新匹配信息"), QStringLiteral("A"));
    ASSERT_TRUE(WaitFor([&] { return settled.count() == 1; }, 10000)) << c.what;
    EXPECT_FALSE(settled.at(0).at(0).toBool()) << c.what;
    // Later matches are dropped without another try.
    notifier.Show(QStringLiteral("2 条新匹配信息"), QStringLiteral("B"));
    EXPECT_EQ(settled.count(), 1) << c.what;
    EXPECT_EQ(answered.count(), 0) << c.what;
    EXPECT_EQ(notifier.LastId(), 0u) << c.what;
  }
}

}  // namespace
}  // namespace tv
