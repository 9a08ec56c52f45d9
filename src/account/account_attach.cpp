#include "account/account_attach.h"

#include <QAction>

#include "account/account_test_hooks.h"
#include "account/preferences_dialog.h"
#include "account/registration_form.h"
#include "core/build_constants.h"
#include "shell/shell.h"
#include "shell/shell_events.h"

namespace tv {
namespace {

QUrl WebAddress(const char* path) {
  return QUrl(QStringLiteral("http://%1%2")
                  .arg(QString::fromStdString(WebHost()), QString::fromLatin1(path)));
}

}  // namespace

void AttachAccount(Shell& shell) {
  QAction* preferences = shell.ClaimCommand(MainCommand::kPreferences);
  QObject::connect(preferences, &QAction::triggered, shell.Frame(), [&shell] {
    // Modal to the window while it is up. The tree side is stored at once;
    // the window moves its tree when the display settings are saved.
    auto* dialog = new PreferencesDialog(PreferencesDialog::SystemColourChooser, shell.Frame());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &PreferencesDialog::saved, &shell.Events(),
                     &ShellEvents::displaySettingsChanged);
    AnnouncePreferencesDialog(*dialog);
    dialog->open();
  });
  InstallAccountTestHooks(shell, preferences);
}

RegistrationForm* OpenRegistrationForm(QWidget* login_form,
                                       std::function<std::string()> current_host) {
  RegistrationForm::Services services;
  services.current_host = std::move(current_host);
  services.terms_address = WebAddress("/reg_read.asp");
  services.download_address = WebAddress("/xiazai/");
  auto* form = new RegistrationForm(std::move(services), login_form);
  form->setAttribute(Qt::WA_DeleteOnClose);
  AnnounceRegistrationForm(*form);
  form->open();
  return form;
}

}  // namespace tv
