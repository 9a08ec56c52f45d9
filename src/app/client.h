#pragma once
// The client's start-up and run, as one function: one copy per machine, the
// logon start list cleaned, the program name recorded, a left-over updater
// removed, then the main window with its features runs the login loop and
// everything after it. The program's main() calls it as it is; the
// end-to-end test build passes what it watches and drives through.
#include <functional>
#include <string>

namespace tv {

class DetailAttachment;
class FeedAttachment;
class LoginController;
class MainWindow;
class NoticeSink;

struct ClientHooks {
  // Replaces the message boxes of the notices (outlives the run).
  NoticeSink* notices = nullptr;
  // Another copy runs: called before its notice, and the process ends after.
  std::function<void()> second_copy;
  // The login sequence exists; nothing has run yet.
  std::function<void(LoginController& login)> login_ready;
  // The window and its features exist; the login loop has not run yet.
  std::function<void(MainWindow& window, FeedAttachment& feed, DetailAttachment& detail)>
      window_ready;
  // The login loop runs (its form is open).
  std::function<void()> login_form_shown;
  // The key updates must be signed with (hex); empty: the one built in.
  std::string update_public_key;
};

// Never returns: the process ends with the window or the login form.
[[noreturn]] void RunClient(int argc, char** argv, const ClientHooks& hooks = {});

}  // namespace tv
