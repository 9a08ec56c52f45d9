#pragma once
// The login form "登录": user name, password, the two check boxes and the
// three buttons over the form's picture. A thin view over LoginController.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class LoginController;

class LoginForm : public QDialog {
  Q_OBJECT

 public:
  explicit LoginForm(LoginController& controller, QWidget* parent = nullptr);

  QLineEdit* UserEdit() const { return user_; }
  QLineEdit* PasswordEdit() const { return password_; }
  QCheckBox* RememberBox() const { return remember_; }
  QCheckBox* AutoLoginBox() const { return auto_login_; }
  QPushButton* LoginButton() const { return login_; }
  QPushButton* GuestButton() const { return guest_; }
  QPushButton* RegisterButton() const { return register_; }
  // The picture along the bottom of the form; a click asks for registration.
  QLabel* LowerPicture() const { return lower_picture_; }
  // Where the remembered password is kept, when that is the settings file.
  QLabel* PasswordPlaceNote() const { return place_note_; }

  // The login sequence, as the button, the Enter key and the auto-login do.
  void StartLogin();

 signals:
  // "注册会员" or the lower picture: the registration form is wanted.
  void registerRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  LoginController& controller_;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QCheckBox* remember_ = nullptr;
  QCheckBox* auto_login_ = nullptr;
  QPushButton* login_ = nullptr;
  QPushButton* register_ = nullptr;
  QPushButton* guest_ = nullptr;
  QLabel* lower_picture_ = nullptr;
  QLabel* place_note_ = nullptr;
};

}  // namespace tv
