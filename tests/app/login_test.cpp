// The login sequence headless: the form's remembered values and auto-login,
// discovery and the version check on a worker, the login answers of each kind
// of member, the guest entry and the settings written afterwards.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <fstream>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "core/version.h"
#include "local_service.h"
#include "settings/values.h"
#include "update_signer.h"

namespace tv {
namespace {

class LoginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    TestApp();
    service_ = new LocalService({"--demo", "--demo-count", "50"});
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }

  LoginTest() { ResetController(service_->host()); }

  void ResetController(const std::string& portal) {
    controller_.reset();
    discovery_ = std::make_unique<ServerDiscovery>(portal, DeadHost());
    LoginController::Options options;
    options.current_version = kClientVersion;
    options.tick_ms = 5;
    options.retry_pause_ms = 1;
    options.update_end_delay_ms = 1;
    options.end_client = [this] { ++ended_; };
    controller_ = std::make_unique<LoginController>(*discovery_, options);
    QObject::connect(controller_.get(), &LoginController::captionChanged,
                     [this](const QString& c) { captions_.push_back(c.toStdString()); });
  }

  // Runs the member's sequence and the login request; true on success.
  bool LogIn(const std::string& user, const std::string& password) {
    QSignalSpy accepted(controller_.get(), &LoginController::formAccepted);
    if (controller_->StartLogin(Utf8ToGbk(user), Utf8ToGbk(password)) !=
        LoginController::InputProblem::kNone) {
      return false;
    }
    if (!WaitFor([&] { return accepted.count() == 1; })) return false;
    return Authenticate();
  }

  bool Authenticate() {
    QSignalSpy ok(controller_.get(), &LoginController::loginSucceeded);
    QSignalSpy failed(controller_.get(), &LoginController::loginFailed);
    controller_->Authenticate();
    WaitFor([&] { return ok.count() + failed.count() > 0; });
    return ok.count() == 1;
  }

  static LocalService* service_;
  TempSettings settings_;
  ScopedNoticeRecorder notices_;
  std::unique_ptr<ServerDiscovery> discovery_;
  std::unique_ptr<LoginController> controller_;
  std::vector<std::string> captions_;
  int ended_ = 0;
};
LocalService* LoginTest::service_ = nullptr;

TEST_F(LoginTest, AnEmptyFieldStopsBeforeTheNetworkAndShowsNothing) {
  ASSERT_TRUE(service_->ok()) << service_->error();
  EXPECT_EQ(controller_->StartLogin("", "x"), LoginController::InputProblem::kEmptyUser);
  EXPECT_EQ(controller_->StartLogin("someone", ""), LoginController::InputProblem::kEmptyPassword);
  EXPECT_FALSE(controller_->Busy());
  EXPECT_TRUE(notices_.notices.empty());
  // The check stopped: the button does not go on claiming to check.
  EXPECT_EQ(captions_.back(), "登录");
}

TEST_F(LoginTest, GuestEntersWithTheVisitorProfile) {
  ASSERT_TRUE(service_->ok()) << service_->error();
  QSignalSpy accepted(controller_.get(), &LoginController::formAccepted);
  controller_->StartGuest();
  ASSERT_TRUE(WaitFor([&] { return accepted.count() == 1; }));
  ASSERT_TRUE(Authenticate());
  EXPECT_TRUE(controller_->Flags().GuestMode);
  EXPECT_EQ(controller_->Profile(), GuestProfile());
  EXPECT_EQ(captions_, (std::vector<std::string>{"正在检测网络...", "正在检测新版本..."}));
  EXPECT_EQ(StoredUserName(), "");
}

TEST_F(LoginTest, GuestGivesUpAfterThreeFailedDiscoveries) {
  ResetController(DeadHost());
  QSignalSpy enabled(controller_.get(), &LoginController::buttonEnabled);
  controller_->StartGuest();
  ASSERT_TRUE(WaitFor([&] { return !notices_.notices.empty(); }));
  EXPECT_EQ(GbkToUtf8(notices_.notices[0]), "网络连接失败,请检查网络是否正常!");
  EXPECT_EQ(captions_.back(), "用户登录");
  EXPECT_FALSE(controller_->Busy());
  EXPECT_EQ(enabled.last().at(0).toBool(), true);
  EXPECT_EQ(std::count(captions_.begin(), captions_.end(), "连接网络失败..."), 3);
}

TEST_F(LoginTest, TheMemberLoginRetriesDiscoveryUntilAServerAnswers) {
  // The stored list names a dead host and the portal is down too.
  ResetController(DeadHost());
  RecordStoredServerList("1@@" + DeadHost());
  QSignalSpy accepted(controller_.get(), &LoginController::formAccepted);
  controller_->StartLogin("someone", "secret");
  ASSERT_TRUE(WaitFor([&] { return captions_.size() >= 4; }));
  EXPECT_EQ(accepted.count(), 0);
  EXPECT_TRUE(controller_->Busy());
  // The service appears in the list: the sixth discovery reads it again.
  RecordStoredServerList("1@@" + service_->host());
  ASSERT_TRUE(WaitFor([&] { return accepted.count() == 1; }));
  EXPECT_NE(std::find(captions_.begin(), captions_.end(), "连接网络失败..."), captions_.end());
}

TEST_F(LoginTest, AutoLoginFiresOnTheThirdTick) {
  SetAutoLoginChecked(true);
  SetRememberPasswordChecked(true);
  SetStoredUserName(Utf8ToGbk("zhang"));
  SetStoredPassword("pw");
  QSignalSpy due(controller_.get(), &LoginController::autoLoginDue);
  QSignalSpy password(controller_.get(), &LoginController::rememberedPassword);
  LoginController::FormStart start = controller_->OpenForm();
  EXPECT_TRUE(start.remember);
  EXPECT_TRUE(start.auto_login);
  EXPECT_EQ(start.user, "zhang");
  EXPECT_EQ(captions_.back(), "正在登录...");
  ASSERT_TRUE(WaitFor([&] { return due.count() == 1; }));
  ASSERT_EQ(password.count(), 1);
  EXPECT_EQ(password.at(0).at(0).toString(), QStringLiteral("pw"));
  // Nothing more after the third tick until the form starts the login.
  controller_->StopAutoLogin();
}

TEST_F(LoginTest, RememberedValuesAreFilledOnlyWhenTheBoxIsTicked) {
  SetStoredUserName("zhang");
  SetStoredPassword("pw");
  WriteSetting(kMainKey, kAutoLogin, "0");
  LoginController::FormStart start = controller_->OpenForm();
  EXPECT_FALSE(start.remember);
  EXPECT_FALSE(start.auto_login);
  EXPECT_EQ(start.user, "");
  // Unticking the box forgets the stored password.
  controller_->SetRemember(false);
  ASSERT_TRUE(WaitFor([&] { return !controller_->Keeper().Busy(); }));
  EXPECT_EQ(StoredPassword(), "");
  EXPECT_EQ(StoredUserName(), "zhang");
}

TEST_F(LoginTest, EachKindOfMemberGetsItsAnswer) {
  ASSERT_TRUE(service_->ok()) << service_->error();
  struct Case {
    const char* user;
    const char* password;
    bool ok;
    bool no_contact;
    bool ordinary;
    const char* notice;  // after a failure
  };
  const Case cases[] = {
      {"demo_vip", "vip123", true, false, false, nullptr},
      {"demo_member", "member123", true, false, true, nullptr},
      {"demo_nocontact", "nocontact123", true, true, false, nullptr},
      {"demo_nopub", "nopub123", true, false, false, nullptr},
      {"demo_vip", "wrong", false, false, false, "      密码错误!      "},
      {"nobody_here", "x", false, false, false, "      用户名错误或者此用户名不存在!      "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    notices_.notices.clear();
    ResetController(service_->host());
    EXPECT_EQ(LogIn(c.user, c.password), c.ok);
    if (!c.ok) {
      ASSERT_EQ(notices_.notices.size(), 1u);
      EXPECT_EQ(GbkToUtf8(notices_.notices[0]), c.notice);
      continue;
    }
    EXPECT_TRUE(notices_.notices.empty());
    EXPECT_EQ(controller_->Flags().NoContactRights, c.no_contact);
    EXPECT_EQ(controller_->Flags().OrdinaryMember, c.ordinary);
    EXPECT_FALSE(controller_->Flags().GuestMode);
    if (c.no_contact) {
      EXPECT_EQ(controller_->Profile(), GuestProfile());
    } else {
      EXPECT_NE(controller_->Profile().UserId, 0);
      EXPECT_FALSE(controller_->Profile().Phone.empty());
    }
  }
}

TEST_F(LoginTest, AfterALoginTheNameIsKeptAndThePasswordOnlyWhenRemembered) {
  ASSERT_TRUE(service_->ok()) << service_->error();
  SetStoredPassword("old");
  controller_->SetRemember(false);
  ASSERT_TRUE(LogIn("demo_vip", "vip123"));
  ASSERT_TRUE(WaitFor([&] { return !controller_->Keeper().Busy(); }));
  EXPECT_EQ(StoredUserName(), "demo_vip");
  EXPECT_EQ(StoredPassword(), "");

  // No keyring answers in this test: the settings store keeps it.
  controller_->SetRemember(true);
  ASSERT_TRUE(LogIn("demo_nopub", "nopub123"));
  ASSERT_TRUE(WaitFor([&] { return !controller_->Keeper().Busy(); }));
  EXPECT_EQ(StoredUserName(), "demo_nopub");
  EXPECT_EQ(StoredPassword(), "nopub123");
  // The server that answered is remembered for the next run.
  EXPECT_EQ(StoredHost(), service_->host());
}

// A copy that may replace itself downloads, starts the updater and ends; a
// package manager's copy downloads nothing, tells the member the version once
// (a second login in the same run stays quiet) and logs in.
TEST_F(LoginTest, AnOfferedUpdateEndsAReplaceableCopyAndIsOnlyNamedToAPackagedOne) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath(QStringLiteral("offer"));
  const std::string offer = dir.filePath(QStringLiteral("offer")).toStdString();
  UpdateSigner signer(dir.path().toStdString());
  ASSERT_TRUE(signer.ok()) << signer.error();
  for (const char* name : {"tarvolo", "Update.exe"}) {
    std::ofstream(offer + "/" + name) << name;
    ASSERT_TRUE(signer.Sign(offer + "/" + name)) << signer.error();
  }
  LocalService updating({"--offer-version", "8.2.0.0", "--update-dir", offer});
  ASSERT_TRUE(updating.ok()) << updating.error();

  for (const bool replaceable : {true, false}) {
    SCOPED_TRACE(replaceable ? "replaceable copy" : "package manager's copy");
    const QString bin = replaceable ? QStringLiteral("bin") : QStringLiteral("usr-bin");
    QDir(dir.path()).mkpath(bin);
    discovery_ = std::make_unique<ServerDiscovery>(updating.host(), DeadHost());
    LoginController::Options options;
    options.program_path = dir.filePath(bin + QStringLiteral("/tarvolo")).toStdString();
    options.current_version = kClientVersion;
    options.update_end_delay_ms = 1;
    options.update_public_key = signer.public_hex();
    ended_ = 0;
    options.end_client = [this] { ++ended_; };
    int started = 0;
    options.start_updater = [&](const std::string&, const std::string&, const std::string&) {
      ++started;
      return true;
    };
    std::vector<std::string> asked;
    options.may_replace = [&](const std::string& program) {
      asked.push_back(program);
      return replaceable;
    };
    notices_.notices.clear();
    LoginController controller(*discovery_, options);
    QSignalSpy accepted(&controller, &LoginController::formAccepted);
    QSignalSpy update(&controller, &LoginController::updateStarted);
    controller.StartGuest();
    if (replaceable) {
      ASSERT_TRUE(WaitFor([&] { return ended_ == 1; }));
      EXPECT_EQ(started, 1);
      EXPECT_EQ(update.count(), 1);
      EXPECT_EQ(accepted.count(), 0);
      EXPECT_TRUE(notices_.notices.empty());
      continue;
    }
    ASSERT_TRUE(WaitFor([&] { return accepted.count() == 1; }));
    // The same controller logs in again, as after a failed login.
    controller.StartGuest();
    ASSERT_TRUE(WaitFor([&] { return accepted.count() == 2; }));
    EXPECT_EQ(asked, (std::vector<std::string>(2, options.program_path)));
    EXPECT_EQ(started, 0);
    EXPECT_EQ(update.count(), 0);
    EXPECT_EQ(ended_, 0);
    EXPECT_TRUE(QDir(dir.filePath(bin)).isEmpty()) << "nothing is downloaded";
    ASSERT_EQ(notices_.notices.size(), 1u);
    EXPECT_EQ(GbkToUtf8(notices_.notices[0]),
              "有新版本 8.2.0.0 可用,请通过系统的软件包管理器升级。");
  }
}

// An update that fails its check is named to the member with its version,
// and the login goes on with the running program.
TEST_F(LoginTest, AnUpdateThatFailsItsCheckIsToldAndTheLoginGoesOn) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath(QStringLiteral("offer"));
  QDir(dir.path()).mkpath(QStringLiteral("bin"));
  const std::string offer = dir.filePath(QStringLiteral("offer")).toStdString();
  for (const char* name : {"tarvolo", "Update.exe"}) {
    std::ofstream(offer + "/" + name) << name;  // served without signatures
  }
  LocalService updating({"--offer-version", "8.2.0.0", "--update-dir", offer});
  ASSERT_TRUE(updating.ok()) << updating.error();
  discovery_ = std::make_unique<ServerDiscovery>(updating.host(), DeadHost());
  LoginController::Options options;
  options.program_path = dir.filePath(QStringLiteral("bin/tarvolo")).toStdString();
  options.current_version = kClientVersion;
  options.may_replace = [](const std::string&) { return true; };
  options.start_updater = [](const std::string&, const std::string&, const std::string&) {
    ADD_FAILURE() << "an unverified updater started";
    return true;
  };
  LoginController controller(*discovery_, options);
  QSignalSpy accepted(&controller, &LoginController::formAccepted);
  controller.StartGuest();
  ASSERT_TRUE(WaitFor([&] { return accepted.count() == 1; }));
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(GbkToUtf8(notices_.notices[0]), "更新文件校验失败 (8.2.0.0)");
  EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("bin"))).isEmpty());
}

TEST_F(LoginTest, RememberedValuesLongerThanTheEditsAreCut) {
  SetRememberPasswordChecked(true);
  SetStoredUserName(Utf8ToGbk("货运") + std::string(16, 'u') + Utf8ToGbk("车"));
  SetStoredPassword(std::string(30, 'p'));
  QSignalSpy password(controller_.get(), &LoginController::rememberedPassword);
  LoginController::FormStart start = controller_->OpenForm();
  EXPECT_EQ(start.user, Utf8ToGbk("货运") + std::string(15, 'u'));
  ASSERT_TRUE(WaitFor([&] { return password.count() == 1; }));
  EXPECT_EQ(password.at(0).at(0).toString(), QString(19, QLatin1Char('p')));
}

TEST(CutGbkTest, NeverSplitsACharacter) {
  const std::string text = Utf8ToGbk("ab货源车源");  // 2 + 4 x 2 bytes
  EXPECT_EQ(CutGbk(text, 19), text);
  EXPECT_EQ(CutGbk(text, 5), Utf8ToGbk("ab1").substr(0, 2) + Utf8ToGbk("货"));
  EXPECT_EQ(CutGbk(text, 3), "ab");
  EXPECT_EQ(CutGbk(std::string(25, 'x'), 19), std::string(19, 'x'));
}

}  // namespace
}  // namespace tv
