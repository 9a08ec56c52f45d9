#include "subscribe/subscription_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "regions/qt/region_combo_binding.h"
#include "regions/region_picker.h"

namespace tv {
namespace {

PlaceholderRegionPicker::Placeholders Placeholders() {
  return {TV_TEXT("省份"), TV_TEXT("地级市"), TV_TEXT("县")};
}

// The words of a box: split at blanks and commas (ASCII and full-width).
std::vector<std::string> Words(const QLineEdit* edit) {
  QString text = edit->text();
  for (const QChar c : {QChar(0xFF0C), QChar(0x3001), QChar(0x3000), QChar(',')}) {
    text.replace(c, QChar(' '));
  }
  std::vector<std::string> out;
  for (const QString& word : text.split(QChar(' '), Qt::SkipEmptyParts)) {
    out.push_back(word.toUtf8().toStdString());
  }
  return out;
}

std::vector<std::string> Items(const QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i)
    out.push_back(list->item(i)->text().toUtf8().toStdString());
  return out;
}

QString JoinedForEdit(const std::vector<std::string>& words) {
  QStringList out;
  for (const std::string& word : words) out << FromGbk(word);
  return out.join(QChar(' '));
}

}  // namespace

SubscriptionForm::SubscriptionForm(const Subscription* shown, int others, QWidget* parent)
    : QDialog(parent), others_(others) {
  setWindowTitle(shown != nullptr ? QStringLiteral("修改订阅") : QStringLiteral("新建订阅"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  name_ = new QLineEdit(this);
  name_->setPlaceholderText(QStringLiteral("不填则按路线命名，如：济宁→北京 货源"));
  form->addRow(QStringLiteral("名称："), name_);

  // One set of region boxes for both lists: pick, then add it to either.
  picker_ = std::make_unique<PlaceholderRegionPicker>(Placeholders(), RegionTable::kCountyDirectory,
                                                      ProvinceOrder::kBrowse);
  auto* boxes = new QHBoxLayout;
  auto* province = new QComboBox(this);
  auto* prefecture = new QComboBox(this);
  auto* county = new QComboBox(this);
  for (QComboBox* box : {province, prefecture, county}) boxes->addWidget(box);
  binding_ = new RegionComboBinding(*picker_, province, prefecture, county, this);
  binding_->Refresh();
  form->addRow(QStringLiteral("地区："), boxes);

  const auto region_list = [this, form](const QString& caption, bool departure) {
    auto* row = new QHBoxLayout;
    auto* list = new QListWidget(this);
    list->setMaximumHeight(64);
    list->setAccessibleName(caption);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("添加"), this);
    auto* remove = new QPushButton(QStringLiteral("删除"), this);
    add->setAccessibleName(caption + QStringLiteral("添加"));
    remove->setAccessibleName(caption + QStringLiteral("删除"));
    buttons->addWidget(add);
    buttons->addWidget(remove);
    row->addWidget(list, 1);
    row->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, [this, departure] { AddPicked(departure); });
    connect(remove, &QPushButton::clicked, list, [list] { delete list->currentItem(); });
    form->addRow(caption + QStringLiteral("："), row);
    return list;
  };
  departures_ = region_list(QStringLiteral("出发地"), true);
  destinations_ = region_list(QStringLiteral("目的地"), false);

  kind_ = new QComboBox(this);
  kind_->addItems({QStringLiteral("货源"), QStringLiteral("车源"), QStringLiteral("全部")});
  kind_->setCurrentIndex(2);
  form->addRow(QStringLiteral("类型："), kind_);
  must_ = new QLineEdit(this);
  must_->setPlaceholderText(QStringLiteral("都要出现的词，空格分开"));
  form->addRow(QStringLiteral("必含词："), must_);
  exclude_ = new QLineEdit(this);
  exclude_->setPlaceholderText(QStringLiteral("如：危险品"));
  form->addRow(QStringLiteral("排除词："), exclude_);

  auto* alerts = new QHBoxLayout;
  chime_ = new QCheckBox(QStringLiteral("提示音"), this);
  notify_ = new QCheckBox(QStringLiteral("桌面通知"), this);
  speech_ = new QCheckBox(QStringLiteral("语音播报"), this);
  for (QCheckBox* box : {chime_, notify_, speech_}) alerts->addWidget(box);
  form->addRow(QStringLiteral("提醒："), alerts);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  connect(buttons, &QDialogButtonBox::accepted, this, &SubscriptionForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SubscriptionForm::reject);
  layout->addWidget(buttons);

  const Subscription fresh;
  const Subscription& s = shown != nullptr ? *shown : fresh;
  id_ = s.id;
  if (shown != nullptr) name_->setText(FromGbk(s.name));
  for (const std::string& region : s.departures) departures_->addItem(FromGbk(region));
  for (const std::string& region : s.destinations) destinations_->addItem(FromGbk(region));
  kind_->setCurrentIndex(s.kind == SubscriptionKind::kCargo   ? 0
                         : s.kind == SubscriptionKind::kTruck ? 1
                                                              : 2);
  must_->setText(JoinedForEdit(s.must_words));
  exclude_->setText(JoinedForEdit(s.excluded_words));
  chime_->setChecked(s.alerts.chime);
  notify_->setChecked(s.alerts.notify);
  speech_->setChecked(s.alerts.speech);
}

SubscriptionForm::~SubscriptionForm() = default;

void SubscriptionForm::AddPicked(bool departure) {
  const PlaceholderRegionPicker::Placeholders placeholders = Placeholders();
  std::string picked;
  if (picker_->CountyText() != placeholders.county && !picker_->CountyText().empty()) {
    picked = picker_->CountyText();
  } else if (picker_->PrefectureText() != placeholders.prefecture &&
             !picker_->PrefectureText().empty()) {
    picked = picker_->PrefectureText();
  } else if (picker_->ProvinceText() != placeholders.province) {
    picked = picker_->ProvinceText();
  }
  if (picked.empty()) {
    ShowNotice(TV_TEXT("请先选择省份、地级市或县"));
    return;
  }
  QListWidget* list = departure ? departures_ : destinations_;
  const QString text = FromGbk(picked);
  if (list->findItems(text, Qt::MatchExactly).isEmpty()) list->addItem(text);
}

void SubscriptionForm::accept() {
  SubscriptionInput input;
  input.name = name_->text().toUtf8().toStdString();
  input.departures = Items(departures_);
  input.destinations = Items(destinations_);
  input.kind = kind_->currentIndex() == 0   ? SubscriptionKind::kCargo
               : kind_->currentIndex() == 1 ? SubscriptionKind::kTruck
                                            : SubscriptionKind::kAll;
  input.must_words = Words(must_);
  input.excluded_words = Words(exclude_);
  input.alerts = {chime_->isChecked(), notify_->isChecked(), speech_->isChecked()};
  SubscriptionCheck check = CheckSubscription(input, others_);
  if (!check.subscription) {
    ShowNotice(check.fault);
    return;
  }
  check.subscription->id = id_;
  result_ = std::move(check.subscription);
  QDialog::accept();
}

}  // namespace tv
