// The remembered password against a real Secret Service (gnome-keyring on a
// private bus): kept and read back, moved out of the settings store with no
// copy left in the file, forgotten; and the login form's start reading it.
#include <sys/stat.h>

#include <QProcess>
#include <QSignalSpy>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "local_service.h"
#include "temp_store.h"
#include "secrets/password_keeper.h"
#include "settings/store.h"
#include "settings/values.h"
#include "test_keyring.h"

namespace tv {
namespace {

TestKeyring* g_keyring = nullptr;

class KeyringEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_keyring = new TestKeyring(true);
    TestApp();
  }
  void TearDown() override {
    delete g_keyring;
    g_keyring = nullptr;
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new KeyringEnvironment);

// "密码" in GBK among ASCII: the keyring must give back the very bytes.
const std::string kSecret = "kr-\xC3\xDC\xC2\xEB-5e1d";

class KeyringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(g_keyring->ok()) << g_keyring->error().toStdString();
    // Each case starts from an empty keyring entry.
    PasswordKeeper keeper;
    keeper.Forget();
    ASSERT_TRUE(WaitFor([&] { return !keeper.Busy(); }));
  }

  // Runs `keeper`'s queued steps to their end.
  static void Settle(PasswordKeeper& keeper) {
    ASSERT_TRUE(WaitFor([&] { return !keeper.Busy(); }));
  }

  static std::string ReadBack() {
    PasswordKeeper keeper;
    QSignalSpy read(&keeper, &PasswordKeeper::passwordRead);
    keeper.Read();
    if (!WaitFor([&] { return read.count() == 1; })) return "(no answer)";
    return read.at(0).at(0).toByteArray().toStdString();
  }

  TempSettings settings_;
  ScopedNoticeRecorder notices_;
};

TEST_F(KeyringTest, APasswordIsKeptInTheKeyringAndNeverInTheSettingsStore) {
  PasswordKeeper keeper;
  QSignalSpy kept(&keeper, &PasswordKeeper::kept);
  keeper.Keep(kSecret);
  Settle(keeper);
  ASSERT_EQ(kept.count(), 1);
  EXPECT_EQ(kept.at(0).at(0).value<PasswordKeeper::Place>(), PasswordKeeper::Place::kKeyring);
  EXPECT_EQ(keeper.place(), PasswordKeeper::Place::kKeyring);
  EXPECT_EQ(ReadSetting(kMainKey, kPassword), kError);
  EXPECT_FALSE(test::StoreFilesHold(settings_.Path(), kSecret));
  // A fresh keeper (a later run) finds it in the keyring.
  EXPECT_EQ(ReadBack(), kSecret);

  keeper.Forget();
  Settle(keeper);
  EXPECT_EQ(ReadBack(), "");
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(KeyringTest, APasswordInTheSettingsStoreMovesIntoTheKeyringAndLeavesNoCopy) {
  ASSERT_TRUE(SetStoredPassword(kSecret));
  ASSERT_TRUE(SetStoredUserName("demo_vip"));
  // Reopened: the password now lies in the database file itself, not only in
  // its log.
  UseSettingsStore(SettingsStore::Open(settings_.Path()));
  ASSERT_TRUE(test::StoreFilesHold(settings_.Path(), kSecret));

  PasswordKeeper keeper;
  keeper.MoveFromSettings();
  Settle(keeper);
  EXPECT_EQ(keeper.place(), PasswordKeeper::Place::kKeyring);
  EXPECT_EQ(ReadSetting(kMainKey, kPassword), kError);
  EXPECT_EQ(StoredUserName(), "demo_vip");
  // Closed, so that nothing is left unwritten in a connection's cache.
  UseSettingsStore(nullptr);
  EXPECT_FALSE(test::StoreFilesHold(settings_.Path(), kSecret));
  UseSettingsStore(SettingsStore::Open(settings_.Path()));
  EXPECT_EQ(ReadBack(), kSecret);
}

TEST_F(KeyringTest, TheLoginFormGetsTheRememberedPasswordBeforeItsAutoLogin) {
  SetRememberPasswordChecked(true);
  SetAutoLoginChecked(true);
  SetStoredUserName("zhang");
  ASSERT_TRUE(SetStoredPassword(kSecret));  // left by an older client
  ServerDiscovery servers(DeadHost(), DeadHost());
  LoginController::Options options;
  options.tick_ms = 1;
  LoginController controller(servers, options);
  QSignalSpy password(&controller, &LoginController::rememberedPassword);
  QSignalSpy due(&controller, &LoginController::autoLoginDue);
  QSignalSpy note(&controller, &LoginController::passwordPlaceNotice);
  // The third tick comes long before the keyring answers: the auto-login
  // waits for the password.
  bool password_first = false;
  QObject::connect(&controller, &LoginController::autoLoginDue,
                   [&] { password_first = password.count() == 1; });
  const LoginController::FormStart start = controller.OpenForm();
  EXPECT_EQ(start.user, "zhang");
  ASSERT_TRUE(WaitFor([&] { return due.count() == 1; }));
  EXPECT_TRUE(password_first);
  ASSERT_EQ(password.count(), 1);
  EXPECT_EQ(ToGbk(password.at(0).at(0).toString()), kSecret);
  EXPECT_EQ(note.count(), 0);
  ASSERT_TRUE(WaitFor([&] { return !controller.Keeper().Busy(); }));
  EXPECT_EQ(ReadSetting(kMainKey, kPassword), kError);
  controller.StopAutoLogin();
}

// tarvolo-cli follows the same rule as the window: "login --remember" puts
// the password into the keyring, and a later command logs in with it.
TEST_F(KeyringTest, TheTerminalClientsRememberedPasswordLivesInTheKeyring) {
  LocalService service({"--demo", "--demo-count", "20"});
  ASSERT_TRUE(service.ok()) << service.error();
  auto run = [&](const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARVOLO_PORTAL_HOST"), QString::fromStdString(service.host()));
    env.insert(QStringLiteral("TARVOLO_FALLBACK_HOST"), QString::fromStdString(service.host()));
    env.insert(QStringLiteral("TARVOLO_SETTINGS"), QString::fromStdString(settings_.Path()));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(TARVOLO_CLI), args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return cli.readAllStandardError().toStdString();
  };
  EXPECT_EQ(run({QStringLiteral("login"), QStringLiteral("--remember"), QStringLiteral("demo_vip"),
                 QStringLiteral("vip123")}),
            "");
  EXPECT_EQ(ReadSetting(kMainKey, kPassword), kError);
  EXPECT_EQ(ReadBack(), "vip123");
  run({QStringLiteral("feed")});  // logs in with the remembered member
}

}  // namespace
}  // namespace tv
