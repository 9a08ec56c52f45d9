#pragma once
// The "联系方式:" row of both publishing forms: six check boxes over the
// member's profile. A click stores the box's state at once; "网络电话" exists
// but is never shown, and "电话" cannot be unticked.
#include <QWidget>
#include <array>

#include "net/login_answer.h"
#include "publish/contact_block.h"

class QCheckBox;

namespace tv {

class ContactBlockWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ContactBlockWidget(QWidget* parent = nullptr);

  // Fills the boxes from the profile and the stored choices.
  void Init(const MemberProfile& profile);
  // The choices the boxes show now.
  ContactChoices Choices() const;
  QCheckBox* Box(ContactItem item) const;

 private:
  std::array<QCheckBox*, 6> boxes_{};  // by ContactItem
};

}  // namespace tv
