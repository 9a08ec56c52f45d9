// "我的订阅" and the form of one subscription, offscreen: a route made
// through the form, every refusal a notice with the form still open, the
// eleventh refused, pause, order and removal kept in the store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "core/gbk.h"
#include "core/notice.h"
#include "subscribe/speech_player.h"
#include "subscribe/subscription_form.h"
#include "subscribe/subscription_set.h"
#include "subscribe/subscriptions_window.h"

namespace tv {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "subscribe_widgets_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class SubscriptionsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("tv-subs-window-") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    store_ = SubscriptionStore::Open((dir_ / "subscriptions.db").string());
    ASSERT_TRUE(store_);
    // No service: the lists' requests fail at once and change nothing here.
    FeedServices services;
    services.fetch = [](std::string_view, std::string_view) { return std::string("Error"); };
    set_ = std::make_unique<SubscriptionSet>(*store_, services);
    window_ = std::make_unique<SubscriptionsWindow>(*set_);
    window_->show();
  }
  void TearDown() override {
    window_.reset();
    set_.reset();
    std::filesystem::remove_all(dir_);
  }

  // Opens "新建", fills it in and presses "确定"; the form (still open when
  // refused, else null).
  SubscriptionForm* Submit(std::initializer_list<const char*> from,
                           std::initializer_list<const char*> to, int kind, const char* must,
                           const char* exclude) {
    window_->NewSubscription(false);
    SubscriptionForm* form = window_->OpenForm();
    if (form == nullptr) return nullptr;
    for (const char* region : from) form->Departures()->addItem(QString::fromUtf8(region));
    for (const char* region : to) form->Destinations()->addItem(QString::fromUtf8(region));
    form->KindBox()->setCurrentIndex(kind);
    form->MustEdit()->setText(QString::fromUtf8(must));
    form->ExcludeEdit()->setText(QString::fromUtf8(exclude));
    form->accept();
    QApplication::processEvents();
    return window_->OpenForm();
  }

  std::string LastNotice() const {
    return notices_.notices.empty() ? std::string() : GbkToUtf8(notices_.notices.back());
  }

  std::filesystem::path dir_;
  ScopedNoticeRecorder notices_;
  std::unique_ptr<SubscriptionStore> store_;
  std::unique_ptr<SubscriptionSet> set_;
  std::unique_ptr<SubscriptionsWindow> window_;
};

TEST_F(SubscriptionsWindowTest, ARouteMadeInTheFormIsKeptWithItsProposedName) {
  EXPECT_EQ(Submit({"济宁"}, {"北京"}, 0, "钢材，平板", "危险品"), nullptr) << LastNotice();
  const std::vector<Subscription> list = store_->List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(GbkToUtf8(list[0].name), "济宁→北京 货源");
  EXPECT_EQ(list[0].kind, SubscriptionKind::kCargo);
  EXPECT_EQ(list[0].must_words, (std::vector<std::string>{Utf8ToGbk("钢材"), Utf8ToGbk("平板")}));
  EXPECT_EQ(list[0].excluded_words, std::vector<std::string>{Utf8ToGbk("危险品")});
  ASSERT_EQ(window_->List()->count(), 1);
  EXPECT_TRUE(window_->List()->item(0)->text().contains(QStringLiteral("济宁→北京 货源")));
  // The running lists took it.
  ASSERT_NE(set_->FeedOf(list[0].id), nullptr);

  // Edited: the name given, the pause kept.
  ASSERT_TRUE(set_->SetPaused(list[0].id, true));
  window_->Refill();
  window_->EditSubscription(false);
  SubscriptionForm* form = window_->OpenForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Departures()->item(0)->text(), QStringLiteral("济宁"));
  form->NameEdit()->setText(QStringLiteral("回家"));
  form->accept();
  QApplication::processEvents();
  EXPECT_EQ(GbkToUtf8(store_->Find(list[0].id)->name), "回家");
  EXPECT_TRUE(store_->Find(list[0].id)->paused);
}

TEST_F(SubscriptionsWindowTest, BadInputIsANoticeAndTheFormStays) {
  struct Case {
    std::initializer_list<const char*> from, to;
    const char* must;
    const char* notice;
  };
  const Case cases[] = {
      {{}, {}, "", "请选择出发地或目的地"},
      {{"济宁"}, {"北京"}, "钢材😀", "GBK 不能表示"},
  };
  for (const Case& c : cases) {
    SubscriptionForm* form = Submit(c.from, c.to, 2, c.must, "");
    ASSERT_NE(form, nullptr) << c.notice;
    EXPECT_TRUE(form->isVisible());
    EXPECT_NE(LastNotice().find(c.notice), std::string::npos) << LastNotice();
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Adding a place before picking one says so.
  window_->NewSubscription(false);
  window_->OpenForm()->AddPicked(true);
  EXPECT_NE(LastNotice().find("请先选择"), std::string::npos) << LastNotice();
  window_->OpenForm()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(store_->List().empty());

  // An eleventh: refused before a form opens.
  for (int i = 0; i < kMaxSubscriptions; ++i) {
    Subscription s;
    s.name = Utf8ToGbk("路线") + std::to_string(i);
    s.destinations = {Utf8ToGbk("北京")};
    ASSERT_TRUE(store_->Add(s));
  }
  window_->NewSubscription(false);
  EXPECT_EQ(window_->OpenForm(), nullptr);
  EXPECT_NE(LastNotice().find("最多只能订阅 10 条路线"), std::string::npos) << LastNotice();
}

TEST_F(SubscriptionsWindowTest, PauseOrderAndRemovalGoToTheStore) {
  for (const char* name : {"甲", "乙", "丙"}) {
    Subscription s;
    s.name = Utf8ToGbk(name);
    s.destinations = {Utf8ToGbk("北京")};
    ASSERT_TRUE(store_->Add(s));
  }
  set_->Start();
  window_->Refill();
  window_->List()->setCurrentRow(2);
  window_->TogglePaused();
  window_->Move(-2);
  const std::vector<Subscription> list = store_->List();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(GbkToUtf8(list[0].name), "丙");
  EXPECT_TRUE(list[0].paused);
  EXPECT_TRUE(window_->List()->item(0)->text().contains(QStringLiteral("已暂停")));

  notices_.answer = false;
  window_->RemoveSubscription();
  EXPECT_EQ(store_->List().size(), 3u);
  notices_.answer = true;
  window_->RemoveSubscription();
  EXPECT_EQ(store_->List().size(), 2u);
  EXPECT_EQ(set_->Feeds().size(), 2u);
  ASSERT_FALSE(notices_.questions.empty());
  EXPECT_NE(GbkToUtf8(notices_.questions.back()).find("丙"), std::string::npos);
}

// Alerts said one after another: one renders or plays at a time, only the
// newest waits, and where there is no sound output nothing is played and
// nothing waits.
TEST(SpeechPlayerTest, SpeaksTheFirstAndTheNewestAndNeverWaitsWithoutADevice) {
  App();
  SpeechPlayer player;
  std::vector<double> lengths;
  QObject::connect(&player, &SpeechPlayer::rendered,
                   [&lengths](double seconds, bool) { lengths.push_back(seconds); });
  player.Say(Utf8ToGbk("新货源，济宁到北京，钢材二十吨"));
  player.Say(Utf8ToGbk("新车源，泰安到北京，高栏车"));
  player.Say(Utf8ToGbk("济宁到北京 新货源 12 条"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return lengths.size() == 2 && !player.Busy(); }, 30000));
  // The burst's count is the shorter of the two said.
  EXPECT_GT(lengths[0], lengths[1]);
  EXPECT_GT(lengths[1], 0.5);
}

}  // namespace
}  // namespace tv
