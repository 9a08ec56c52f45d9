// Where no keyring answers (a session bus without a Secret Service): the
// remembered password stays in the settings file, private to its owner, and
// the login form says so once.
#include <sys/stat.h>

#include <QSignalSpy>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "secrets/password_keeper.h"
#include "settings/store.h"
#include "settings/values.h"
#include "test_keyring.h"

namespace tv {
namespace {

TestKeyring* g_bus = nullptr;

class BareBusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_bus = new TestKeyring(false);
    TestApp();
  }
  void TearDown() override {
    delete g_bus;
    g_bus = nullptr;
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new BareBusEnvironment);

class NoKeyringTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(g_bus->ok()) << g_bus->error().toStdString(); }
  TempSettings settings_;
  ScopedNoticeRecorder notices_;
};

TEST_F(NoKeyringTest, ThePasswordStaysInThePrivateSettingsFile) {
  PasswordKeeper keeper;
  QSignalSpy kept(&keeper, &PasswordKeeper::kept);
  QSignalSpy read(&keeper, &PasswordKeeper::passwordRead);
  keeper.MoveFromSettings();  // nothing to move; learns that no keyring answers
  keeper.Keep("pw-file");
  keeper.MoveFromSettings();  // nowhere to move it to: it stays
  keeper.Read();
  ASSERT_TRUE(WaitFor([&] { return !keeper.Busy(); }));
  EXPECT_EQ(keeper.place(), PasswordKeeper::Place::kSettingsFile);
  ASSERT_EQ(kept.count(), 1);
  EXPECT_EQ(kept.at(0).at(0).value<PasswordKeeper::Place>(), PasswordKeeper::Place::kSettingsFile);
  EXPECT_EQ(StoredPassword(), "pw-file");
  ASSERT_EQ(read.count(), 1);
  EXPECT_EQ(read.at(0).at(0).toByteArray().toStdString(), "pw-file");
  struct stat info {};
  ASSERT_EQ(stat(settings_.Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  keeper.Forget();
  ASSERT_TRUE(WaitFor([&] { return !keeper.Busy(); }));
  EXPECT_EQ(ReadSetting(kMainKey, kPassword), kError);
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(NoKeyringTest, TheLoginFormSaysOnceWhereThePasswordIsKept) {
  ServerDiscovery servers(DeadHost(), DeadHost());
  LoginController controller(servers, LoginController::Options{});
  QSignalSpy note(&controller, &LoginController::passwordPlaceNotice);
  QSignalSpy password(&controller, &LoginController::rememberedPassword);

  // Not remembering: nothing to say.
  controller.OpenForm();
  ASSERT_TRUE(WaitFor([&] { return !controller.Keeper().Busy(); }));
  EXPECT_EQ(note.count(), 0);
  EXPECT_EQ(password.count(), 0);

  // The member ticks the box: told once, however often the form opens.
  controller.SetRemember(true);
  EXPECT_EQ(note.count(), 1);
  SetStoredPassword("pw-file");
  controller.OpenForm();
  controller.SetRemember(true);
  ASSERT_TRUE(WaitFor([&] { return password.count() == 1; }));
  EXPECT_EQ(password.at(0).at(0).toString(), QStringLiteral("pw-file"));
  ASSERT_TRUE(WaitFor([&] { return !controller.Keeper().Busy(); }));
  ASSERT_EQ(note.count(), 1);
  EXPECT_EQ(note.at(0).at(0).toString(),
            QStringLiteral("本机没有可用的密钥环,记住的密码将保存在设置文件中。"));
}

}  // namespace
}  // namespace tv
