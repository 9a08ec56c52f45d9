#include "account/preferences_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/qt_gbk.h"
#include "grid/face_table.h"
#include "settings/blocked_members.h"
#include "settings/values.h"
#include "widgets/caption.h"
#include "widgets/color_label.h"

namespace tv {
namespace {

QColor ToQt(SettingColor c) { return QColor(c.red(), c.green(), c.blue()); }

}  // namespace

std::optional<SettingColor> PreferencesDialog::SystemColourChooser(SettingColor start,
                                                                   QWidget* parent) {
  const QColor chosen = QColorDialog::getColor(ToQt(start), parent);
  if (!chosen.isValid()) return std::nullopt;
  return SettingColor::FromRgb(chosen.red(), chosen.green(), chosen.blue());
}

PreferencesDialog::PreferencesDialog(ColourChooser chooser, QWidget* parent)
    : QDialog(parent), chooser_(std::move(chooser)) {
  setWindowTitle(QStringLiteral("系统设置"));
  BuildControls();
  ShowOpening();
}

void PreferencesDialog::BuildControls() {
  auto* colours = new QGroupBox(QStringLiteral("颜色选择"), this);
  back_button_ = new QPushButton(QStringLiteral("背景颜色选择"), colours);
  text_button_ = new QPushButton(QStringLiteral("字体颜色选择"), colours);
  auto* colour_row = new QHBoxLayout(colours);
  colour_row->addWidget(back_button_);
  colour_row->addWidget(text_button_);

  auto* fonts = new QGroupBox(QStringLiteral("字体选择"), this);
  face_box_ = new QComboBox(fonts);
  for (const FaceChoice& choice : FaceChoices()) {
    face_box_->addItem(QString::fromUtf8(choice.name_utf8.data(),
                                         static_cast<qsizetype>(choice.name_utf8.size())));
  }
  size_slider_ = new QSlider(Qt::Horizontal, fonts);
  size_slider_->setRange(kMinFontSize, kMaxFontSize);
  auto* marks = new QHBoxLayout;
  marks->setContentsMargins(0, 0, 0, 0);
  marks->addWidget(new QLabel(QStringLiteral("小"), fonts));
  marks->addStretch(1);
  marks->addWidget(new QLabel(QStringLiteral("中"), fonts));
  marks->addStretch(1);
  marks->addWidget(new QLabel(QStringLiteral("大"), fonts));
  auto* font_grid = new QGridLayout(fonts);
  font_grid->addWidget(NewCaption(QStringLiteral("字体："), face_box_, fonts), 0, 0);
  font_grid->addWidget(face_box_, 0, 1);
  font_grid->addLayout(marks, 1, 1);
  font_grid->addWidget(NewCaption(QStringLiteral("字号："), size_slider_, fonts), 2, 0);
  font_grid->addWidget(size_slider_, 2, 1);

  auto* sample = new QGroupBox(QStringLiteral("样式预览"), this);
  preview_ = new ColorLabel(sample);
  // Room for the largest size without the dialog growing.
  preview_->setFixedHeight(kMaxFontSize + 16);
  auto* sample_box = new QVBoxLayout(sample);
  sample_box->addWidget(preview_);

  left_ = new QRadioButton(QStringLiteral("左侧"), this);
  right_ = new QRadioButton(QStringLiteral("右侧"), this);
  sides_ = new QButtonGroup(this);
  sides_->addButton(left_);
  sides_->addButton(right_);
  sound_ = new QCheckBox(QStringLiteral("搜索信息到达时进行声音提示"), this);
  notify_ = new QCheckBox(QStringLiteral("窗口不在前台时通知新搜索信息"), this);
  refresh_ = new QComboBox(this);
  for (std::string_view choice : RefreshChoices()) {
    refresh_->addItem(QString::fromLatin1(choice.data(), static_cast<qsizetype>(choice.size())));
  }

  auto* options = new QGridLayout;
  options->addWidget(new QLabel(QStringLiteral("导航栏位置："), this), 0, 0);
  auto* side_row = new QHBoxLayout;
  side_row->addWidget(left_);
  side_row->addWidget(right_);
  side_row->addStretch(1);
  options->addLayout(side_row, 0, 1);
  options->addWidget(new QLabel(QStringLiteral("声音设置："), this), 1, 0);
  options->addWidget(sound_, 1, 1);
  options->addWidget(new QLabel(QStringLiteral("桌面通知："), this), 2, 0);
  options->addWidget(notify_, 2, 1);
  options->addWidget(NewCaption(QStringLiteral("信息刷新频率："), refresh_, this), 3, 0);
  auto* refresh_row = new QHBoxLayout;
  refresh_row->addWidget(refresh_);
  refresh_row->addWidget(new QLabel(QStringLiteral("秒"), this));
  refresh_row->addStretch(1);
  options->addLayout(refresh_row, 3, 1);
  fold_ = new QCheckBox(QStringLiteral("合并同一会员重复发布的信息"), this);
  options->addWidget(new QLabel(QStringLiteral("重复信息："), this), 4, 0);
  options->addWidget(fold_, 4, 1);

  auto* blocked_group = new QGroupBox(QStringLiteral("屏蔽的会员"), this);
  blocked_ = new QTreeWidget(blocked_group);
  blocked_->setHeaderLabels({QStringLiteral("会员号"), QStringLiteral("公司"),
                             QStringLiteral("电话"), QStringLiteral("屏蔽日期")});
  blocked_->setAccessibleName(QStringLiteral("屏蔽的会员"));
  blocked_->setRootIsDecorated(false);
  blocked_->setFixedHeight(90);
  unblock_ = new QPushButton(QStringLiteral("解除屏蔽"), blocked_group);
  unblock_->setAutoDefault(false);
  auto* blocked_box = new QVBoxLayout(blocked_group);
  blocked_box->addWidget(blocked_);
  blocked_box->addWidget(unblock_, 0, Qt::AlignRight);
  FillBlockedList();

  save_ = new QPushButton(QStringLiteral("保存"), this);
  cancel_ = new QPushButton(QStringLiteral("取消"), this);
  for (QPushButton* b : {back_button_, text_button_, save_, cancel_}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save_);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(colours);
  layout->addWidget(fonts);
  layout->addWidget(sample);
  layout->addLayout(options);
  layout->addWidget(blocked_group);
  layout->addLayout(buttons);
  setFixedWidth(320);

  connect(back_button_, &QPushButton::clicked, this, [this] {
    // The chooser always starts from the light default, not the current colour.
    if (auto colour = chooser_(kBackChooserStart, this)) {
      model_.SetBack(*colour);
      DrawPreview();
    }
  });
  connect(text_button_, &QPushButton::clicked, this, [this] {
    if (auto colour = chooser_(model_.Current().text, this)) {
      model_.SetText(*colour);
      DrawPreview();
    }
  });
  connect(size_slider_, &QSlider::valueChanged, this, [this](int size) {
    model_.SetFontSize(size);
    DrawPreview();
  });
  connect(face_box_, &QComboBox::activated, this, [this](int index) {
    model_.SetFace(ToGbk(face_box_->itemText(index)));
    DrawPreview();
  });
  connect(left_, &QRadioButton::clicked, this, [this] {
    model_.SetSide(TreeSide::kLeft);
    emit sideChosen();
  });
  connect(right_, &QRadioButton::clicked, this, [this] {
    model_.SetSide(TreeSide::kRight);
    emit sideChosen();
  });
  connect(sound_, &QCheckBox::clicked, this, [this](bool on) { model_.SetSound(on); });
  connect(notify_, &QCheckBox::clicked, this, [this](bool on) { model_.SetDesktopNotify(on); });
  connect(refresh_, &QComboBox::activated, this,
          [this](int index) { model_.ChooseRefresh(index); });
  connect(fold_, &QCheckBox::clicked, this, [this](bool on) {
    SetFoldRepeatsOn(on);
    emit foldingChanged(on);
  });
  connect(unblock_, &QPushButton::clicked, this, [this] {
    const QTreeWidgetItem* item = blocked_->currentItem();
    if (item == nullptr) return;
    BlockedMembers::Shared().Unblock(ToGbk(item->text(0)));
    FillBlockedList();
    emit blockedMembersChanged();
  });
  connect(save_, &QPushButton::clicked, this, &PreferencesDialog::Save);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void PreferencesDialog::ShowOpening() {
  const PreferencesOpening& o = model_.Opening();
  {
    const QSignalBlocker blocker(size_slider_);
    size_slider_->setValue(o.font_size);
  }
  face_box_->setCurrentIndex(FaceChoiceIndex(o.face));
  sound_->setChecked(o.sound);
  notify_->setChecked(o.desktop_notify);
  left_->setChecked(o.side == TreeSide::kLeft);
  right_->setChecked(o.side == TreeSide::kRight);
  refresh_->setCurrentIndex(o.refresh_index);
  fold_->setChecked(FoldRepeatsOn());
  DrawPreview();
}

void PreferencesDialog::FillBlockedList() {
  blocked_->clear();
  for (const BlockedMember& m : BlockedMembers::Shared().List()) {
    auto* item = new QTreeWidgetItem(blocked_);
    item->setText(0, FromGbk(m.number));
    item->setText(1, FromGbk(m.company));
    item->setText(2, FromGbk(m.tel));
    item->setText(3,
                  QDateTime::fromSecsSinceEpoch(m.blocked_at).toString(QStringLiteral("yyyy-M-d")));
  }
  if (blocked_->topLevelItemCount() > 0) blocked_->setCurrentItem(blocked_->topLevelItem(0));
  unblock_->setEnabled(blocked_->topLevelItemCount() > 0);
}

void PreferencesDialog::DrawPreview() {
  const Appearance& a = model_.Current();
  preview_->SetTextStyle(QStringLiteral("物流信息演示"), static_cast<Colour>(a.text.value),
                         a.font_size, false, FromGbk(a.face), ColorLabel::kLeft);
  preview_->SetBackground(static_cast<Colour>(a.back.value), true);
}

void PreferencesDialog::Save() {
  model_.Save();
  emit saved();
  accept();
}

}  // namespace tv
