#include "publish/quick_publish_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "core/gbk.h"
#include "core/gbk_fit.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "publish/contact_block_widget.h"
#include "publish/phrases.h"
#include "publish/publish_record.h"
#include "regions/qt/region_combo_binding.h"
#include "widgets/editable_combo.h"
#include "widgets/message_editor.h"

namespace tv {
namespace {

QStringList ListItems(std::string_view name) {
  QStringList items;
  for (std::string_view item : QuickList(name)) items.append(FromGbk(item));
  return items;
}

// A drop-down whose text can also be typed; it never sorts or keeps what was
// typed, nor completes it.
QComboBox* Combo(QWidget* parent, const QStringList& items, int width_chars) {
  QComboBox* box = NewEditableCombo(parent);
  box->addItems(items);
  box->setMinimumContentsLength(width_chars);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

QLineEdit* Field(QWidget* parent, int width_chars) {
  auto* field = new QLineEdit(parent);
  field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * width_chars + 12);
  return field;
}

QLabel* Word(QWidget* parent, const char* text) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// The fields of a sentence row have no caption of their own: a screen
// reader reads these names.
void Name(QWidget* field, const char* name) { field->setAccessibleName(QString::fromUtf8(name)); }

// The current text of a field; what GBK cannot hold is collected for the notice.
class FieldReader {
 public:
  std::string operator()(const QString& text) {
    const GbkFit fit = FitToGbk(text);
    for (char32_t c : fit.unfit)
      if (std::find(unfit_.begin(), unfit_.end(), c) == unfit_.end()) unfit_.push_back(c);
    return fit.gbk;
  }
  const std::vector<char32_t>& unfit() const { return unfit_; }

 private:
  std::vector<char32_t> unfit_;
};

}  // namespace

QuickPublishForm::QuickPublishForm(PublishController& publisher, LoopController& loop,
                                   MemberProfile profile, QWidget* parent)
    : PublishForm(QStringLiteral("发布信息2"), publisher, loop, std::move(profile), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(NoticeLines());
  layout->addLayout(TypeAndDepartureRow());
  auto* hint = new QLabel(
      QStringLiteral("* 可以选择不同到达城市多次生成添加；可以在生成后改变发布城市发到任意城市"),
      this);
  layout->addWidget(hint);

  // "快速生成:" and its framed area.
  auto* quick_row = new QHBoxLayout;
  auto* quick_label = new QLabel(QStringLiteral("快速生成:"), this);
  quick_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  quick_row->addWidget(quick_label);
  auto* frame = new QGroupBox(this);
  auto* frame_layout = new QVBoxLayout(frame);
  auto* destination_row = new QHBoxLayout;
  auto* destination_caption = new QLabel(QStringLiteral("到达城市:"), frame);
  destination_row->addWidget(destination_caption);
  for (int level = 0; level < 3; ++level) {
    destination_[level] = NewRegionList(frame, level);
    destination_row->addWidget(destination_[level]);
  }
  destination_caption->setBuddy(destination_[0]);
  NameRegionLists(destination_, QStringLiteral("到达城市"));
  destination_row->addStretch(1);
  frame_layout->addLayout(destination_row);
  new RegionComboBinding(destination_picker_, destination_[0], destination_[1], destination_[2],
                         this);
  // The truck row stands where the cargo row stands; one of them shows.
  rows_ = new QStackedWidget(frame);
  cargo_widget_ = BuildCargoRow();
  truck_widget_ = BuildTruckRow();
  rows_->addWidget(cargo_widget_);
  rows_->addWidget(truck_widget_);
  frame_layout->addWidget(rows_);
  generate_button_ = new QPushButton(QStringLiteral("生成并添加"), frame);
  generate_button_->setAutoDefault(false);
  auto* generate_row = new QHBoxLayout;
  generate_row->addStretch(1);
  generate_row->addWidget(generate_button_);
  frame_layout->addLayout(generate_row);
  quick_row->addWidget(frame, 1);
  layout->addLayout(quick_row);

  layout->addLayout(EditorRow(), 1);
  layout->addWidget(Contact());
  layout->addLayout(ButtonRow());

  connect(generate_button_, &QPushButton::clicked, this, &QuickPublishForm::Generate);
  connect(TypeList(), &QComboBox::currentIndexChanged, this, &QuickPublishForm::OnTypeChanged);
  ShowRowOfType();
  // The rows' fields in the order they show (Tab skips the hidden row).
  FinishSetUp({destination_[0], destination_[1], destination_[2], cargo_.goods, cargo_.quantity,
               cargo_.unit, cargo_.truck_count, cargo_.truck_length, cargo_.truck_type,
               cargo_.freight, cargo_.price, cargo_.price_unit, truck_.truck_length,
               truck_.truck_type, truck_.trip, truck_.truck_count, truck_.quantity, truck_.unit,
               truck_.goods, generate_button_},
              {});
  resize(sizeHint().width(), sizeHint().height() + 80);
}

QWidget* QuickPublishForm::BuildCargoRow() {
  auto* row = new QWidget(this);
  // Two lines: goods and trucks, then the freight. On one line the sentence
  // makes the form wider than a small screen.
  auto* lines = new QVBoxLayout(row);
  lines->setContentsMargins(0, 0, 0, 0);
  auto* layout = new QHBoxLayout;
  auto* freight_line = new QHBoxLayout;
  lines->addLayout(layout);
  lines->addLayout(freight_line);
  const QStringList units = ListItems("units");
  QStringList truck_types = ListItems("truck_types");
  truck_types.prepend(QString());
  cargo_.goods = Combo(row, ListItems("goods"), 6);
  cargo_.quantity = Field(row, 4);
  cargo_.unit = Combo(row, units, 3);
  cargo_.truck_count = Field(row, 2);
  cargo_.truck_length = Field(row, 3);
  cargo_.truck_type = Combo(row, truck_types, 4);
  cargo_.freight = Combo(row, ListItems("freight"), 5);
  cargo_.price = Field(row, 4);
  cargo_.price_unit = Combo(row, units, 3);
  Name(cargo_.goods, "货物");
  Name(cargo_.quantity, "货物数量");
  Name(cargo_.unit, "货物单位");
  Name(cargo_.truck_count, "求车数");
  Name(cargo_.truck_length, "车长(米)");
  Name(cargo_.truck_type, "车型");
  Name(cargo_.freight, "运费");
  Name(cargo_.price, "运价(元)");
  Name(cargo_.price_unit, "运价单位");
  layout->addWidget(Word(row, "有"));
  layout->addWidget(cargo_.goods);
  layout->addWidget(cargo_.quantity);
  layout->addWidget(cargo_.unit);
  layout->addSpacing(8);
  layout->addWidget(Word(row, "求"));
  layout->addWidget(cargo_.truck_count);
  layout->addWidget(Word(row, "辆"));
  layout->addWidget(cargo_.truck_length);
  layout->addWidget(Word(row, "米"));
  layout->addWidget(cargo_.truck_type);
  layout->addStretch(1);
  freight_line->addWidget(Word(row, "运费"));
  freight_line->addWidget(cargo_.freight);
  freight_line->addWidget(Word(row, "或数字"));
  freight_line->addWidget(cargo_.price);
  freight_line->addWidget(Word(row, "元/"));
  freight_line->addWidget(cargo_.price_unit);
  freight_line->addStretch(1);
  // The units start on "吨"; goods, truck type and freight with no text.
  for (QComboBox* box : {cargo_.goods, cargo_.truck_type, cargo_.freight}) box->setCurrentIndex(-1);
  return row;
}

QWidget* QuickPublishForm::BuildTruckRow() {
  auto* row = new QWidget(this);
  // One line, at the top where the cargo row's first line stands.
  auto* lines = new QVBoxLayout(row);
  lines->setContentsMargins(0, 0, 0, 0);
  auto* layout = new QHBoxLayout;
  lines->addLayout(layout);
  lines->addStretch(1);
  truck_.truck_length = Field(row, 3);
  truck_.truck_type = Combo(row, ListItems("truck_types"), 4);
  truck_.trip = Combo(row, ListItems("trips"), 3);
  truck_.truck_count = Field(row, 2);
  truck_.quantity = Field(row, 4);
  truck_.unit = Combo(row, ListItems("units"), 3);
  truck_.goods = Combo(row, ListItems("goods"), 6);
  Name(truck_.truck_length, "车长(米)");
  Name(truck_.truck_type, "车型");
  Name(truck_.trip, "回程或本地");
  Name(truck_.truck_count, "车辆数");
  Name(truck_.quantity, "求货数量");
  Name(truck_.unit, "货物单位");
  Name(truck_.goods, "货物");
  layout->addWidget(Word(row, "有"));
  layout->addWidget(truck_.truck_length);
  layout->addWidget(Word(row, "米"));
  layout->addWidget(truck_.truck_type);
  layout->addWidget(truck_.trip);
  layout->addWidget(truck_.truck_count);
  layout->addWidget(Word(row, "辆"));
  layout->addSpacing(8);
  layout->addWidget(Word(row, "求"));
  layout->addWidget(truck_.quantity);
  layout->addWidget(truck_.unit);
  layout->addWidget(truck_.goods);
  layout->addStretch(1);
  for (QComboBox* box : {truck_.truck_type, truck_.trip, truck_.goods}) box->setCurrentIndex(-1);
  return row;
}

void QuickPublishForm::ShowRowOfType() {
  rows_->setCurrentWidget(IsTruckType(ToGbk(TypeList()->currentText())) ? truck_widget_
                                                                        : cargo_widget_);
}

void QuickPublishForm::OnTypeChanged() {
  ClearContent();
  ShowRowOfType();
}

void QuickPublishForm::ClearContent() {
  PublishForm::ClearContent();
  lines_.Clear();
}

void QuickPublishForm::Generate() {
  FieldReader read;
  QuickForm form;
  form.info_type = read(TypeList()->currentText());
  form.departure_prefecture = DeparturePrefecture();
  form.departure_county = read(DepartureList(2)->currentText());
  form.destination_province = read(destination_[0]->currentText());
  form.destination_prefecture = read(destination_[1]->currentText());
  form.destination_county = read(destination_[2]->currentText());
  if (rows_->currentWidget() == truck_widget_) {
    form.truck_length = read(truck_.truck_length->text());
    form.truck_type = read(truck_.truck_type->currentText());
    form.trip = read(truck_.trip->currentText());
    form.truck_count = read(truck_.truck_count->text());
    form.quantity = read(truck_.quantity->text());
    form.unit = read(truck_.unit->currentText());
    form.goods = read(truck_.goods->currentText());
  } else {
    form.goods = read(cargo_.goods->currentText());
    form.quantity = read(cargo_.quantity->text());
    form.unit = read(cargo_.unit->currentText());
    form.truck_count = read(cargo_.truck_count->text());
    form.truck_length = read(cargo_.truck_length->text());
    form.truck_type = read(cargo_.truck_type->currentText());
    form.freight = read(cargo_.freight->currentText());
    form.price = read(cargo_.price->text());
    form.price_unit = read(cargo_.price_unit->currentText());
  }
  const QuickLine line = GenerateQuickLine(form);
  if (line.refusal != QuickRefusal::kNone) {
    destination_[line.refusal == QuickRefusal::kNoProvince ? 0 : 1]->setFocus();
    ShowNotice(QuickRefusalNotice(line.refusal));
    update();
    return;
  }
  // A typed field with characters GBK lacks would put '?' into the line.
  if (!read.unfit().empty()) {
    ShowNotice(TV_TEXT("填写的内容中有无法发送的字符: ") + DescribeCharacters(read.unfit()) +
               TV_TEXT("\n\n请删除或换成其他文字后再生成"));
    return;
  }
  if (line.line.empty() || !lines_.Add(line.line)) return;
  // Appended at the end as one edit: the member's own text stays as it is.
  MessageEditor* editor = Editor();
  QTextCursor cursor(editor->document());
  cursor.movePosition(QTextCursor::End);
  QString added = FromGbk(line.line);
  if (!editor->document()->isEmpty())
    added.prepend(QString::fromUtf8(kGeneratedLineSeparatorUtf8.data(),
                                    static_cast<qsizetype>(kGeneratedLineSeparatorUtf8.size())));
  cursor.insertText(added);
}

void QuickPublishForm::UseHistoryText(const std::string& gbk_text) {
  const HistoryUse use = PlanUseHistoryText(gbk_text);
  if (use.type_index) {
    // Taking an entry neither empties the editor nor the generated lines, as
    // a change of type by hand does; the row of the type shows.
    const QSignalBlocker blocker(TypeList());
    TypeList()->setCurrentIndex(*use.type_index);
    ShowRowOfType();
  }
  Editor()->setPlainText(FromGbk(use.content));
}

}  // namespace tv
