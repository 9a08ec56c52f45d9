#include "account/account_test_hooks.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <string>

#include "account/preferences_dialog.h"
#include "account/registration_form.h"
#include "core/test_hooks.h"
#include "shell/shell.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

void Report(const QString& line) { ReportTestEvent(QStringLiteral("account-") + line); }

QString Rect(const QWidget* w) {
  const QPoint at = w->mapToGlobal(QPoint(0, 0));
  return QStringLiteral("%1 %2 %3 %4").arg(at.x()).arg(at.y()).arg(w->width()).arg(w->height());
}

const char* OutcomeWord(RegistrationOutcome outcome) {
  switch (outcome) {
    case RegistrationOutcome::kNotSent:
      return "not-sent";
    case RegistrationOutcome::kNameTaken:
      return "name-taken";
    case RegistrationOutcome::kAwaitingApproval:
      return "awaiting-approval";
    case RegistrationOutcome::kRegistered:
      return "registered";
    case RegistrationOutcome::kOther:
      break;
  }
  return "other";
}

// The shown top-level dialog that holds a button of this object name.
QWidget* DialogWithButton(const QString& button) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->findChild<QPushButton*>(button) != nullptr) return w;
  }
  return nullptr;
}

// Presses a button after the command returns: a button that opens a modal
// chooser must not run its loop inside the reading of the input.
void PressLater(QAbstractButton* button) {
  if (button != nullptr) QTimer::singleShot(0, button, &QAbstractButton::click);
}

class AccountHooks : public QObject {
 public:
  AccountHooks(Shell& shell, QAction* preferences, int fd)
      : QObject(shell.Frame()),
        shell_(shell),
        preferences_(preferences),
        fd_(fd),
        input_(fd, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, [this] { ReadInput(); });
  }
  ~AccountHooks() override { ::close(fd_); }

  QPointer<RegistrationForm> form;
  QPointer<PreferencesDialog> dialog;

 private:
  void ReadInput() {
    char buffer[4096];
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got <= 0) return;  // a writer closed; the FIFO stays open for the next
    pending_.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      const QString line = QString::fromUtf8(pending_.substr(0, end)).trimmed();
      pending_.erase(0, end + 1);
      if (!line.isEmpty()) Run(line);
    }
  }

  void Run(const QString& line) {
    const QString command = line.section(' ', 0, 0);
    const QString arg1 = line.section(' ', 1, 1);
    const QString rest = line.section(' ', 2);
    if (command == QLatin1String("register")) {
      if (QWidget* login = DialogWithButton(QStringLiteral("register"))) {
        PressLater(login->findChild<QPushButton*>(QStringLiteral("register")));
      }
    } else if (command == QLatin1String("reg-text") && form) {
      if (auto* edit = form->findChild<QLineEdit*>(arg1)) edit->setText(rest);
    } else if (command == QLatin1String("reg-choose") && form) {
      if (auto* box = form->findChild<QComboBox*>(arg1)) box->setCurrentIndex(box->findText(rest));
    } else if (command == QLatin1String("reg-submit") && form) {
      PressLater(form->SubmitButton());
    } else if (command == QLatin1String("login")) {
      if (QWidget* login = DialogWithButton(QStringLiteral("login"))) {
        login->findChild<QLineEdit*>(QStringLiteral("user"))->setText(arg1);
        login->findChild<QLineEdit*>(QStringLiteral("password"))->setText(rest);
        PressLater(login->findChild<QPushButton*>(QStringLiteral("login")));
      }
    } else if (command == QLatin1String("prefs")) {
      QTimer::singleShot(0, preferences_, &QAction::trigger);
    } else if (command == QLatin1String("prefs-colour") && dialog) {
      PressLater(arg1 == QLatin1String("back") ? dialog->BackButton() : dialog->TextButton());
    } else if (command == QLatin1String("colour")) {
      if (auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
        chooser->setCurrentColor(
            QColor(arg1.toInt(), rest.section(' ', 0, 0).toInt(), rest.section(' ', 1, 1).toInt()));
        chooser->accept();
      }
    } else if (command == QLatin1String("prefs-face") && dialog) {
      const int index = dialog->FaceBox()->findText(line.section(' ', 1));
      dialog->FaceBox()->setCurrentIndex(index);
      emit dialog->FaceBox()->activated(index);
    } else if (command == QLatin1String("prefs-size") && dialog) {
      dialog->SizeSlider()->setValue(arg1.toInt());
    } else if (command == QLatin1String("prefs-side") && dialog) {
      PressLater(arg1 == QLatin1String("right") ? dialog->RightButton() : dialog->LeftButton());
    } else if (command == QLatin1String("prefs-save") && dialog) {
      PressLater(dialog->SaveButton());
    } else if (command == QLatin1String("geometry")) {
      const Colour back = shell_.Grid()->BackColour();
      Report(QStringLiteral("geometry grid %1 tree %2 back %3 %4 %5")
                 .arg(Rect(shell_.Grid()), Rect(shell_.TreeArea()))
                 .arg(ColourRed(back))
                 .arg(ColourGreen(back))
                 .arg(ColourBlue(back)));
    }
    Report(QStringLiteral("done ") + command);
  }

  Shell& shell_;
  QPointer<QAction> preferences_;
  int fd_;
  QSocketNotifier input_;
  std::string pending_;
};

AccountHooks* g_hooks = nullptr;

}  // namespace

void InstallAccountTestHooks(Shell& shell, QAction* preferences) {
  const char* path = std::getenv("TARVOLO_TEST_ACCOUNT_INPUT");
  if (!TestHooksOn() || path == nullptr || *path == '\0' || g_hooks != nullptr) return;
  // Read and write: the FIFO never reports end of input between two writers.
  const int fd = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  g_hooks = new AccountHooks(shell, preferences, fd);
  QObject::connect(g_hooks, &QObject::destroyed, [] { g_hooks = nullptr; });
}

void AnnounceRegistrationForm(RegistrationForm& form) {
  if (g_hooks == nullptr) return;
  g_hooks->form = &form;
  QObject::connect(&form, &RegistrationForm::answered, g_hooks, [](RegistrationOutcome outcome) {
    Report(QStringLiteral("registration-answered ") + QLatin1String(OutcomeWord(outcome)));
  });
  QTimer::singleShot(0, g_hooks, [] { Report(QStringLiteral("registration-shown")); });
}

void AnnouncePreferencesDialog(PreferencesDialog& dialog) {
  if (g_hooks == nullptr) return;
  g_hooks->dialog = &dialog;
  QObject::connect(&dialog, &PreferencesDialog::saved, g_hooks,
                   [] { Report(QStringLiteral("prefs-saved")); });
  QTimer::singleShot(0, g_hooks, [] { Report(QStringLiteral("prefs-shown")); });
}

}  // namespace tv
