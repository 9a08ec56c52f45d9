#pragma once
// The login of every networked command: the same sequence as the login form
// (server discovery, the version check, the login request, the settings the
// form writes), run on a QtCore event loop. An update the server offers is
// reported, never installed from the terminal.
#include <QCoreApplication>
#include <memory>
#include <optional>
#include <string>

#include "app/member_session.h"
#include "cli/args.h"
#include "net/login_answer.h"

namespace tv::cli {

// The event loop of a command (QtCore only).
class EventLoop {
 public:
  EventLoop();
  QCoreApplication& App() { return *app_; }
  // Runs until Quit(); returns its code.
  int Run();
  void Quit(int code);
  // SIGINT and SIGTERM end Run() with exit code 0 (a follower's normal end).
  void QuitOnTermination();

 private:
  static int argc_;
  static char* argv_[];
  std::unique_ptr<QCoreApplication> app_;
};

struct LoginChoice {
  bool guest = false;
  bool remember = false;    // tick "记住用户与密码" first
  bool remembered = false;  // the login form's remembered user and password
  std::string user;         // GBK
  std::string password;     // GBK; for a remembered user read at the login
};

// --user and --password, else --guest (where `guest_allowed`), else the user
// and password the login form remembers. Nothing after a usage message.
std::optional<LoginChoice> ChooseLogin(std::string_view command, const ParsedArgs& args,
                                       bool guest_allowed);

struct Member {
  MemberProfile profile;
  LoginFlags flags;
  std::string host;  // the data server found by discovery (the window's FeedHost)
  // The login's session key and its renewal: what member pages are fetched
  // through.
  std::shared_ptr<MemberSession> session;
};

// The whole login; false after its notice went to standard error. Needs the
// command's EventLoop.
bool LogIn(EventLoop& loop, const LoginChoice& choice, Member& member);

// The member kind: "guest", "no-contact", "ordinary" or "full".
const char* MemberKind(const LoginFlags& flags);

}  // namespace tv::cli
