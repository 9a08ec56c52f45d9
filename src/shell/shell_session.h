#pragma once
// The session of the main window: who is logged in and with which rights, the
// data server the feed and its neighbours send to, and the program's servers.
// QtCore only; one per main window, living as long as it.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "net/login_answer.h"

class QDialog;

namespace tv {

// What the program hands the window: its login sequence and its servers. The
// window knows neither the login form nor the discovery behind them.
struct ShellEnvironment {
  // A new login form, not yet shown; the window opens it and it deletes
  // itself when closed. Accepted: the member asked to log in.
  std::function<QDialog*()> login_form;
  // After an accepted form: the login request. It ends in
  // MainWindow::LoginSucceeded() or, after its notice, in RunLoginLoop().
  std::function<void()> authenticate;
  // The data server discovery settled on (any thread).
  std::function<std::string()> current_host;
  // A new discovery; true when the current host answered (worker thread).
  std::function<bool()> discover;
  // One exchange with a data server, the answer decoded ("Error" on
  // failure); the member pages carry the member's session key, renewed by a
  // silent login when the service refuses it. Worker threads. Unset: the
  // plain transport.
  std::function<std::string(std::string_view verb, std::string_view host, std::string_view path)>
      fetch;
};

class ShellSession : public QObject {
  Q_OBJECT

 public:
  explicit ShellSession(ShellEnvironment environment, QObject* parent = nullptr);

  bool IsLoggedIn() const { return logged_in_; }
  const MemberProfile& Profile() const { return profile_; }
  const LoginFlags& Flags() const { return flags_; }

  // The copy of the current host taken after login; the feed moves it when
  // its server is lost. Publishing, the friends list, the detail view and
  // the advert pages send to it.
  const std::string& FeedHost() const { return feed_host_; }
  void SetFeedHost(std::string host);

  // The refresh period of the live lists, read once when the window starts.
  int RefreshPeriodMs() const { return refresh_period_ms_; }

  // The program's servers: the host discovery settled on (any thread), and a
  // new discovery (worker thread; true when the current host answered).
  std::string CurrentHost() const;
  bool Discover() const;
  // The environment's fetch: what the features' network jobs send through
  // (worker threads).
  std::string Fetch(std::string_view verb, std::string_view host, std::string_view path) const;

  // The login loop succeeded: the member, and the feed host taken from the
  // current host. Emits loggedIn().
  void SignIn(const MemberProfile& profile, const LoginFlags& flags);

  const ShellEnvironment& Environment() const { return environment_; }

 signals:
  // After SignIn(): the features start their work.
  void loggedIn();
  void feedHostChanged(const QString& host);

 private:
  ShellEnvironment environment_;
  MemberProfile profile_;
  LoginFlags flags_;
  bool logged_in_ = false;
  std::string feed_host_;
  int refresh_period_ms_;
};

}  // namespace tv
