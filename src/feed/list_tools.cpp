#include "feed/list_tools.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QShortcut>
#include <QSizePolicy>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "feed/feed_controller.h"
#include "feed/list_export.h"
#include "feed/message_identity.h"
#include "feed/truck_length.h"
#include "grid/marked_text.h"
#include "settings/blocked_members.h"
#include "settings/values.h"
#include "shell/shell.h"
#include "shell/shell_events.h"
#include "widgets/info_grid.h"

namespace tv {

ListTools::ListTools(InfoGrid* grid, FeedController& feed, Shell& shell, QObject* parent)
    : QObject(parent), grid_(grid), feed_(feed), shell_(shell) {
  feed_.Store().SetBlockedTest(
      [](std::string_view member) { return BlockedMembers::Shared().Blocked(member); });
  feed_.SetFolding(FoldRepeatsOn());
  ShellEvents& events = shell.Events();
  connect(&events, &ShellEvents::foldingChanged, this, [this](bool on) { feed_.SetFolding(on); });
  connect(&events, &ShellEvents::blockedMembersChanged, this, [this] { feed_.BlockedChanged(); });

  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, &ListTools::OpenMenu);
  auto* find = new QShortcut(QKeySequence::Find, grid_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(find, &QShortcut::activated, this, &ListTools::ShowFilterBar);
}

void ListTools::Status(const QString& text) { shell_.ShowStatus(text); }

void ListTools::OpenMenu(const QPoint& pos) {
  const GridCellPos hit = grid_->CellAt(grid_->viewport()->mapFrom(grid_, pos));
  const int row = hit.row;
  const bool filled = row >= 0 && !feed_.Store().Grid().CellText(row, kColRowText).empty();
  if (filled) grid_->SetFocusCell(row, hit.column);
  QMenu menu(grid_);
  QAction* tel = menu.addAction(QStringLiteral("复制电话"));
  QAction* text = menu.addAction(QStringLiteral("复制整行"));
  QAction* block = menu.addAction(QStringLiteral("屏蔽此会员"));
  for (QAction* a : {tel, text, block}) a->setEnabled(filled);
  menu.addSeparator();
  QAction* fold = menu.addAction(QStringLiteral("合并重复信息"));
  fold->setCheckable(true);
  fold->setChecked(feed_.Store().Noise().Folding());
  QAction* filter = menu.addAction(QStringLiteral("筛选..."));
  filter->setShortcut(QKeySequence::Find);
  QAction* export_rows = menu.addAction(QStringLiteral("导出..."));
  QAction* chosen = menu.exec(grid_->mapToGlobal(pos));
  if (chosen == tel) CopyTelephone(row);
  if (chosen == text) CopyRowText(row);
  if (chosen == block) BlockMember(row);
  if (chosen == fold) SetFolding(fold->isChecked());
  if (chosen == filter) ShowFilterBar();
  if (chosen == export_rows) Export();
}

void ListTools::CopyTelephone(int row) {
  FeedStore& store = feed_.Store();
  const std::string_view tel = store.Grid().CellText(row, kColTel);
  if (tel.empty()) return;
  if (store.View().masked) {
    Status(QStringLiteral("电话已加密，双击信息查看"));
    return;
  }
  QApplication::clipboard()->setText(FromGbk(tel));
  Status(QStringLiteral("已复制电话：%1").arg(FromGbk(tel)));
}

void ListTools::CopyRowText(int row) {
  const std::string_view text = feed_.Store().Grid().CellText(row, kColRowText);
  if (text.empty()) return;
  QApplication::clipboard()->setText(FromGbk(StripTextMarkers(text)));
  Status(QStringLiteral("已复制整行信息"));
}

void ListTools::BlockMember(int row) {
  if (const std::function<void()> block = BlockAction(row)) {
    block();
  } else {
    Status(QStringLiteral("这条信息没有会员号，无法屏蔽"));
  }
}

std::function<void()> ListTools::BlockAction(int row) {
  const FeedGrid& grid = feed_.Store().Grid();
  if (row < 0 || row >= grid.RowCount()) return {};
  const std::string member(MemberNumberOf(grid.CellText(row, kColFlag)));
  if (member.empty() || member == "0") return {};
  // What the row says now: by the time the action runs, rows may have moved.
  BlockedMember entry{member, std::string(grid.CellText(row, kColCompany)),
                      std::string(grid.CellText(row, kColTel)), 0};
  return [this, entry] {
    const FeedGrid& rows = feed_.Store().Grid();
    const int hidden_before = rows.HiddenRowCount();
    BlockedMembers::Shared().Block(entry);
    emit shell_.Events().blockedMembersChanged();
    const int hid = rows.HiddenRowCount() - hidden_before;
    Status(QStringLiteral("已屏蔽会员 %1，隐藏 %2 条信息").arg(FromGbk(entry.number)).arg(hid));
  };
}

std::vector<std::string> ListTools::CopyTimes(int row) const {
  std::vector<std::string> times;
  const FeedGrid& grid = feed_.Store().Grid();
  const std::vector<int> copies = feed_.Store().Noise().CopyRows(row);
  if (copies.size() < 2) return times;
  for (int copy : copies) times.emplace_back(grid.CellText(copy, kColTime));
  return times;
}

void ListTools::SetFolding(bool on) {
  SetFoldRepeatsOn(on);
  emit shell_.Events().foldingChanged(on);
}

const RowFilter& ListTools::Filter() const { return feed_.Store().Noise().Filter(); }

void ListTools::BuildFilterBar() {
  bar_ = new QWidget;
  bar_->setObjectName(QStringLiteral("filterBar"));
  bar_->setAutoFillBackground(true);
  // Two lines: the type and the words above, the lengths (two dozen of
  // them) below, so that neither squeezes the other in a narrow window.
  auto* lines = new QVBoxLayout(bar_);
  lines->setContentsMargins(4, 2, 4, 2);
  lines->setSpacing(1);
  auto* row = new QHBoxLayout;
  row->setSpacing(3);
  auto* lengths = new QHBoxLayout;
  lengths->setSpacing(0);
  lines->addLayout(row);
  lines->addLayout(lengths);
  type_box_ = new QComboBox(bar_);
  type_box_->addItems({QStringLiteral("全部"), QStringLiteral("货源"), QStringLiteral("车源")});
  type_box_->setAccessibleName(QStringLiteral("类型"));
  type_box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  type_box_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  row->addWidget(new QLabel(QStringLiteral("类型"), bar_));
  row->addWidget(type_box_);
  lengths->addWidget(new QLabel(QStringLiteral("车长"), bar_));
  for (const TruckLength& length : KnownTruckLengths()) {
    auto* b = new QToolButton(bar_);
    b->setText(FromGbk(length.label));
    b->setCheckable(true);
    b->setAutoRaise(true);
    lengths->addWidget(b);
    length_buttons_.push_back(b);
    connect(b, &QToolButton::toggled, this, &ListTools::ApplyFilterFromBar);
  }
  lengths->addStretch(1);
  row->addWidget(new QLabel(QStringLiteral("包含"), bar_));
  must_edit_ = new QLineEdit(bar_);
  must_edit_->setPlaceholderText(QStringLiteral("必须有的词"));
  must_edit_->setAccessibleName(QStringLiteral("包含"));
  const int edit_width =
      must_edit_->fontMetrics().horizontalAdvance(QStringLiteral("必须有的词")) * 2;
  must_edit_->setMinimumWidth(edit_width);
  row->addWidget(must_edit_, 1);
  row->addWidget(new QLabel(QStringLiteral("排除"), bar_));
  not_edit_ = new QLineEdit(bar_);
  not_edit_->setPlaceholderText(QStringLiteral("不要的词"));
  not_edit_->setAccessibleName(QStringLiteral("排除"));
  not_edit_->setMinimumWidth(edit_width);
  row->addWidget(not_edit_, 1);
  auto* clear = new QToolButton(bar_);
  clear->setText(QStringLiteral("清除"));
  row->addWidget(clear);
  auto* close = new QToolButton(bar_);
  close->setText(QStringLiteral("×"));
  close->setToolTip(QStringLiteral("关闭筛选"));
  row->addWidget(close);
  connect(type_box_, &QComboBox::currentIndexChanged, this, &ListTools::ApplyFilterFromBar);
  connect(must_edit_, &QLineEdit::textChanged, this, &ListTools::ApplyFilterFromBar);
  connect(not_edit_, &QLineEdit::textChanged, this, &ListTools::ApplyFilterFromBar);
  connect(clear, &QToolButton::clicked, this, [this] {
    const QSignalBlocker block_type(type_box_);
    type_box_->setCurrentIndex(0);
    for (QToolButton* b : length_buttons_) {
      const QSignalBlocker block(b);
      b->setChecked(false);
    }
    must_edit_->blockSignals(true);
    must_edit_->clear();
    must_edit_->blockSignals(false);
    not_edit_->clear();  // applies the now empty filter
    ApplyFilterFromBar();
  });
  connect(close, &QToolButton::clicked, this, &ListTools::CloseFilterBar);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), bar_, nullptr, nullptr,
                               Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &ListTools::CloseFilterBar);
  bar_->hide();
  grid_->SetTopStrip(bar_);
}

void ListTools::ShowFilterBar() {
  if (bar_ == nullptr) BuildFilterBar();
  bar_->show();
  must_edit_->setFocus();
}

void ListTools::CloseFilterBar() {
  if (bar_ == nullptr) return;
  bar_->hide();
  // A filter out of sight would hide rows for no reason the member sees.
  if (!Filter().Empty()) {
    const QSignalBlocker block_type(type_box_);
    type_box_->setCurrentIndex(0);
    for (QToolButton* b : length_buttons_) {
      const QSignalBlocker block(b);
      b->setChecked(false);
    }
    const QSignalBlocker block_must(must_edit_);
    const QSignalBlocker block_not(not_edit_);
    must_edit_->clear();
    not_edit_->clear();
    ApplyFilterFromBar();
  }
  grid_->setFocus();
}

void ListTools::ApplyFilterFromBar() {
  RowFilter filter;
  filter.type = static_cast<FilterType>(type_box_->currentIndex());
  for (std::size_t i = 0; i < length_buttons_.size(); ++i) {
    if (length_buttons_[i]->isChecked()) filter.lengths |= std::uint32_t{1} << i;
  }
  filter.must_have = SplitFilterWords(ToGbk(must_edit_->text()));
  filter.must_not_have = SplitFilterWords(ToGbk(not_edit_->text()));
  if (filter == Filter()) return;
  // The view stays on the row the member is on: the focused one, else the
  // first in view, as long as it is still shown.
  const int focus = grid_->FocusCell().row;
  const int anchor = focus >= 0 ? focus : grid_->TopRow();
  feed_.SetFilter(filter);
  const RowStore& rows = grid_->Store();
  if (anchor >= 0 && anchor < rows.RowCount() && !rows.RowHidden(anchor)) {
    grid_->ScrollToRow(anchor);
  }
  grid_->Scroll(InfoGrid::ScrollCode::kEndScroll);
}

bool ListTools::ExportTo(const QString& path, bool progress) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    ShowNotice(TV_TEXT("无法写入文件：") + ToGbk(path));
    return false;
  }
  FeedStore& store = feed_.Store();
  const FeedGrid& grid = store.Grid();
  const int total = store.Noise().ShownLoadedCount();
  std::unique_ptr<QProgressDialog> dialog;
  if (progress && total > 2000) {
    dialog = std::make_unique<QProgressDialog>(QStringLiteral("正在导出..."),
                                               QStringLiteral("取消"), 0, total, grid_->window());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(300);
  }
  std::string chunk = CsvHead();
  int written = 0;
  bool ok = true;
  for (int row = grid.NextShownRow(-1); row >= 0 && ok; row = grid.NextShownRow(row)) {
    if (grid.CellText(row, kColRowText).empty()) continue;  // not loaded
    chunk += CsvLineOf(grid, row, store.Deleted(), store.Closed(), store.View().masked);
    if (++written % 1000 == 0) {
      ok = file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
           static_cast<qint64>(chunk.size());
      chunk.clear();
      if (dialog) {
        dialog->setValue(written);
        if (dialog->wasCanceled()) {
          file.close();
          file.remove();
          Status(QStringLiteral("导出已取消"));
          return false;
        }
      }
    }
  }
  ok = ok && file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
                 static_cast<qint64>(chunk.size());
  file.close();
  if (!ok) {
    ShowNotice(TV_TEXT("无法写入文件：") + ToGbk(path));
    return false;
  }
  Status(QStringLiteral("已导出 %1 条信息到 %2").arg(written).arg(path));
  return true;
}

void ListTools::Export() {
  const QString path =
      QFileDialog::getSaveFileName(grid_->window(), QStringLiteral("导出信息"),
                                   QStringLiteral("信息.csv"), QStringLiteral("CSV 文件 (*.csv)"));
  if (!path.isEmpty()) ExportTo(path);
}

}  // namespace tv
