#include "feed/multi_area_form.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "regions/region_directory.h"
#include "settings/values.h"
#include "widgets/caption.h"
#include "widgets/tab_chain.h"

namespace tv {

MultiAreaForm::MultiAreaForm(std::function<void(const std::string&)> apply, QWidget* parent)
    : QDialog(parent), apply_(std::move(apply)) {
  setWindowTitle(QStringLiteral("多地区定制"));
  setObjectName(QStringLiteral("multiAreaForm"));
  auto* group = new QGroupBox(QStringLiteral("多地区定制(最多可选5个城市)"), this);
  auto* grid = new QGridLayout(group);
  provinces_ = new QListWidget(group);
  cities_ = new QListWidget(group);
  chosen_ = new QListWidget(group);
  provinces_->setObjectName(QStringLiteral("provinces"));
  cities_->setObjectName(QStringLiteral("cities"));
  chosen_->setObjectName(QStringLiteral("chosen"));
  grid->addWidget(NewCaption(QStringLiteral("省份/辖区"), provinces_, group), 0, 0);
  grid->addWidget(NewCaption(QStringLiteral("城市(双击添加)"), cities_, group), 0, 1);
  grid->addWidget(NewCaption(QStringLiteral("定制城市(双击删除)"), chosen_, group), 0, 3);
  grid->addWidget(provinces_, 1, 0);
  grid->addWidget(cities_, 1, 1);
  auto* middle = new QVBoxLayout();
  auto* add = new QPushButton(QStringLiteral("添加"), group);
  auto* remove = new QPushButton(QStringLiteral("删除"), group);
  auto* clear = new QPushButton(QStringLiteral("清空"), group);
  middle->addStretch(1);
  middle->addWidget(add);
  middle->addWidget(remove);
  middle->addWidget(clear);
  middle->addStretch(1);
  grid->addLayout(middle, 1, 2);
  grid->addWidget(chosen_, 1, 3);

  auto* ok = new QPushButton(QStringLiteral("确 定"), this);
  auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  // Left to right: the buttons stand between the city list and the chosen.
  SetTabChain({provinces_, cities_, add, remove, clear, chosen_, ok, cancel});

  for (std::string_view province : Provinces(ProvinceOrder::kBrowse)) {
    provinces_->addItem(FromGbk(province));
  }
  connect(provinces_, &QListWidget::currentRowChanged, this, &MultiAreaForm::ChooseProvince);
  connect(cities_, &QListWidget::itemDoubleClicked, this, [this] { AddSelectedCity(); });
  connect(chosen_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    list_.RemoveAt(chosen_->row(item));
    ShowChosen();
  });
  connect(add, &QPushButton::clicked, this, &MultiAreaForm::AddSelectedCity);
  connect(remove, &QPushButton::clicked, this, &MultiAreaForm::RemoveSelectedEntry);
  connect(clear, &QPushButton::clicked, this, &MultiAreaForm::ClearEntries);
  connect(ok, &QPushButton::clicked, this, &MultiAreaForm::Confirm);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void MultiAreaForm::ChooseProvince(int row) {
  cities_->clear();
  if (row < 0) return;
  const std::string province = ToGbk(provinces_->item(row)->text());
  for (const std::string& city : ListChildren(RegionTable::kPrefectureDirectory, province)) {
    cities_->addItem(FromGbk(city));
  }
}

void MultiAreaForm::AddSelectedCity() {
  QListWidgetItem* item = cities_->currentItem();
  const std::string city = item != nullptr ? ToGbk(item->text()) : std::string();
  switch (list_.Add(city)) {
    case CustomCityList::AddResult::kNoCity:
      ShowNotice(TV_TEXT("请选择您要添加的城市"));
      break;
    case CustomCityList::AddResult::kFull:
      ShowNotice(TV_TEXT("定制选择的城市不能超过5个"));
      break;
    case CustomCityList::AddResult::kAlreadyThere:
      break;
    case CustomCityList::AddResult::kAdded:
      ShowChosen();
      break;
  }
}

void MultiAreaForm::RemoveSelectedEntry() {
  const int row = chosen_->currentRow();
  if (!list_.RemoveAt(row)) {
    ShowNotice(TV_TEXT("    请选择您要删除的信息!    "));
    return;
  }
  ShowChosen();
}

void MultiAreaForm::ClearEntries() {
  list_.Clear();
  ShowChosen();
}

void MultiAreaForm::Confirm() {
  if (list_.Cities().empty()) {
    ShowNotice(TV_TEXT("请选择您要定制的城市"));
    return;
  }
  const std::string text = JoinMultiArea(list_.Cities());
  SetMultiArea(text);  // a failed write has shown its notice; the run keeps the text
  if (apply_) apply_(text);
  accept();
}

void MultiAreaForm::ShowChosen() {
  chosen_->clear();
  for (const std::string& city : list_.Cities()) chosen_->addItem(FromGbk(city));
}

}  // namespace tv
