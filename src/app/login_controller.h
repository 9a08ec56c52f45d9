#pragma once
// The login sequence behind the login form and the main window: remembered
// values, the auto-login timer, server discovery and the version check (on a
// worker, with the form's captions as progress), then the login request or
// the guest entry, and the settings written after a member's login.
// QtCore only; the form is a thin view over it.
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/member_session.h"
#include "net/login_answer.h"
#include "secrets/password_keeper.h"

namespace tv {

class ServerDiscovery;

class LoginController : public QObject {
  Q_OBJECT

 public:
  struct Options {
    std::string program_path;          // for the update files
    std::string_view current_version;  // compared with the offered one
    int tick_ms = 1000;                // auto-login timer period
    int retry_pause_ms = 1000;         // between failed discoveries
    int update_end_delay_ms = 1000;    // updater started -> client ends
    // Ends the client after an update started (tests record it instead).
    std::function<void()> end_client;
    // Starts the downloaded updater (tests replace it).
    std::function<bool(const std::string&, const std::string&, const std::string&)> start_updater;
    // Whether this copy may replace itself (tests replace it; empty: it may
    // when its folder is writable and no package installed it).
    std::function<bool(const std::string& program_path)> may_replace;
    // Failed discoveries before a member's login gives up with the network
    // notice, as the guest entry does; 0: the form's login tries without end.
    int member_attempts = 0;
    // The key updates must be signed with (hex); empty: the one built in.
    std::string update_public_key;
    // Whether a login that succeeds keeps the user name (and, while
    // "记住用户与密码" is ticked, the password) as the form does; a login
    // for one command of the terminal leaves the remembered member alone.
    bool keep_login = true;
  };

  // What the form shows when it opens. The remembered password comes later,
  // through rememberedPassword(), once the keyring has answered.
  struct FormStart {
    bool remember = false;
    bool auto_login = false;
    std::string user;  // GBK
  };

  enum class InputProblem { kNone, kEmptyUser, kEmptyPassword };

  LoginController(ServerDiscovery& servers, Options options, QObject* parent = nullptr);
  ~LoginController() override;

  // --- the form ---------------------------------------------------------------
  // Reads the remembered values and starts the auto-login timer when it is
  // set; a password the settings store still holds is moved into the keyring
  // first. The auto-login waits for the remembered password.
  FormStart OpenForm();
  // The two check boxes (written to the store; a failed write warns).
  void SetRemember(bool remember);
  void SetAutoLogin(bool on);
  void StopAutoLogin();
  // The login sequence. Returns the empty field instead of starting when one
  // is empty (nothing is shown). Inputs are cut to 19 bytes of GBK.
  InputProblem StartLogin(const std::string& user, const std::string& password);
  void StartGuest();
  bool Busy() const { return busy_; }

  // --- the main window -------------------------------------------------------
  // After the form was accepted: the login request (member) or the guest
  // profile; ends in loginSucceeded() or, after its notice, loginFailed().
  void Authenticate();
  const MemberProfile& Profile() const { return profile_; }
  const LoginFlags& Flags() const { return flags_; }
  bool GuestMode() const { return flags_.GuestMode; }
  // Where the remembered password is kept; busy while the keyring is asked.
  const PasswordKeeper& Keeper() const { return keeper_; }
  // The member's session key and its silent renewal, for every request of
  // the run (any thread; it outlives the window with the controller).
  MemberSession& Members() { return *members_; }
  // The same, for a caller that outlives the controller (tarvolo-cli).
  std::shared_ptr<MemberSession> SharedMembers() const { return members_; }

  // The login request with both values through the query encoding (blocking).
  static LoginAnswer SendLogin(const std::string& host, const std::string& user,
                               const std::string& password);

 signals:
  // Progress texts for the form's login button ("正在检测网络..." ...).
  void captionChanged(const QString& caption);
  // The button is usable again (end of a sequence or a refused input).
  void buttonEnabled(bool enabled);
  // The third tick of the auto-login timer: the form starts the login.
  void autoLoginDue();
  // The remembered password for the form's edit (cut to the edit's bytes).
  void rememberedPassword(const QString& password);
  // No keyring answers: the remembered password will be kept in the
  // settings file. Said once per run, when the remember box is ticked.
  void passwordPlaceNotice(const QString& text);
  // Discovery and version check are done: the form closes as accepted.
  void formAccepted();
  // The login or guest entry is complete; Profile() and Flags() hold it.
  void loginSucceeded();
  // A login request failed (its notice was shown): the form opens again.
  void loginFailed();
  // An update was started; the client ends (after the options' delay).
  void updateStarted();

 private:
  void SetCaption(std::string_view gbk);
  void RunSequence(bool guest);
  void OnTick();
  void Finish(bool accepted, bool guest);
  // The notice that a newer version exists, for a copy the package manager
  // updates; once per version.
  void NoticeNewerVersion(const std::string& version);
  void OnPasswordRead(const QByteArray& gbk_password);
  void TellPasswordPlace();

  ServerDiscovery& servers_;
  Options options_;
  QTimer auto_timer_;
  int ticks_ = 0;
  PasswordKeeper keeper_;
  bool password_pending_ = false;    // the remembered password is on its way
  bool auto_login_waiting_ = false;  // the third tick came before it
  bool place_told_ = false;
  bool busy_ = false;
  std::string user_;
  std::string password_;
  bool guest_pending_ = false;
  std::string noticed_version_;
  MemberProfile profile_;
  LoginFlags flags_;
  std::shared_ptr<MemberSession> members_ =
      std::make_shared<MemberSession>(&LoginController::SendLogin);
  // Workers stop at their next step once the controller is gone.
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

// Cuts a GBK text to at most `max_bytes` bytes without splitting a character.
std::string CutGbk(std::string_view gbk, std::size_t max_bytes);

}  // namespace tv
