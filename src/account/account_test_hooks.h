#pragma once
// With TARVOLO_TEST_HOOKS set and TARVOLO_TEST_ACCOUNT_INPUT naming a FIFO,
// the end-to-end runs drive the login form, the registration form and the
// preferences through lines written to that FIFO (UTF-8), and read what
// happened as "TARVOLO account-..." lines on standard output. Otherwise
// nothing is installed and the announcements do nothing.
//
//   register                     "注册会员" of the login form
//   reg-text NAME TEXT           the registration edit NAME gets TEXT
//   reg-choose NAME TEXT         the registration list NAME selects TEXT
//   reg-submit                   "同意服务条款,确认提交"
//   login USER PASSWORD          fills the login form and presses "登录"
//   prefs                        the menu command "系统设置"
//   prefs-colour back|text       opens the colour chooser of that button
//   colour R G B                 the open colour chooser takes the colour
//   prefs-face FACE | prefs-size N | prefs-side left|right | prefs-save
//   geometry                     reports where the list and the tree are
// Every command is answered with "TARVOLO account-done COMMAND".
class QAction;

namespace tv {

class PreferencesDialog;
class RegistrationForm;
class Shell;

// `preferences` is the claimed "系统设置" action.
void InstallAccountTestHooks(Shell& shell, QAction* preferences);
// The forms report themselves when they open (and their answers).
void AnnounceRegistrationForm(RegistrationForm& form);
void AnnouncePreferencesDialog(PreferencesDialog& dialog);

}  // namespace tv
