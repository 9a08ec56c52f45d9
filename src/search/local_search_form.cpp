#include "search/local_search_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/notice.h"
#include "core/qt_gbk.h"
#include "widgets/caption.h"
#include "widgets/completion_box.h"
#include "widgets/tab_chain.h"

namespace tv {

LocalSearchForm::LocalSearchForm(SettingsStore& store, std::string area_text,
                                 std::string member_city, StartSearch start, QWidget* parent)
    : QDialog(parent),
      model_(store, std::move(area_text), std::move(member_city)),
      start_(std::move(start)) {
  setObjectName(QStringLiteral("localSearchForm"));
  setWindowTitle(FromGbk(model_.Caption()));
  setFont(QFont(QStringLiteral("宋体"), 9));

  provinces_ = new QListWidget(this);
  regions_ = new QListWidget(this);
  counties_ = new QListWidget(this);
  keywords_ = new QListWidget(this);
  provinces_->setObjectName(QStringLiteral("provinces"));
  regions_->setObjectName(QStringLiteral("regions"));
  counties_->setObjectName(QStringLiteral("counties"));
  keywords_->setObjectName(QStringLiteral("keywords"));
  auto* add = MakeButton(QStringLiteral("添加"), this);
  auto* remove = MakeButton(QStringLiteral("删除"), this);
  auto* all_regions = MakeButton(QStringLiteral("全部市"), this);
  auto* all_counties = MakeButton(QStringLiteral("全部县"), this);
  auto* clear = MakeButton(QStringLiteral("清空"), this);
  keyword_ = MakeKeywordBox(this);
  keyword_.box->setObjectName(QStringLiteral("keywordBox"));
  auto* add_keyword = MakeButton(QStringLiteral("添加"), this);
  add_keyword->setObjectName(QStringLiteral("addKeyword"));
  auto* search = MakeButton(QStringLiteral("搜索"), this);
  auto* close = MakeButton(QStringLiteral("关闭"), this);
  search->setObjectName(QStringLiteral("search"));

  auto* lists = new QGridLayout();
  lists->addWidget(NewCaption(QStringLiteral("省份"), provinces_, this), 0, 0);
  lists->addWidget(NewCaption(QStringLiteral("地区"), regions_, this), 0, 1);
  lists->addWidget(NewCaption(QStringLiteral("县"), counties_, this), 0, 2);
  lists->addWidget(NewCaption(QStringLiteral("关键字"), keywords_, this), 0, 4);
  lists->addWidget(provinces_, 1, 0);
  lists->addWidget(regions_, 1, 1);
  lists->addWidget(counties_, 1, 2);
  auto* middle = new QVBoxLayout();
  middle->addStretch(1);
  for (QPushButton* b : {add, remove, all_regions, all_counties, clear}) middle->addWidget(b);
  middle->addStretch(1);
  lists->addLayout(middle, 1, 3);
  lists->addWidget(keywords_, 1, 4);
  for (int column : {0, 1, 2, 4}) lists->setColumnStretch(column, 1);

  auto* bottom = new QHBoxLayout();
  bottom->addWidget(NewCaption(QStringLiteral("附加关键字："), keyword_.box, this));
  bottom->addWidget(keyword_.box, 1);
  bottom->addWidget(add_keyword);
  bottom->addSpacing(24);
  bottom->addWidget(search);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(bottom);
  resize(560, 330);
  // Left to right, then the row below: the buttons stand between the
  // county list and the keyword list.
  SetTabChain({provinces_, regions_, counties_, add, remove, all_regions, all_counties, clear,
               keywords_, keyword_.box, add_keyword, search, close});

  ShowItems(provinces_, model_.Picker().ProvinceList().Items());
  LoadHistoryItems();
  // A list that takes the focus first would select its first item by
  // itself; nothing is picked until the member picks it.
  keyword_.box->setFocus();

  connect(provinces_, &QListWidget::currentRowChanged, this, [this](int row) {
    model_.SelectProvince(row);
    ShowRegions();
  });
  connect(regions_, &QListWidget::currentRowChanged, this, [this](int row) {
    model_.SelectRegion(row);
    ShowCounties();
  });
  connect(counties_, &QListWidget::currentRowChanged, this,
          [this](int row) { model_.SelectCounty(row); });
  connect(provinces_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    model_.AddProvinceAt(provinces_->row(item));
    ShowKeywords();
  });
  connect(regions_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    model_.AddRegionAt(regions_->row(item));
    ShowKeywords();
  });
  connect(counties_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    model_.AddCountyAt(counties_->row(item));
    ShowKeywords();
  });
  connect(keywords_, &QListWidget::itemDoubleClicked, this, [this] { RemoveSelected(); });
  connect(add, &QPushButton::clicked, this, &LocalSearchForm::AddPicked);
  connect(remove, &QPushButton::clicked, this, &LocalSearchForm::RemoveSelected);
  connect(all_regions, &QPushButton::clicked, this, &LocalSearchForm::AddAllRegions);
  connect(all_counties, &QPushButton::clicked, this, &LocalSearchForm::AddAllCounties);
  connect(clear, &QPushButton::clicked, this, &LocalSearchForm::ClearKeywords);
  connect(add_keyword, &QPushButton::clicked, this, &LocalSearchForm::AddTypedKeyword);
  connect(search, &QPushButton::clicked, this, &LocalSearchForm::Search);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(keyword_.box, &QComboBox::activated, this, &LocalSearchForm::OnKeywordChosen);
}

void LocalSearchForm::Report(const std::string& notice) {
  if (!notice.empty()) ShowNotice(notice);
}

void LocalSearchForm::ShowRegions() {
  ShowItems(regions_, model_.Picker().PrefectureList().Items());
  ShowItems(counties_, {});
}

void LocalSearchForm::ShowCounties() { ShowItems(counties_, model_.Picker().CountyList().Items()); }

void LocalSearchForm::ShowKeywords() {
  const int row = keywords_->currentRow();
  ShowItems(keywords_, model_.Keywords().Items());
  if (row >= 0 && row < keywords_->count()) keywords_->setCurrentRow(row);
}

void LocalSearchForm::LoadHistoryItems() {
  LoadHistory(keyword_, model_.History(), keyword_.box->currentText());
}

void LocalSearchForm::AddPicked() {
  Report(model_.AddLastPicked());
  ShowKeywords();
}

void LocalSearchForm::AddAllRegions() {
  Report(model_.AddAllRegions());
  ShowKeywords();
}

void LocalSearchForm::AddAllCounties() {
  Report(model_.AddAllCounties());
  ShowKeywords();
}

void LocalSearchForm::RemoveSelected() {
  model_.RemoveKeywordAt(keywords_->currentRow());
  ShowKeywords();
}

void LocalSearchForm::ClearKeywords() {
  model_.ClearKeywords();
  ShowKeywords();
}

void LocalSearchForm::AddTypedKeyword() {
  const QString text = keyword_.box->currentText();
  const std::optional<std::string> keyword = TypedKeyword(keyword_);
  if (!keyword) return;
  const std::string notice = model_.AddTypedKeyword(*keyword);
  if (!notice.empty()) {
    ShowNotice(notice);
    keyword_.box->setFocus();
    return;
  }
  ShowKeywords();
  LoadHistory(keyword_, model_.History(), text);
}

void LocalSearchForm::OnKeywordChosen(int index) {
  if (keyword_.box->itemText(index) != FromGbk(ClearHistoryItem())) return;
  model_.ClearHistory();
  LoadHistory(keyword_, model_.History(), QString());
}

void LocalSearchForm::Search() {
  const SearchTerms terms = model_.Terms();
  if (start_) start_(terms);
  accept();
}

}  // namespace tv
