#include "guest_window.h"

#include <QApplication>
#include <QPushButton>

#include "app/login_form.h"
#include "app/shell_setup.h"
#include "app_fixture.h"
#include "core/version.h"

namespace tv {
namespace {

LoginController::Options CurrentClient() {
  LoginController::Options options;
  options.current_version = kClientVersion;
  return options;
}

}  // namespace

GuestWindow::GuestWindow(const std::string& feed_host)
    : servers_(feed_host, DeadHost()),
      login_(servers_, CurrentClient()),
      window_(CreateMainWindow(servers_, login_)),
      shown_(window_.get(), &MainWindow::shownAfterLogin) {}

LoginForm* GuestWindow::ShowLoginForm() {
  window_->RunLoginLoop();
  form_ = qobject_cast<LoginForm*>(QApplication::activeModalWidget());
  return form_;
}

::testing::AssertionResult GuestWindow::EnterAsGuest() {
  if (!form_ && !ShowLoginForm()) {
    return ::testing::AssertionFailure() << "the login loop showed no login form";
  }
  form_->GuestButton()->click();
  form_ = nullptr;
  if (!WaitFor([&] { return shown_.count() == 1; })) {
    return ::testing::AssertionFailure() << "the window was not shown after the guest's login";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tv
