// The test client's driver of registration and the preferences. With
// TARVOLO_TEST_ACCOUNT_INPUT naming a FIFO it takes lines (UTF-8) there and
// reports what happened as "TARVOLO account-..." lines:
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
//   repaint                      paints every shown window now
// Every command is answered with "TARVOLO account-done COMMAND". The forms
// report themselves when they show (registration-shown, prefs-shown) and
// their answers.
#include "account_driver.h"

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
#include "shell/shell.h"
#include "test_report.h"
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

class AccountDriver : public QObject {
 public:
  AccountDriver(Shell& shell, QAction* preferences, int fd)
      : QObject(shell.Frame()),
        shell_(shell),
        preferences_(preferences),
        fd_(fd),
        input_(fd, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, [this] { ReadInput(); });
    qApp->installEventFilter(this);
  }
  ~AccountDriver() override { ::close(fd_); }

 protected:
  // The forms as they show: the driver takes them and reports them.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* shown = qobject_cast<RegistrationForm*>(watched); shown && shown != form_) {
        form_ = shown;
        connect(shown, &RegistrationForm::answered, this, [](RegistrationOutcome outcome) {
          Report(QStringLiteral("registration-answered ") + QLatin1String(OutcomeWord(outcome)));
        });
        QTimer::singleShot(0, this, [] { Report(QStringLiteral("registration-shown")); });
      }
      if (auto* shown = qobject_cast<PreferencesDialog*>(watched); shown && shown != dialog_) {
        dialog_ = shown;
        connect(shown, &PreferencesDialog::saved, this,
                [] { Report(QStringLiteral("prefs-saved")); });
        QTimer::singleShot(0, this, [] { Report(QStringLiteral("prefs-shown")); });
      }
    }
    return QObject::eventFilter(watched, event);
  }

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
    } else if (command == QLatin1String("reg-text") && form_) {
      if (auto* edit = form_->findChild<QLineEdit*>(arg1)) edit->setText(rest);
    } else if (command == QLatin1String("reg-choose") && form_) {
      if (auto* box = form_->findChild<QComboBox*>(arg1)) box->setCurrentIndex(box->findText(rest));
    } else if (command == QLatin1String("reg-submit") && form_) {
      PressLater(form_->SubmitButton());
    } else if (command == QLatin1String("login")) {
      if (QWidget* login = DialogWithButton(QStringLiteral("login"))) {
        login->findChild<QLineEdit*>(QStringLiteral("user"))->setText(arg1);
        login->findChild<QLineEdit*>(QStringLiteral("password"))->setText(rest);
        PressLater(login->findChild<QPushButton*>(QStringLiteral("login")));
      }
    } else if (command == QLatin1String("prefs")) {
      QTimer::singleShot(0, preferences_, &QAction::trigger);
    } else if (command == QLatin1String("prefs-colour") && dialog_) {
      PressLater(arg1 == QLatin1String("back") ? dialog_->BackButton() : dialog_->TextButton());
    } else if (command == QLatin1String("colour")) {
      if (auto* chooser = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
        chooser->setCurrentColor(
            QColor(arg1.toInt(), rest.section(' ', 0, 0).toInt(), rest.section(' ', 1, 1).toInt()));
        chooser->accept();
      }
    } else if (command == QLatin1String("prefs-face") && dialog_) {
      const int index = dialog_->FaceBox()->findText(line.section(' ', 1));
      dialog_->FaceBox()->setCurrentIndex(index);
      emit dialog_->FaceBox()->activated(index);
    } else if (command == QLatin1String("prefs-size") && dialog_) {
      dialog_->SizeSlider()->setValue(arg1.toInt());
    } else if (command == QLatin1String("prefs-side") && dialog_) {
      PressLater(arg1 == QLatin1String("right") ? dialog_->RightButton() : dialog_->LeftButton());
    } else if (command == QLatin1String("prefs-save") && dialog_) {
      PressLater(dialog_->SaveButton());
    } else if (command == QLatin1String("repaint")) {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) w->repaint();
      }
      QApplication::sync();
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
  QPointer<RegistrationForm> form_;
  QPointer<PreferencesDialog> dialog_;
};

}  // namespace

void InstallAccountDriver(Shell& shell, QAction* preferences) {
  const char* path = std::getenv("TARVOLO_TEST_ACCOUNT_INPUT");
  if (path == nullptr || *path == '\0') return;
  // Read and write: the FIFO never reports end of input between two writers.
  const int fd = ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) new AccountDriver(shell, preferences, fd);
}

}  // namespace tv
