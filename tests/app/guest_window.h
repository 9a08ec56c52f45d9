#pragma once
// The real main window as the program makes it, on a local service, logged
// in through its login form's guest button. Features attach to Window()
// before the login, as the program attaches them.
#include <QSignalSpy>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "shell/main_window.h"

namespace tv {

class LoginForm;

class GuestWindow {
 public:
  // The window on `feed_host`, whose fallback host refuses at once; not
  // shown until the login.
  explicit GuestWindow(const std::string& feed_host);

  MainWindow& Window() { return *window_; }

  // Starts the window's login loop; the login form it put in front, or null.
  LoginForm* ShowLoginForm();
  // Presses the guest button (of the form ShowLoginForm() showed, or of one
  // it shows now) and waits until the window is shown after the login.
  ::testing::AssertionResult EnterAsGuest();

 private:
  ServerDiscovery servers_;
  LoginController login_;
  std::unique_ptr<MainWindow> window_;
  QSignalSpy shown_;
  LoginForm* form_ = nullptr;
};

}  // namespace tv
