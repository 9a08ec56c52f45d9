#include "search/comprehensive_search_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/qt_gbk.h"
#include "widgets/color_label.h"
#include "widgets/completion_box.h"

namespace tv {

ComprehensiveSearchForm::ComprehensiveSearchForm(SettingsStore& store, std::string area_text,
                                                 std::string member_city, int view_direction,
                                                 StartSearch start, QWidget* parent)
    : QDialog(parent),
      model_(store, std::move(area_text), std::move(member_city), view_direction),
      start_(std::move(start)) {
  setObjectName(QStringLiteral("comprehensiveSearchForm"));
  setWindowTitle(QStringLiteral("搜索即时信息"));
  setFont(QFont(QStringLiteral("宋体"), 9));

  auto* hint = new ColorLabel(this);
  hint->SetTextStyle(FromGbk(ComprehensiveSearchModel::HintText()), MakeColour(0, 0, 255), 12, true,
                     QStringLiteral("宋体"), ColorLabel::kLeft);
  hint->setFixedHeight(20);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hint);

  const ComprehensiveCaptions& c = model_.Captions();
  BuildGroup(ComprehensiveSearchModel::kOutbound, FromGbk(c.outbound_group),
             FromGbk(c.outbound_origin), QString());
  BuildGroup(ComprehensiveSearchModel::kInbound, FromGbk(c.inbound_group), QString(),
             FromGbk(c.inbound_destination));
  BuildGroup(ComprehensiveSearchModel::kCityKeyword,
             FromGbk(ComprehensiveSearchModel::KeywordInCityGroupTitle()), QString(), QString());
  for (const GroupWidgets& g : groups_) layout->addWidget(g.frame);
  layout->addStretch(1);
  resize(520, sizeHint().height());
  LoadHistories(QString());
}

void ComprehensiveSearchForm::BuildGroup(Group g, const QString& title, const QString& before,
                                         const QString& after) {
  GroupWidgets& w = groups_[g];
  w.frame = new QGroupBox(title, this);
  w.province = new QComboBox(w.frame);
  w.city = new QComboBox(w.frame);
  w.keyword = MakeKeywordBox(w.frame);
  w.search = MakeButton(QStringLiteral("搜索"), w.frame);
  // Named within their group, whose title says what the row searches.
  w.province->setAccessibleName(QStringLiteral("省份"));
  w.city->setAccessibleName(QStringLiteral("城市"));
  w.keyword.box->setAccessibleName(QStringLiteral("关键字"));
  w.province->setMinimumContentsLength(5);
  w.city->setMinimumContentsLength(5);
  auto* row = new QHBoxLayout(w.frame);
  if (!before.isEmpty()) row->addWidget(new QLabel(before, w.frame));
  row->addWidget(w.province);
  row->addWidget(w.city);
  if (!after.isEmpty()) row->addWidget(new QLabel(after, w.frame));
  row->addWidget(w.keyword.box, 1);
  row->addWidget(w.search);

  ShowItems(w.province, model_.Picker(g).ProvinceList().Items());
  w.province->setCurrentIndex(model_.Picker(g).ProvinceList().Selected());
  // "activated": choosing the province already shown lists its cities too.
  connect(w.province, &QComboBox::activated, this, [this, g](int index) {
    model_.PickProvince(g, index);
    ShowCities(g);
  });
  connect(w.city, &QComboBox::activated, this, [this, g](int index) { model_.PickCity(g, index); });
  connect(w.keyword.box, &QComboBox::activated, this,
          [this, g](int index) { OnKeywordChosen(g, index); });
  connect(w.search, &QPushButton::clicked, this, [this, g] { Search(g); });
}

void ComprehensiveSearchForm::ShowCities(Group g) {
  const PickerList& cities = model_.Picker(g).PrefectureList();
  ShowItems(groups_[g].city, cities.Items());
  groups_[g].city->setCurrentIndex(cities.Selected());
}

void ComprehensiveSearchForm::LoadHistories(const QString& text) {
  for (const GroupWidgets& w : groups_) LoadHistory(w.keyword, model_.History(), text);
}

void ComprehensiveSearchForm::OnKeywordChosen(Group g, int index) {
  if (groups_[g].keyword.box->itemText(index) != FromGbk(ClearHistoryItem())) return;
  model_.ClearHistory();
  LoadHistories(QString());
}

void ComprehensiveSearchForm::Search(Group g) {
  const QString keyword = groups_[g].keyword.box->currentText();
  const std::optional<std::string> gbk = TypedKeyword(groups_[g].keyword);
  if (!gbk) return;
  const bool known = model_.History().Contains(*gbk);
  const SearchTerms terms = model_.Search(g, *gbk);
  // A new keyword shows in every box, and as each box's text.
  if (!known && !keyword.isEmpty()) LoadHistories(keyword);
  if (start_) start_(terms);
  accept();
}

}  // namespace tv
