#include "app/login_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include "app/login_controller.h"
#include "core/qt_gbk.h"
#include "widgets/caption.h"

namespace tv {
namespace {

// The edits take what fits the 19 bytes of GBK the login request carries.
class GbkLengthValidator : public QValidator {
 public:
  GbkLengthValidator(std::size_t max_bytes, QObject* parent)
      : QValidator(parent), max_bytes_(max_bytes) {}
  State validate(QString& input, int&) const override {
    return ToGbk(input).size() <= max_bytes_ ? Acceptable : Invalid;
  }

 private:
  std::size_t max_bytes_;
};

}  // namespace

LoginForm::LoginForm(LoginController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
  setWindowTitle(QStringLiteral("登录"));
  setWindowIcon(QIcon(QStringLiteral(":/tarvolo/icon.png")));

  auto* banner = new QLabel(QStringLiteral("Tarvolo 配货信息"), this);
  banner->setAlignment(Qt::AlignCenter);
  banner->setStyleSheet(
      QStringLiteral("QLabel { color: white; font-size: 22px; font-weight: bold; background: "
                     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1d5fa8, stop:1 #4a8fd8); }"));
  banner->setFixedHeight(90);

  user_ = new QLineEdit(this);
  user_->setObjectName(QStringLiteral("user"));
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("password"));
  password_->setEchoMode(QLineEdit::Password);
  for (QLineEdit* edit : {user_, password_}) edit->setValidator(new GbkLengthValidator(19, edit));

  remember_ = new QCheckBox(QStringLiteral("记住用户与密码"), this);
  auto_login_ = new QCheckBox(QStringLiteral("自动登录"), this);
  login_ = new QPushButton(QStringLiteral("登录"), this);
  login_->setObjectName(QStringLiteral("login"));
  register_ = new QPushButton(QStringLiteral("注册会员"), this);
  register_->setObjectName(QStringLiteral("register"));
  guest_ = new QPushButton(QStringLiteral("无帐户体验"), this);
  guest_->setObjectName(QStringLiteral("guest"));
  for (QPushButton* b : {login_, register_, guest_}) b->setAutoDefault(false);

  auto* fields = new QGridLayout;
  fields->addWidget(NewCaption(QStringLiteral("用户:"), user_, this), 0, 0);
  fields->addWidget(user_, 0, 1);
  fields->addWidget(NewCaption(QStringLiteral("密码:"), password_, this), 1, 0);
  fields->addWidget(password_, 1, 1);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(remember_);
  boxes->addWidget(auto_login_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(register_);
  buttons->addWidget(guest_);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(16, 12, 16, 16);
  body->setSpacing(8);
  body->addLayout(fields);
  body->addLayout(boxes);
  place_note_ = new QLabel(this);
  place_note_->setObjectName(QStringLiteral("passwordPlaceNote"));
  place_note_->setWordWrap(true);
  place_note_->setStyleSheet(QStringLiteral("QLabel { color: #8a4b00; }"));
  place_note_->hide();
  body->addWidget(place_note_);
  body->addWidget(login_);
  body->addLayout(buttons);
  // The lower picture invites visitors to register, as the button does.
  lower_picture_ = new QLabel(QStringLiteral("还不是会员？点击这里免费注册"), this);
  lower_picture_->setObjectName(QStringLiteral("lowerPicture"));
  lower_picture_->setAlignment(Qt::AlignCenter);
  lower_picture_->setFixedHeight(30);
  lower_picture_->setCursor(Qt::PointingHandCursor);
  lower_picture_->setToolTip(QStringLiteral("注册会员"));
  lower_picture_->setStyleSheet(
      QStringLiteral("QLabel { color: white; font-size: 13px; background: "
                     "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4a8fd8, stop:1 #1d5fa8); }"));
  lower_picture_->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(banner);
  layout->addLayout(body);
  layout->addWidget(lower_picture_);
  setFixedSize(340, sizeHint().height());

  connect(&controller_, &LoginController::captionChanged, login_, &QPushButton::setText);
  connect(&controller_, &LoginController::buttonEnabled, this, [this](bool enabled) {
    login_->setEnabled(enabled);
    guest_->setEnabled(enabled);
  });
  connect(&controller_, &LoginController::autoLoginDue, this, &LoginForm::StartLogin);
  connect(&controller_, &LoginController::rememberedPassword, this, [this](const QString& text) {
    if (password_->text().isEmpty()) password_->setText(text);
  });
  connect(&controller_, &LoginController::passwordPlaceNotice, this, [this](const QString& text) {
    place_note_->setText(text);
    place_note_->show();
    setFixedSize(width(), sizeHint().height());
  });
  connect(&controller_, &LoginController::formAccepted, this, &QDialog::accept);
  connect(login_, &QPushButton::clicked, this, &LoginForm::StartLogin);
  connect(guest_, &QPushButton::clicked, &controller_, &LoginController::StartGuest);
  connect(register_, &QPushButton::clicked, this, &LoginForm::registerRequested);
  connect(remember_, &QCheckBox::clicked, &controller_, &LoginController::SetRemember);
  connect(auto_login_, &QCheckBox::clicked, &controller_, &LoginController::SetAutoLogin);

  LoginController::FormStart start = controller_.OpenForm();
  remember_->setChecked(start.remember);
  user_->setText(FromGbk(start.user));
  auto_login_->setChecked(start.auto_login);
  user_->setFocus();
}

void LoginForm::StartLogin() {
  switch (controller_.StartLogin(ToGbk(user_->text()), ToGbk(password_->text()))) {
    case LoginController::InputProblem::kEmptyUser:
      user_->setFocus();
      break;
    case LoginController::InputProblem::kEmptyPassword:
      password_->setFocus();
      break;
    case LoginController::InputProblem::kNone:
      break;
  }
}

bool LoginForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lower_picture_ && event->type() == QEvent::MouseButtonRelease) {
    emit registerRequested();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void LoginForm::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (login_->isEnabled()) StartLogin();
      return;
    case Qt::Key_Escape:
      // Only the close box leaves the form.
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace tv
