#pragma once
// The main window on the program's login sequence and servers: the login form
// it opens, the login it runs, and the controller's answers wired back to it.
#include <memory>

#include "shell/main_window.h"

namespace tv {

class LoginController;
class ServerDiscovery;

// Both must outlive the window.
std::unique_ptr<MainWindow> CreateMainWindow(ServerDiscovery& servers, LoginController& login);

}  // namespace tv
