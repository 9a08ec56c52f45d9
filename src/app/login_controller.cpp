#include "app/login_controller.h"

#include <QPointer>
#include <chrono>
#include <thread>
#include <utility>

#include "app/server_discovery.h"
#include "app/version_check.h"
#include "core/background_job.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "net/query_encoding.h"
#include "net/transport.h"
#include "settings/store.h"
#include "settings/values.h"

namespace tv {
namespace {

// The login form's edits hold 19 bytes (a 20-byte field with its terminator).
constexpr std::size_t kInputBytes = 19;
constexpr int kGuestAttempts = 3;

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

std::string CutGbk(std::string_view gbk, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < gbk.size()) {
    std::size_t width = IsLeadByte(static_cast<unsigned char>(gbk[end])) ? 2 : 1;
    if (end + width > max_bytes) break;
    end += width;
  }
  return std::string(gbk.substr(0, std::min(end, gbk.size())));
}

LoginController::LoginController(ServerDiscovery& servers, Options options, QObject* parent)
    : QObject(parent),
      servers_(servers),
      options_(std::move(options)),
      cancelled_(std::make_shared<std::atomic<bool>>(false)) {
  auto_timer_.setInterval(options_.tick_ms);
  connect(&auto_timer_, &QTimer::timeout, this, &LoginController::OnTick);
  connect(&keeper_, &PasswordKeeper::passwordRead, this, &LoginController::OnPasswordRead);
  connect(&keeper_, &PasswordKeeper::placeChanged, this, [this](PasswordKeeper::Place place) {
    if (place == PasswordKeeper::Place::kSettingsFile && RememberPasswordChecked()) {
      TellPasswordPlace();
    }
  });
}

LoginController::~LoginController() { cancelled_->store(true); }

void LoginController::SetCaption(std::string_view gbk) { emit captionChanged(FromGbk(gbk)); }

LoginController::FormStart LoginController::OpenForm() {
  FormStart start;
  start.remember = RememberPasswordChecked();
  keeper_.MoveFromSettings();
  if (start.remember) {
    start.user = CutGbk(StoredUserName(), kInputBytes);
    password_pending_ = true;
    keeper_.Read();
  }
  // Any value but "0" ticks the box, as it always has.
  std::string auto_login = ReadSettingOrDefault(kAutoLogin);
  start.auto_login = !auto_login.empty() && auto_login != "0";
  if (start.auto_login) {
    SetCaption(TV_TEXT("正在登录..."));
    ticks_ = 0;
    auto_timer_.start();
  }
  return start;
}

void LoginController::OnPasswordRead(const QByteArray& gbk_password) {
  if (!password_pending_) return;
  password_pending_ = false;
  emit rememberedPassword(FromGbk(CutGbk(gbk_password.toStdString(), kInputBytes)));
  if (std::exchange(auto_login_waiting_, false)) emit autoLoginDue();
}

void LoginController::TellPasswordPlace() {
  if (std::exchange(place_told_, true)) return;
  emit passwordPlaceNotice(QStringLiteral("本机没有可用的密钥环,记住的密码将保存在设置文件中。"));
}

void LoginController::SetRemember(bool remember) {
  SetRememberPasswordChecked(remember);
  // A member who no longer wants the password remembered wants it gone.
  if (!remember) {
    keeper_.Forget();
  } else if (keeper_.place() == PasswordKeeper::Place::kSettingsFile) {
    TellPasswordPlace();
  }
}

void LoginController::SetAutoLogin(bool on) {
  SetAutoLoginChecked(on);
  if (on) {
    SetCaption(TV_TEXT("正在登录..."));
    ticks_ = 0;
    auto_timer_.start();
  } else {
    auto_timer_.stop();
    SetCaption(TV_TEXT("登录"));
  }
}

void LoginController::StopAutoLogin() { auto_timer_.stop(); }

void LoginController::OnTick() {
  if (++ticks_ != 3) return;
  if (password_pending_) {
    auto_login_waiting_ = true;
  } else {
    emit autoLoginDue();
  }
}

LoginController::InputProblem LoginController::StartLogin(const std::string& user,
                                                          const std::string& password) {
  auto_timer_.stop();
  // The form's values are taken: a remembered password that comes later
  // does not overwrite what the member typed.
  auto_login_waiting_ = false;
  password_pending_ = false;
  if (busy_) return InputProblem::kNone;
  emit buttonEnabled(false);
  SetCaption(TV_TEXT("检测登录信息..."));
  InputProblem problem = InputProblem::kNone;
  if (user.empty()) {
    problem = InputProblem::kEmptyUser;
  } else if (password.empty()) {
    problem = InputProblem::kEmptyPassword;
  }
  if (problem != InputProblem::kNone) {
    // Nothing is being checked any more: the button reads as before.
    SetCaption(TV_TEXT("登录"));
    emit buttonEnabled(true);
    return problem;
  }
  user_ = CutGbk(user, kInputBytes);
  password_ = CutGbk(password, kInputBytes);
  guest_pending_ = false;
  RunSequence(false);
  return InputProblem::kNone;
}

void LoginController::StartGuest() {
  auto_timer_.stop();
  if (busy_) return;
  emit buttonEnabled(false);
  RunSequence(true);
}

void LoginController::RunSequence(bool guest) {
  busy_ = true;
  SetCaption(TV_TEXT("正在检测网络..."));
  // Everything the worker touches is copied or outlives it (the discovery is
  // the process-wide one); what it reports is dropped when the controller is
  // gone.
  QPointer<QObject> receiver(this);
  auto post = [receiver, self = this](std::function<void(LoginController&)> apply) {
    ApplyOnUiThread(receiver, [self, apply = std::move(apply)] { apply(*self); });
  };
  auto caption = [post](std::string gbk) {
    post([gbk = std::move(gbk)](LoginController& c) { c.SetCaption(gbk); });
  };
  ServerDiscovery* servers = &servers_;
  Options options = options_;
  auto cancelled = cancelled_;
  StartInBackground([=]() {
    int failures = 0;
    while (!servers->DiscoverServer()) {
      if (cancelled->load()) return;
      caption(TV_TEXT("连接网络失败..."));
      const int attempts = guest ? kGuestAttempts : options.member_attempts;
      if (attempts > 0) {
        if (++failures >= attempts) {
          post([](LoginController& c) {
            c.busy_ = false;
            c.SetCaption(TV_TEXT("用户登录"));
            emit c.buttonEnabled(true);
            ShowNotice(TV_TEXT("网络连接失败,请检查网络是否正常!"));
          });
          return;
        }
        Pause(options.retry_pause_ms);
        caption(TV_TEXT("正在检测网络..."));
        Pause(options.retry_pause_ms);
      } else {
        // The member's login retries without end; a pause keeps a dead
        // network from being hammered and lets the caption be read.
        Pause(options.retry_pause_ms);
        caption(TV_TEXT("正在检测网络..."));
      }
      if (cancelled->load()) return;
    }
    caption(TV_TEXT("正在检测新版本..."));
    UpdateEnvironment env;
    env.host = servers->CurrentHost();
    env.program_path = options.program_path;
    env.current_version = options.current_version;
    env.caption = [caption](std::string_view gbk) { caption(std::string(gbk)); };
    env.start_updater = options.start_updater;
    env.may_replace = options.may_replace;
    env.public_key_hex = options.update_public_key;
    const UpdateCheck update = CheckForUpdate(env);
    if (update.outcome == UpdateOutcome::kUpdaterStarted) {
      post([](LoginController& c) { emit c.updateStarted(); });
      Pause(options.update_end_delay_ms);
      post([](LoginController& c) {
        if (c.options_.end_client) c.options_.end_client();
      });
      return;
    }
    std::string offered;
    if (update.outcome == UpdateOutcome::kNewerVersionOffered) offered = update.offered_version;
    std::string refused;
    if (update.outcome == UpdateOutcome::kSignatureFailed) refused = update.offered_version;
    post([guest, offered, refused](LoginController& c) {
      c.NoticeNewerVersion(offered);
      // Nothing was replaced; the member logs in with the running version.
      if (!refused.empty()) ShowNotice(TV_TEXT("更新文件校验失败") + " (" + refused + ")");
      c.Finish(true, guest);
    });
  });
}

void LoginController::NoticeNewerVersion(const std::string& version) {
  // A login that is tried again asks again; the member hears of each
  // version once.
  if (version.empty() || version == noticed_version_) return;
  noticed_version_ = version;
  ShowNotice(TV_TEXT("有新版本 ") + version + TV_TEXT(" 可用,请通过系统的软件包管理器升级。"));
}

void LoginController::Finish(bool accepted, bool guest) {
  busy_ = false;
  emit buttonEnabled(true);
  if (!accepted) return;
  guest_pending_ = guest;
  emit formAccepted();
}

LoginAnswer LoginController::SendLogin(const std::string& host, const std::string& user,
                                       const std::string& password) {
  std::string path = "/qavel/client/client_login.asp?action=Login_Client&loginSign=0&username=" +
                     EncodeQueryValue(user) + "&password=" + EncodeQueryValue(password);
  return ParseLoginAnswer(FetchEncodedPage("POST", host, path));
}

void LoginController::Authenticate() {
  if (guest_pending_) {
    profile_ = GuestProfile();
    flags_ = LoginFlags{};
    flags_.GuestMode = true;
    members_->End();
    emit loginSucceeded();
    return;
  }
  std::string host = servers_.CurrentHost();
  RunInBackground(
      this, [host, user = user_, password = password_] { return SendLogin(host, user, password); },
      [this, user = user_, password = password_](LoginAnswer answer) {
        if (!answer.ok()) {
          ShowNotice(LoginNotice(answer.outcome));
          emit loginFailed();
          return;
        }
        profile_ = answer.profile;
        flags_ = answer.flags;
        flags_.GuestMode = false;
        // A member the service shows nothing has no member pages to open.
        if (flags_.NoContactRights) {
          members_->End();
        } else {
          members_->Begin(user, password, profile_.SessionKey);
        }
        // The user name is kept after every login; the password only while
        // the member asked for it to be remembered, in the keyring where
        // one answers.
        if (options_.keep_login) {
          SetStoredUserName(user);
          if (RememberPasswordChecked()) {
            keeper_.Keep(password);
          } else {
            keeper_.Forget();
          }
        }
        emit loginSucceeded();
      });
}

}  // namespace tv
