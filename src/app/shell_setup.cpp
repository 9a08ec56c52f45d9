#include "app/shell_setup.h"

#include "account/account_attach.h"
#include "app/login_controller.h"
#include "app/login_form.h"
#include "app/server_discovery.h"

namespace tv {

std::unique_ptr<MainWindow> CreateMainWindow(ServerDiscovery& servers, LoginController& login) {
  ShellEnvironment environment;
  environment.login_form = [&login, &servers] {
    auto* form = new LoginForm(login);
    QObject::connect(form, &LoginForm::registerRequested, form, [form, &servers] {
      OpenRegistrationForm(form, [&servers] { return servers.CurrentHost(); });
    });
    return form;
  };
  environment.authenticate = [&login] { login.Authenticate(); };
  environment.current_host = [&servers] { return servers.CurrentHost(); };
  environment.discover = [&servers] { return servers.DiscoverServer(); };
  environment.fetch = [&login](std::string_view verb, std::string_view host,
                               std::string_view path) {
    return login.Members().Fetch(verb, host, path);
  };
  auto window = std::make_unique<MainWindow>(std::move(environment));
  MainWindow* w = window.get();
  QObject::connect(&login, &LoginController::loginSucceeded, w,
                   [w, &login] { w->LoginSucceeded(login.Profile(), login.Flags()); });
  QObject::connect(&login, &LoginController::loginFailed, w, &MainWindow::RunLoginLoop);
  return window;
}

}  // namespace tv
