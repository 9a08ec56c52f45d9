#pragma once
// The form "注册会员": a visitor applies for a member account before any
// login. A thin view over registration.h: the checks run on submit, the sends
// run on a worker while the form shows that it is sending, and the answer is
// applied here on the UI thread.
#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "account/registration.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tv {

class LinkLabel;
class RegistrationRegionPicker;
class RegionComboBinding;
class WebPageWindow;

class RegistrationForm : public QDialog {
  Q_OBJECT

 public:
  struct Services {
    // The data server the request goes to (read when the member submits).
    std::function<std::string()> current_host;
    // The blocking sends (on a worker); tests may stage the answers.
    std::function<std::string(const std::string& host, const RegistrationValues& values)> send =
        SendRegistrationRequest;
    // "阅读服务条款" (in the web page window) and the hidden download link.
    QUrl terms_address;
    QUrl download_address;
  };

  explicit RegistrationForm(Services services, QWidget* parent = nullptr);
  ~RegistrationForm() override;

  // The form's values as they would be checked and sent (GBK).
  RegistrationValues Values() const;
  // "同意服务条款,确认提交": the checks, then the sends.
  void Submit();
  bool Sending() const { return sending_; }

  // For tests: the edit of a text field (null for the lists), the lists,
  // the buttons and the links.
  QLineEdit* Edit(RegistrationField field) const;
  QComboBox* SexBox() const { return sex_; }
  QComboBox* ProvinceBox() const { return province_; }
  QComboBox* CityBox() const { return city_; }
  QComboBox* TownBox() const { return town_; }
  QPushButton* SubmitButton() const { return submit_; }
  QPushButton* RefuseButton() const { return refuse_; }
  LinkLabel* TermsLink() const { return terms_link_; }
  LinkLabel* DownloadLink() const { return download_link_; }
  WebPageWindow* TermsWindow() const;

 signals:
  // The service's answer was applied (after its notice, before closing).
  void answered(tv::RegistrationOutcome outcome);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildForm();
  // A text field holds a character GBK cannot hold: its notice, the focus
  // there, true.
  bool RefuseUnsendable();
  void SetSending(bool sending);
  void ApplyAnswer(const std::string& answer, const std::string& username);
  void OpenTerms();

  Services services_;
  std::unique_ptr<RegistrationRegionPicker> regions_;
  RegionComboBinding* region_binding_ = nullptr;
  // Text fields by RegistrationField (the lists' slots stay null).
  std::array<QLineEdit*, 18> edits_{};
  QComboBox* sex_ = nullptr;
  QComboBox* province_ = nullptr;
  QComboBox* city_ = nullptr;
  QComboBox* town_ = nullptr;
  QWidget* fields_ = nullptr;
  QPushButton* submit_ = nullptr;
  QPushButton* refuse_ = nullptr;
  LinkLabel* terms_link_ = nullptr;
  LinkLabel* download_link_ = nullptr;
  QPointer<WebPageWindow> terms_window_;
  bool sending_ = false;
};

}  // namespace tv
