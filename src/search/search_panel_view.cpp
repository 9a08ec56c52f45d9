#include "search/search_panel_view.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/shell.h"
#include "widgets/color_label.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr int kButtonWidth = 22;

bool IsDialogKey(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

ColorLabel* StripLabel(QWidget* parent, int alignment) {
  auto* label = new ColorLabel(parent);
  label->SetTextStyle(QString(), MakeColour(255, 255, 255), 12, false, QStringLiteral("宋体"),
                      alignment);
  label->SetBackground(0, false);
  return label;
}

}  // namespace

SearchPanelView::SearchPanelView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("searchPanel"));
  auto* strip = new QWidget(this);
  strip->setObjectName(QStringLiteral("searchPanelStrip"));
  strip->setFixedHeight(kStripHeight);
  strip->setAutoFillBackground(true);
  QPalette palette = strip->palette();
  palette.setColor(QPalette::Window, QColor(49, 106, 197));
  strip->setPalette(palette);

  title_ = StripLabel(strip, ColorLabel::kLeft);
  count_ = StripLabel(strip, ColorLabel::kRight);
  title_->setObjectName(QStringLiteral("searchTitle"));
  count_->setObjectName(QStringLiteral("searchCount"));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(4, 1, 1, 1);
  row->setSpacing(2);
  row->addWidget(title_, 1);
  row->addWidget(count_);
  row->addSpacing(6);

  struct Page {
    QStyle::StandardPixmap icon;
    const char* tip;
    PageCommand command;
  };
  const Page pages[] = {
      {QStyle::SP_MediaSkipBackward, "首页", PageCommand::kTop},
      {QStyle::SP_ArrowUp, "上页", PageCommand::kPageUp},
      {QStyle::SP_ArrowDown, "下页", PageCommand::kPageDown},
      {QStyle::SP_MediaSkipForward, "末页", PageCommand::kEnd},
  };
  for (std::size_t i = 0; i < page_buttons_.size(); ++i) {
    auto* b = new QPushButton(strip);
    b->setIcon(style()->standardIcon(pages[i].icon));
    b->setToolTip(QString::fromUtf8(pages[i].tip));
    b->setFixedSize(kButtonWidth, kStripHeight - 2);
    b->setAccessibleName(b->toolTip());
    b->setFocusPolicy(Qt::TabFocus);
    const PageCommand command = pages[i].command;
    connect(b, &QPushButton::clicked, this, [this, command] { emit pageCommand(command); });
    row->addWidget(b);
    page_buttons_[i] = b;
  }
  close_ = new QPushButton(strip);
  close_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  close_->setToolTip(QStringLiteral("关闭搜索"));
  close_->setFixedSize(kButtonWidth, kStripHeight - 2);
  close_->setAccessibleName(close_->toolTip());
  close_->setFocusPolicy(Qt::TabFocus);
  connect(close_, &QPushButton::clicked, this, &SearchPanelView::closeRequested);
  row->addWidget(close_);

  grid_ = new InfoGrid(this);
  grid_->setObjectName(QStringLiteral("searchGrid"));
  grid_->setAccessibleName(QStringLiteral("搜索结果"));
  grid_->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(strip);
  layout->addWidget(grid_, 1);
}

void SearchPanelView::keyPressEvent(QKeyEvent* event) {
  if (IsDialogKey(event)) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool SearchPanelView::eventFilter(QObject* watched, QEvent* event) {
  // The grid would pass Escape up to the window; Enter it keeps (it opens
  // the focus row).
  if (watched == grid_ && IsDialogKey(event) &&
      static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape)
    return true;
  return QWidget::eventFilter(watched, event);
}

}  // namespace tv
