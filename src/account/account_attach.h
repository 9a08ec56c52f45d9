#pragma once
// Registration and the preferences in the program: the registration form that
// the login form opens, and "系统设置" in the main window.
#include <functional>
#include <string>

class QWidget;

namespace tv {

class RegistrationForm;
class Shell;

// Claims "系统设置": the preferences dialog over the main window; "保存" tells
// everything that paints rows (ShellEvents::displaySettingsChanged).
void AttachAccount(Shell& shell);

// Opens the registration form over `parent` (the login form, or the main
// window when a guest asks to publish), modal to it; it deletes itself when
// closed. `current_host` gives the data server it sends to.
RegistrationForm* OpenRegistrationForm(QWidget* parent, std::function<std::string()> current_host);

}  // namespace tv
