#include "publish/contact_block_widget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

#include "core/qt_gbk.h"
#include "settings/values.h"

namespace tv {

ContactBlockWidget::ContactBlockWidget(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("联系方式:"), this));
  // The order of the row.
  constexpr ContactItem kOrder[] = {ContactItem::kTel,     ContactItem::kExtension,
                                    ContactItem::kMobile,  ContactItem::kNetPhone,
                                    ContactItem::kCompany, ContactItem::kName};
  for (ContactItem item : kOrder) {
    auto* box = new QCheckBox(FromGbk(DesignedContactCaption(item)), this);
    boxes_[static_cast<std::size_t>(item)] = box;
    layout->addWidget(box);
    if (item == ContactItem::kNetPhone) box->hide();
    if (item == ContactItem::kTel) continue;
    // The choice is stored at the click; a failed write shows its notice and
    // the box keeps its new state for this run.
    connect(box, &QCheckBox::clicked, this,
            [item](bool checked) { SetContactItemChecked(item, checked); });
  }
  layout->addStretch(1);
}

void ContactBlockWidget::Init(const MemberProfile& profile) {
  for (const ContactBox& state : InitContactBlock(profile, ReadFormContactChoices())) {
    QCheckBox* box = Box(state.item);
    box->setText(FromGbk(state.caption));
    box->setEnabled(state.enabled);
    box->setChecked(state.checked);
  }
}

ContactChoices ContactBlockWidget::Choices() const {
  ContactChoices choices;
  for (std::size_t i = 0; i < boxes_.size(); ++i)
    choices.Set(static_cast<ContactItem>(i), boxes_[i]->isChecked());
  return choices;
}

QCheckBox* ContactBlockWidget::Box(ContactItem item) const {
  return boxes_[static_cast<std::size_t>(item)];
}

}  // namespace tv
