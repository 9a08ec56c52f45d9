#include "cli/session.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>

#include "app/login_controller.h"
#include "app/secure_connections.h"
#include "app/server_discovery.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "core/version.h"
#include "settings/values.h"

namespace tv::cli {
namespace {

// A dead network is tried this often before the command gives up with the
// network notice (the form would try for ever; a script must not hang).
constexpr int kDiscoveryAttempts = 3;

}  // namespace

int EventLoop::argc_ = 1;
char* EventLoop::argv_[] = {const_cast<char*>("tarvolo-cli"), nullptr};

EventLoop::EventLoop() : app_(std::make_unique<QCoreApplication>(argc_, argv_)) {
  ConfigureSecureConnections();
}

int EventLoop::Run() { return app_->exec(); }

void EventLoop::Quit(int code) { app_->exit(code); }

namespace {

int g_signal_pipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  // Nothing else is safe in a signal handler; the loop reads the pipe.
  [[maybe_unused]] ssize_t n = ::write(g_signal_pipe[1], &byte, 1);
}

}  // namespace

void EventLoop::QuitOnTermination() {
  if (g_signal_pipe[0] < 0 && ::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, app_.get());
  QObject::connect(notifier, &QSocketNotifier::activated, app_.get(), [this] {
    char byte;
    while (::read(g_signal_pipe[0], &byte, 1) > 0) {
    }
    Quit(0);
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

std::optional<LoginChoice> ChooseLogin(std::string_view command, const ParsedArgs& args,
                                       bool guest_allowed) {
  LoginChoice choice;
  const auto user = args.Value("user");
  const auto password = args.Value("password");
  if (args.Has("guest")) {
    if (!guest_allowed) {
      UsageError(command, "a guest cannot do this: log in with --user and --password");
      return std::nullopt;
    }
    if (user || password) {
      UsageError(command, "--guest takes no --user or --password");
      return std::nullopt;
    }
    choice.guest = true;
    return choice;
  }
  if (user.has_value() != password.has_value()) {
    UsageError(command, "--user and --password go together");
    return std::nullopt;
  }
  if (user) {
    auto gbk_user = GbkArgument(command, "the user name", *user);
    if (!gbk_user) return std::nullopt;
    auto gbk_password = GbkArgument(command, "the password", *password);
    if (!gbk_password) return std::nullopt;
    if (gbk_user->empty() || gbk_password->empty()) {
      UsageError(command, "an empty user name or password");
      return std::nullopt;
    }
    choice.user = *gbk_user;
    choice.password = *gbk_password;
    return choice;
  }
  // The password is read from the keyring at the login (LogIn).
  if (RememberPasswordChecked() && !StoredUserName().empty()) {
    choice.user = StoredUserName();
    choice.remembered = true;
    return choice;
  }
  UsageError(command,
             "no remembered user: give --user and --password"
             " (or log in once with \"tarvolo-cli login --remember\")");
  return std::nullopt;
}

bool LogIn(EventLoop& loop, const LoginChoice& choice, Member& member) {
  LoginController::Options options;
  options.current_version = kClientVersion;
  options.member_attempts = kDiscoveryAttempts;
  // The terminal never replaces the program: a newer version is told (one
  // notice line) and the login goes on.
  options.may_replace = [](const std::string&) { return false; };
  // Only "login --remember" changes whom the next commands log in as.
  options.keep_login = choice.remember;
  LoginController login(Servers(), options);
  bool accepted = false;
  QObject::connect(&login, &LoginController::formAccepted, &login, [&] {
    accepted = true;
    login.Authenticate();
  });
  // The sequence ended without the form being accepted: its notice was told.
  QObject::connect(
      &login, &LoginController::buttonEnabled, &login,
      [&](bool enabled) {
        if (enabled && !accepted && !login.Busy()) loop.Quit(1);
      },
      Qt::QueuedConnection);
  // Done once the password is kept (in the keyring, or the settings file).
  QObject::connect(&login, &LoginController::loginSucceeded, &login, [&] {
    if (!login.Keeper().Busy()) loop.Quit(0);
    QObject::connect(&login.Keeper(), &PasswordKeeper::idle, &login, [&] { loop.Quit(0); });
  });
  QObject::connect(&login, &LoginController::loginFailed, &login, [&] { loop.Quit(1); });
  QObject::connect(&login, &LoginController::passwordPlaceNotice, &login,
                   [](const QString& text) { ShowNotice(ToGbk(text)); });

  if (choice.guest) {
    QTimer::singleShot(0, &login, [&] { login.StartGuest(); });
  } else if (choice.remembered) {
    // As the form: the remembered user, and the password once it is read.
    QObject::connect(&login, &LoginController::rememberedPassword, &login,
                     [&](const QString& password) {
                       if (password.isEmpty()) {
                         ShowNotice(TV_TEXT("no remembered password: give --user and --password"));
                         loop.Quit(2);
                         return;
                       }
                       login.StartLogin(choice.user, ToGbk(password));
                     });
    QTimer::singleShot(0, &login, [&] { login.OpenForm(); });
  } else {
    if (choice.remember) login.SetRemember(true);
    QTimer::singleShot(0, &login, [&] { login.StartLogin(choice.user, choice.password); });
  }
  if (loop.Run() != 0) return false;
  member.profile = login.Profile();
  member.flags = login.Flags();
  member.host = Servers().CurrentHost();
  member.session = login.SharedMembers();
  return true;
}

const char* MemberKind(const LoginFlags& flags) {
  if (flags.GuestMode) return "guest";
  if (flags.NoContactRights) return "no-contact";
  if (flags.OrdinaryMember) return "ordinary";
  return "full";
}

}  // namespace tv::cli
