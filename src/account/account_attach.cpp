#include "account/account_attach.h"

#include <QAction>

#include "account/preferences_dialog.h"
#include "account/registration_form.h"
#include "core/build_constants.h"
#include "shell/shell.h"
#include "shell/shell_decisions.h"
#include "shell/shell_events.h"

namespace tv {
namespace {

QUrl WebAddress(const char* path) {
  return QUrl(QString::fromStdString(WebPageAddress(WebHost(), path)));
}

}  // namespace

void AttachAccount(Shell& shell) {
  QAction* preferences = shell.ClaimCommand(MainCommand::kPreferences);
  QObject::connect(preferences, &QAction::triggered, shell.Frame(), [&shell] {
    // Modal to the window while it is up. The tree side is stored and
    // applied at once, the appearance when saved.
    auto* dialog = new PreferencesDialog(PreferencesDialog::SystemColourChooser, shell.Frame());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &PreferencesDialog::saved, &shell.Events(),
                     &ShellEvents::displaySettingsChanged);
    QObject::connect(dialog, &PreferencesDialog::sideChosen, &shell.Events(),
                     &ShellEvents::treeSideChanged);
    QObject::connect(dialog, &PreferencesDialog::foldingChanged, &shell.Events(),
                     &ShellEvents::foldingChanged);
    QObject::connect(dialog, &PreferencesDialog::blockedMembersChanged, &shell.Events(),
                     &ShellEvents::blockedMembersChanged);
    dialog->open();
  });
}

RegistrationForm* OpenRegistrationForm(QWidget* parent, std::function<std::string()> current_host) {
  RegistrationForm::Services services;
  services.current_host = std::move(current_host);
  services.terms_address = WebAddress("/reg_read.asp");
  services.download_address = WebAddress("/xiazai/");
  auto* form = new RegistrationForm(std::move(services), parent);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->open();
  return form;
}

}  // namespace tv
