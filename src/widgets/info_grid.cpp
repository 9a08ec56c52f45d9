#include "widgets/info_grid.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "grid/marked_text.h"
#include "widgets/image_strip.h"
#include "widgets/info_grid_accessible.h"
#include "widgets/qt_marked_surface.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

// Tells assistive technology that the focus cell moved to another row (a
// screen reader reads the new row out).
void AnnounceFocusRow(InfoGrid& grid, int old_row) {
  const int row = grid.FocusCell().row;
  if (row < 0 || row == old_row || !grid.hasFocus() || !QAccessible::isActive()) return;
  QAccessibleEvent event(&grid, QAccessible::Focus);
  event.setChild(row);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

InfoGrid::InfoGrid(QWidget* parent, int column_count)
    : QAbstractScrollArea(parent), store_(column_count, std::make_shared<QtTextMeasure>()) {
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  verticalScrollBar()->setSingleStep(1);
  // The scroll bar's own scrolls (drag, click, wheel) end with a report.
  verticalScrollBar()->installEventFilter(this);
  const int lines = QApplication::wheelScrollLines();
  wheel_step_ = lines > 0 ? lines : 3;
  image_strip_ = StandardImageStrip();
  text_colour_ = FromQColor(palette().color(QPalette::WindowText));
  // Every paint fills the whole area it is given.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  store_.SetChangeHandler(
      [this](RowStore::Change change, int row) { OnStoreChanged(change, row); });
  SetGridFont(store_.GridFont());
  InstallInfoGridAccessibility();
}

InfoGrid::~InfoGrid() { store_.SetChangeHandler(nullptr); }

// --- look ------------------------------------------------------------------

void InfoGrid::SetBackColour(Colour colour) {
  back_colour_ = colour;
  viewport()->update();
}

void InfoGrid::SetLineColour(Colour colour) {
  line_colour_ = colour;
  viewport()->update();
}

void InfoGrid::SetDefaultTextColour(Colour colour) {
  text_colour_ = colour;
  viewport()->update();
}

void InfoGrid::SetGridFont(const CellFont& font) {
  store_.SetGridFont(font);
  // New rows get the height a fitted one-line row of the grid font has.
  if (const TextMeasure* measure = store_.Measure()) {
    store_.SetDefaultRowHeight(measure->Measure(font, "1").height + 2);
  }
}

void InfoGrid::SetImageStrip(const QPixmap& strip) {
  image_strip_ = strip;
  strip_follows_screen_ = IsStandardImageStrip(strip);
  viewport()->update();
}

void InfoGrid::Redraw() {
  // Every write to the store is reported, and the flush that follows paints
  // what changed (moving the pixels when rows went on top); the grid's own
  // setters repaint for themselves. So only a screen without a finished paint
  // of a full view needs the whole view painted again.
  if (pending_.queued || screen_.valid) return;
  viewport()->update();
}

void InfoGrid::SetEmptyText(const QString& text) {
  empty_text_ = text;
  viewport()->update();
}

void InfoGrid::OnStoreChanged(RowStore::Change change, int row) {
  using Change = RowStore::Change;
  if (change == Change::kLook) qt_fonts_.erase(0);
  // Away from the top, a row that arrives above the view leaves the view on
  // the rows it showed: the first row in view moves down with them.
  if (change == Change::kRows && row >= 0 && row <= top_row_ && top_row_ + 1 < store_.RowCount()) {
    // Where the first row in view went; the new row is above it.
    const int old_top = top_row_ + 1;
    if (store_.ShownIndexOf(old_top) > 1) {
      top_row_ = old_top;
      ++arrived_above_;
    } else {
      top_row_ =
          store_.NextShownRow(-1) >= 0 ? store_.NextShownRow(-1) : 0;  // at the top: news shows
    }
  }
  if (change == Change::kRows && row < 0) arrived_above_ = 0;
  if (change != Change::kCells) UpdateScrollRanges();
  const int screen_first = screen_.top + pending_.shift;  // in today's indices
  const int screen_end = screen_first + static_cast<int>(screen_.heights.size());
  if (pending_.full || !screen_.valid) {
    pending_.full = true;
  } else if (row < 0 || change == Change::kColumns || change == Change::kLook) {
    pending_.full = true;
  } else if (change == Change::kShown) {
    // A row hidden or shown on screen or above it moves the rows after it.
    if (row < screen_end) pending_.full = true;
  } else if (change == Change::kRows) {
    // An insert renumbers the rows after it.
    for (int& written : pending_.rows) {
      if (written >= row) ++written;
    }
    if (row <= screen_first) {
      ++pending_.shift;  // the rows on screen move down
    } else if (row < screen_end) {
      pending_.full = true;
    }
    pending_.rows.push_back(row);
  } else {
    pending_.rows.push_back(row);
  }
  // A feed writes a handful of rows in one go: the screen follows once, after.
  if (!pending_.queued) {
    pending_.queued = true;
    QMetaObject::invokeMethod(
        this, [this] { FlushStoreChanges(); }, Qt::QueuedConnection);
  }
  UpdateNewRowsBar();
}

void InfoGrid::FlushStoreChanges() {
  if (!pending_.queued) return;  // a full paint came first and took them in
  Pending changes = std::move(pending_);
  pending_ = Pending{};
  const auto repaint_all = [this] {
    screen_.valid = false;
    viewport()->update();
  };
  const int first = screen_.top + changes.shift;  // the screen's first row, today
  // With hidden rows the screen's rows are not consecutive: paint it anew.
  if (changes.full || !screen_.valid || paint_pending_ || store_.HiddenRowCount() > 0 ||
      screen_.x != horizontalScrollBar()->value() || first < top_row_) {
    repaint_all();
    return;
  }
  // The screen's rows move down by the rows now above them; every one still in
  // view must have kept its height, or the rows after it land elsewhere.
  const int view_height = viewport()->height();
  long long dy = 0;
  for (int row = top_row_; row < first; ++row) dy += store_.ShownHeight(row);
  if (dy >= view_height) {
    repaint_all();
    return;
  }
  long long y = dy;
  for (std::size_t i = 0; i < screen_.heights.size() && y < view_height; ++i) {
    const int h = store_.ShownHeight(first + static_cast<int>(i));
    if (h != screen_.heights[i]) {
      repaint_all();
      return;
    }
    y += h;
  }
  if (y < view_height) {  // rows went: the screen is not full any more
    repaint_all();
    return;
  }
  if (dy > 0) viewport()->scroll(0, static_cast<int>(dy));  // repaints what it uncovers
  std::sort(changes.rows.begin(), changes.rows.end());
  changes.rows.erase(std::unique(changes.rows.begin(), changes.rows.end()), changes.rows.end());
  for (int row : changes.rows) {
    const QRect rect = RowRect(row);
    if (!rect.isEmpty()) viewport()->update(rect);
  }
  // The focus frame moved with the pixels, but the focus stays on its index.
  if (dy > 0 && !screen_.focus_frame.isEmpty()) {
    viewport()->update(screen_.focus_frame.translated(0, static_cast<int>(dy)));
    if (focus_.IsValid()) viewport()->update(CellRect(focus_.row, focus_.column));
  }
  paint_pending_ = true;
}

QRect InfoGrid::RowRect(int row) const {
  if (row < top_row_ || row >= store_.RowCount() || store_.RowHidden(row)) return {};
  const int view_height = viewport()->height();
  long long y = 0;
  for (int r = FirstRowInView(); r >= 0 && r < row; r = store_.NextShownRow(r)) {
    y += store_.RowHeight(r);
    if (y >= view_height) return {};
  }
  return QRect(0, static_cast<int>(y), viewport()->width(), store_.RowHeight(row));
}

// --- scrolling ---------------------------------------------------------------

int InfoGrid::FirstRowInView() const {
  if (top_row_ < store_.RowCount() && !store_.RowHidden(top_row_)) return top_row_;
  return store_.NextShownRow(top_row_);
}

int InfoGrid::MaxTopRow() const {
  int row = store_.PrevShownRow(store_.RowCount());
  if (row < 0) return 0;
  const int view_height = viewport()->height();
  long long used = 0;
  int top = row;
  while (row >= 0 && used + store_.RowHeight(row) <= view_height) {
    used += store_.RowHeight(row);
    top = row;
    row = store_.PrevShownRow(row);
  }
  // A last row taller than the view still gets to be the first row in view.
  return top;
}

int InfoGrid::FullyVisibleRowCount() const {
  const int view_height = viewport()->height();
  long long used = 0;
  int count = 0;
  const int first = FirstRowInView();
  for (int row = first; row >= 0; row = store_.NextShownRow(row)) {
    used += store_.RowHeight(row);
    if (used > view_height) break;
    ++count;
  }
  return std::max(count, first >= 0 ? 1 : 0);
}

int InfoGrid::PageDownTop() const {
  const int top = FirstRowInView();
  if (top < 0) return 0;
  const int below =
      store_.ShownRowAt(store_.ShownIndexOf(top) + std::max(FullyVisibleRowCount(), 1));
  const int max_top = MaxTopRow();
  return below < 0 || below > max_top ? max_top : below;
}

int InfoGrid::PageUpTop() const {
  const int view_height = viewport()->height();
  long long used = 0;
  const int first = FirstRowInView();
  if (first < 0) return 0;
  int top = first;
  int row = store_.PrevShownRow(first);
  while (row >= 0 && used + store_.RowHeight(row) <= view_height) {
    used += store_.RowHeight(row);
    top = row;
    row = store_.PrevShownRow(row);
  }
  if (top != first) return top;
  const int above = store_.PrevShownRow(first);
  return above >= 0 ? above : first;
}

void InfoGrid::UpdateScrollRanges() {
  const int max_top = MaxTopRow();
  if (top_row_ > max_top) top_row_ = max_top;
  // The first row in view is a shown one: a hidden one gives way to the next.
  if (store_.RowHidden(top_row_)) {
    const int next = store_.NextShownRow(top_row_);
    top_row_ = next >= 0 && next <= max_top ? next : max_top;
  }
  if (focus_.row >= store_.RowCount() || focus_.column >= store_.ColumnCount()) {
    focus_ = GridCellPos{};
  }
  updating_range_ = true;
  QScrollBar* vbar = verticalScrollBar();
  vbar->setRange(0, store_.ShownIndexOf(max_top));
  vbar->setPageStep(std::max(FullyVisibleRowCount(), 1));
  vbar->setValue(store_.ShownIndexOf(top_row_));
  QScrollBar* hbar = horizontalScrollBar();
  const int view_width = viewport()->width();
  hbar->setRange(0, std::max(store_.TotalColumnWidth() - view_width, 0));
  hbar->setPageStep(std::max(view_width, 1));
  updating_range_ = false;
}

void InfoGrid::SetTopRow(int row) {
  const int max_top = MaxTopRow();
  row = std::clamp(row, 0, max_top);
  if (store_.RowHidden(row)) {
    const int next = store_.NextShownRow(row);
    row = next >= 0 && next <= max_top ? next : max_top;
  }
  top_row_ = row;
  updating_range_ = true;
  verticalScrollBar()->setValue(store_.ShownIndexOf(top_row_));
  updating_range_ = false;
  if (store_.ShownIndexOf(top_row_) == 0) arrived_above_ = 0;
  UpdateNewRowsBar();
  viewport()->update();
}

void InfoGrid::ScrollToRow(int row) { SetTopRow(row); }

void InfoGrid::EndScroll() {
  scroll_mark_ = top_row_ + 1;
  // Posted, so the owner sees it after the scroll has been handled; dropped
  // with the grid if the grid goes first.
  QMetaObject::invokeMethod(
      this, [this] { emit scrollReported(); }, Qt::QueuedConnection);
}

void InfoGrid::UpdateNewRowsBar() {
  const int arrived = std::min(arrived_above_, store_.RowCount());
  const int count = arrived > 0 ? store_.ShownIndexOf(arrived) : 0;
  if (count <= 0) {
    if (new_rows_bar_ != nullptr) new_rows_bar_->hide();
    return;
  }
  if (new_rows_bar_ == nullptr) {
    new_rows_bar_ = new QPushButton(this);
    new_rows_bar_->setObjectName(QStringLiteral("newRowsBar"));
    new_rows_bar_->setFocusPolicy(Qt::NoFocus);
    new_rows_bar_->setCursor(Qt::PointingHandCursor);
    new_rows_bar_->setStyleSheet(
        QStringLiteral("QPushButton { background: #fff3c4; color: #333; border: 1px solid #d9b54a;"
                       " border-radius: 3px; padding: 2px 10px; }"));
    connect(new_rows_bar_, &QPushButton::clicked, this, &InfoGrid::JumpToTop);
  }
  new_rows_bar_->setText(QStringLiteral("↑ 有 %1 条新信息").arg(count));
  new_rows_bar_->adjustSize();
  const QRect area = viewport()->geometry();
  new_rows_bar_->move(area.left() + (area.width() - new_rows_bar_->width()) / 2, area.top() + 4);
  new_rows_bar_->show();
  new_rows_bar_->raise();
}

int InfoGrid::NewRowsWaiting() const {
  return new_rows_bar_ != nullptr && new_rows_bar_->isVisible()
             ? store_.ShownIndexOf(std::min(arrived_above_, store_.RowCount()))
             : 0;
}

void InfoGrid::JumpToTop() {
  Scroll(ScrollCode::kTop);
  Scroll(ScrollCode::kEndScroll);
}

void InfoGrid::Scroll(ScrollCode code) {
  switch (code) {
    case ScrollCode::kLineUp: {
      const int above = store_.PrevShownRow(top_row_);
      SetTopRow(above >= 0 ? above : 0);
      break;
    }
    case ScrollCode::kLineDown: {
      const int below = store_.NextShownRow(top_row_);
      if (below >= 0) SetTopRow(below);
      break;
    }
    case ScrollCode::kPageUp:
      SetTopRow(PageUpTop());
      break;
    case ScrollCode::kPageDown:
      SetTopRow(PageDownTop());
      break;
    case ScrollCode::kTop:
      SetTopRow(0);
      break;
    case ScrollCode::kBottom:
      SetTopRow(MaxTopRow());
      EndScroll();
      break;
    case ScrollCode::kEndScroll:
      EndScroll();
      break;
  }
}

void InfoGrid::scrollContentsBy(int /*dx*/, int /*dy*/) {
  if (!updating_range_) {
    const int row = store_.ShownRowAt(verticalScrollBar()->value());
    top_row_ = std::clamp(row, 0, MaxTopRow());
    if (store_.ShownIndexOf(top_row_) == 0) arrived_above_ = 0;
    UpdateNewRowsBar();
  }
  viewport()->update();
}

void InfoGrid::SetTopStrip(QWidget* strip) {
  top_strip_ = strip;
  strip->setParent(this);
  strip->installEventFilter(this);
  LayOutTopStrip();
}

void InfoGrid::LayOutTopStrip() {
  const int height =
      top_strip_ != nullptr && top_strip_->isVisibleTo(this) ? top_strip_->sizeHint().height() : 0;
  setViewportMargins(0, height, 0, 0);
  if (height > 0) {
    const QRect area = contentsRect();
    top_strip_->setGeometry(area.left(), area.top(), area.width(), height);
  }
  UpdateNewRowsBar();
}

void InfoGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  LayOutTopStrip();
  UpdateScrollRanges();
}

bool InfoGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == top_strip_ && top_strip_ != nullptr &&
      (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
       event->type() == QEvent::LayoutRequest)) {
    LayOutTopStrip();
    UpdateScrollRanges();
  }
  if (watched == verticalScrollBar()) {
    if (event->type() == QEvent::MouseButtonRelease) {
      // A released scroll bar ends the scroll, as the end-of-scroll code does.
      Scroll(ScrollCode::kEndScroll);
    } else if (event->type() == QEvent::Wheel) {
      // The bar scrolls itself once this filter has let the event through:
      // the scroll ends after that.
      QMetaObject::invokeMethod(
          this, [this] { Scroll(ScrollCode::kEndScroll); }, Qt::QueuedConnection);
    }
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

// --- focus and hit testing ---------------------------------------------------

void InfoGrid::SetFocusCell(int row, int column) {
  const int old_row = focus_.row;
  if (row < 0 || row >= store_.RowCount() || column < 0 || column >= store_.ColumnCount()) {
    focus_ = GridCellPos{};
  } else {
    focus_ = GridCellPos{row, column};
  }
  AnnounceFocusRow(*this, old_row);
  viewport()->update();
}

int InfoGrid::ColumnLeft(int column) const {
  int x = -horizontalScrollBar()->value();
  for (int c = 0; c < column; ++c) x += store_.ColumnWidth(c);
  return x;
}

GridCellPos InfoGrid::CellAt(const QPoint& pos) const {
  if (pos.y() < 0 || pos.x() < 0) return {};
  GridCellPos hit;
  long long y = 0;
  for (int row = FirstRowInView(); row >= 0 && y <= pos.y(); row = store_.NextShownRow(row)) {
    const int h = store_.RowHeight(row);
    if (pos.y() < y + h) {
      hit.row = row;
      break;
    }
    y += h;
  }
  if (hit.row < 0) return {};
  int x = -horizontalScrollBar()->value();
  for (int c = 0; c < store_.ColumnCount(); ++c) {
    const int w = store_.ColumnWidth(c);
    // Half-open: a column of width 0 covers no point at all.
    if (pos.x() >= x && pos.x() < x + w) {
      hit.column = c;
      return hit;
    }
    x += w;
  }
  return {};
}

QRect InfoGrid::CellRect(int row, int column) const {
  if (row < top_row_ || row >= store_.RowCount() || column < 0 || column >= store_.ColumnCount() ||
      store_.RowHidden(row)) {
    return {};
  }
  long long y = 0;
  for (int r = FirstRowInView(); r >= 0 && r < row; r = store_.NextShownRow(r)) {
    y += store_.RowHeight(r);
    if (y > viewport()->height()) return {};
  }
  return QRect(ColumnLeft(column), static_cast<int>(y), store_.ColumnWidth(column),
               store_.RowHeight(row));
}

void InfoGrid::MoveFocusRow(int delta) {
  const int n = store_.RowCount();
  if (n == 0) return;
  int column = focus_.column;
  if (column < 0) {
    column = 0;
    while (column < store_.ColumnCount() - 1 && store_.ColumnWidth(column) == 0) ++column;
  }
  const int old_row = focus_.row;
  int row = FirstRowInView();
  if (old_row >= 0) {
    row = old_row;
    for (int step = delta; step > 0; --step) {
      const int below = store_.NextShownRow(row);
      if (below < 0) break;
      row = below;
    }
    for (int step = delta; step < 0; ++step) {
      const int above = store_.PrevShownRow(row);
      if (above < 0) break;
      row = above;
    }
    if (store_.RowHidden(row)) {
      const int shown = store_.NextShownRow(row);
      row = shown >= 0 ? shown : store_.PrevShownRow(row);
    }
  }
  if (row < 0) return;
  focus_ = GridCellPos{row, column};
  MakeFocusRowVisible(old_row);
  AnnounceFocusRow(*this, old_row);
  viewport()->update();
}

// After a one-row focus move: when the focus row is not wholly in view, the
// view scrolls one line the way the focus moved. A focus left above the view
// (after "末页" or the scroll bar) that moves down takes the view down, not
// back up towards itself.
void InfoGrid::MakeFocusRowVisible(int old_row) {
  const int row = focus_.row;
  if (row < 0 || old_row < 0 || row == old_row) return;
  bool wholly_in_view = row >= top_row_;
  long long bottom = 0;
  for (int r = FirstRowInView(); wholly_in_view && r >= 0 && r <= row; r = store_.NextShownRow(r)) {
    bottom += store_.RowHeight(r);
    if (bottom > viewport()->height()) wholly_in_view = false;
  }
  if (!wholly_in_view) Scroll(row > old_row ? ScrollCode::kLineDown : ScrollCode::kLineUp);
}

void InfoGrid::MoveFocusColumn(int delta) {
  const int columns = store_.ColumnCount();
  if (columns == 0 || store_.RowCount() == 0) return;
  if (focus_.row < 0) {
    MoveFocusRow(0);
    return;
  }
  // Step over hidden columns; stay put when there is no visible one that way.
  for (int c = focus_.column + delta; c >= 0 && c < columns; c += delta) {
    if (store_.ColumnWidth(c) > 0) {
      focus_.column = c;
      break;
    }
  }
  viewport()->update();
}

// --- input -------------------------------------------------------------------

void InfoGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const GridCellPos hit = CellAt(event->position().toPoint());
    if (hit.IsValid()) SetFocusCell(hit.row, hit.column);
  }
  event->accept();
}

void InfoGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const GridCellPos hit = CellAt(event->position().toPoint());
    if (hit.IsValid()) {
      SetFocusCell(hit.row, hit.column);
      emit doubleClicked(hit.row, hit.column);
    }
  }
  event->accept();
}

void InfoGrid::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (wheel_busy_) return;
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  wheel_busy_ = true;
  if (wheel_step_ == -1) {
    // One page per notch (a fine-grained wheel still counts as one notch).
    const int notches = std::max(std::abs(delta) / 120, 1);
    for (int i = 0; i < notches; ++i) {
      Scroll(delta > 0 ? ScrollCode::kPageUp : ScrollCode::kPageDown);
    }
  } else {
    MoveFocusRow(delta > 0 ? -1 : 1);
  }
  // In both modes the scroll ends here, so that rows that came into view are
  // loaded.
  Scroll(ScrollCode::kEndScroll);
  wheel_busy_ = false;
}

void InfoGrid::LeaveByKeyboard(bool next) {
  QWidget* to = next ? nextInFocusChain() : previousInFocusChain();
  while (to && to != this &&
         (!(to->focusPolicy() & Qt::TabFocus) || !to->isVisibleTo(window()) || !to->isEnabled() ||
          to->window() != window())) {
    to = next ? to->nextInFocusChain() : to->previousInFocusChain();
  }
  if (to && to != this) to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void InfoGrid::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int top_before = top_row_;
  const bool to_bottom = ctrl && event->key() == Qt::Key_End;
  switch (event->key()) {
    case Qt::Key_Up:
      MoveFocusRow(-1);
      break;
    case Qt::Key_Down:
      MoveFocusRow(1);
      break;
    case Qt::Key_Left:
      MoveFocusColumn(-1);
      break;
    case Qt::Key_Backtab:
      if (ctrl) {
        LeaveByKeyboard(false);
      } else {
        MoveFocusColumn(-1);
      }
      break;
    case Qt::Key_Right:
      MoveFocusColumn(1);
      break;
    case Qt::Key_Tab:
      if (ctrl) {
        LeaveByKeyboard(!(event->modifiers() & Qt::ShiftModifier));
      } else {
        MoveFocusColumn(event->modifiers() & Qt::ShiftModifier ? -1 : 1);
      }
      break;
    case Qt::Key_PageUp:
      Scroll(ScrollCode::kPageUp);
      break;
    case Qt::Key_PageDown:
      Scroll(ScrollCode::kPageDown);
      break;
    case Qt::Key_Home:
    case Qt::Key_End: {
      const bool home = event->key() == Qt::Key_Home;
      if (home && !ctrl && NewRowsWaiting() > 0) {
        // With news waiting above, Home goes to it.
        Scroll(ScrollCode::kTop);
      } else if (ctrl) {
        Scroll(home ? ScrollCode::kTop : ScrollCode::kBottom);
      } else if (focus_.row >= 0) {
        // From beyond the row's end towards it: the first (last) visible column.
        const GridCellPos keep = focus_;
        focus_.column = home ? -1 : store_.ColumnCount();
        MoveFocusColumn(home ? 1 : -1);
        if (focus_.column < 0 || focus_.column >= store_.ColumnCount()) focus_ = keep;
      }
      break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // The keyboard's double click on the focus row. Never passed on to the
      // window (where Enter would press a button).
      if (focus_.IsValid() && focus_.row < store_.RowCount())
        emit doubleClicked(focus_.row, enter_column_ >= 0 ? enter_column_ : focus_.column);
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  // A key that scrolled ends its scroll like the scroll bar does, so that the
  // rows it brought into view are loaded (Ctrl+End has reported already).
  if (top_row_ != top_before && !to_bottom) Scroll(ScrollCode::kEndScroll);
  event->accept();
}

// --- painting ----------------------------------------------------------------

const InfoGrid::QtCellFont& InfoGrid::QtFontOf(std::uint16_t font_id) {
  auto it = qt_fonts_.find(font_id);
  if (it == qt_fonts_.end()) {
    QtCellFont entry;
    entry.font = ToQFont(store_.FontById(font_id));
    entry.raw = QRawFont::fromFont(entry.font);
    entry.advances = &CharAdvancesOf(store_.FontById(font_id));
    it = qt_fonts_.emplace(font_id, std::move(entry)).first;
  }
  return it->second;
}

void InfoGrid::PaintCell(QPainter& painter, const QRect& rect, int row, int column) {
  const std::optional<GridCell> cell = store_.FindCell(row, column);
  const bool focused = focus_.row == row && focus_.column == column;
  const Colour back =
      cell && cell->back_colour != kDefaultColour ? cell->back_colour : back_colour_;
  if (focused || back != back_colour_) painter.fillRect(rect, ToQColor(back));
  if (!cell) return;
  const QRect inner = rect.adjusted(kCellMargin, kCellMargin, -kCellMargin, -kCellMargin);
  // The strip may hold its pictures at a higher pixel ratio (a HiDPI screen):
  // the source rectangle is in its device pixels. The standard strip follows
  // the ratio of what is painted on now: the screen the grid is on, or the
  // image a render() draws into (the painter's device is the widget then).
  if (cell->image >= 0 && strip_follows_screen_) {
    const QPaintDevice* target =
        painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : painter.device();
    const int scale = ImageStripScale(target->devicePixelRatioF());
    if (scale != image_strip_.devicePixelRatio()) image_strip_ = StandardImageStrip(scale);
  }
  const qreal ratio = image_strip_.devicePixelRatio();
  if (cell->image >= 0 && inner.width() >= kImageSize && inner.height() >= kImageSize &&
      (cell->image + 1) * kImageSize * ratio <= image_strip_.width()) {
    painter.drawPixmap(
        QRectF(inner.topLeft(), QSizeF(kImageSize, kImageSize)), image_strip_,
        QRectF(cell->image * kImageSize * ratio, 0, kImageSize * ratio, kImageSize * ratio));
  }
  if (cell->text.empty() || inner.isEmpty()) return;
  painter.setClipRect(rect);
  const QtCellFont& font = QtFontOf(cell->font_id);
  painter.setFont(font.font);
  const Colour colour = cell->text_colour != kDefaultColour ? cell->text_colour : text_colour_;
  {
    QtMarkedTextSurface surface(painter, font.raw, *font.advances, colour, rect.bottom() + 1);
    const GridRect text_rect{inner.left(), inner.top(), inner.right() + 1, inner.bottom() + 1};
    DrawMarkedText(surface, text_rect, cell->text, text_rect.left);
  }  // the surface draws what it holds before the clip goes
  painter.setClipping(false);
}

void InfoGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const int view_width = viewport()->width();
  const int view_height = viewport()->height();
  const QRect dirty = event->rect();
  painter.fillRect(dirty, ToQColor(back_colour_));
  // What this paint leaves on screen. A paint of part of the view while
  // changes wait for their flush leaves old and new side by side: the flush
  // then repaints everything.
  const bool whole = dirty.contains(viewport()->rect());
  if (pending_.queued && whole) pending_ = Pending{};
  screen_.valid = !pending_.queued;
  screen_.top = top_row_;
  screen_.x = horizontalScrollBar()->value();
  screen_.heights.clear();
  screen_.focus_frame = QRect();
  paint_pending_ = false;

  const int n = store_.RowCount();
  if (n == 0 && !empty_text_.isEmpty()) {
    // An empty list says so instead of looking like one that failed to draw.
    painter.setPen(ToQColor(kEmptyTextColour));
    QFont font = QtFontOf(0).font;
    font.setPixelSize(16);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, view_width, view_height / 2), Qt::AlignCenter, empty_text_);
    screen_.valid = false;
    return;
  }
  const int columns = store_.ColumnCount();
  const int x0 = -horizontalScrollBar()->value();
  int y = 0;
  std::vector<int> drawn;  // the rows drawn, for their lines
  for (int row = FirstRowInView(); row >= 0 && y < view_height; row = store_.NextShownRow(row)) {
    drawn.push_back(row);
    const int h = store_.RowHeight(row);
    screen_.heights.push_back(h);
    int x = x0;
    // Only the rows the paint asked for: after a scroll that is a few.
    const bool wanted = y + h > dirty.top() && y <= dirty.bottom();
    for (int c = 0; wanted && c < columns && x < view_width; ++c) {
      const int w = store_.ColumnWidth(c);
      if (w > 0 && h > 0 && x + w > 0) PaintCell(painter, QRect(x, y, w, h), row, c);
      x += w;
    }
    y += h;
  }

  // Only a full screen of rows can be moved as it is.
  if (y < view_height) screen_.valid = false;
  // Lines after the cells, along the right and bottom edge of every drawn cell.
  if (drawn.empty()) return;
  painter.setPen(ToQColor(line_colour_));
  const int cells_bottom = std::min(y, view_height);
  int x = x0;
  int cells_right = x0;
  for (int c = 0; c < columns && x < view_width; ++c) {
    const int w = store_.ColumnWidth(c);
    x += w;
    if (w == 0) continue;
    cells_right = x;
    if (x - 1 >= 0) painter.drawLine(x - 1, 0, x - 1, cells_bottom - 1);
  }
  cells_right = std::min(cells_right, view_width);
  int line_y = 0;
  for (int row : drawn) {
    line_y += store_.RowHeight(row);
    if (line_y - 1 < view_height) painter.drawLine(0, line_y - 1, cells_right - 1, line_y - 1);
  }

  // The focus frame goes over the lines so that all four sides show.
  if (focus_.IsValid() && store_.ColumnWidth(focus_.column) > 0) {
    const QRect frame = CellRect(focus_.row, focus_.column);
    if (!frame.isEmpty()) {
      painter.setPen(ToQColor(kFocusFrameColour));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(frame.adjusted(0, 0, -1, -1));
      screen_.focus_frame = frame;
    }
  }
}

}  // namespace tv
