#pragma once
// InfoGrid: the scrolling message table. It paints a RowStore (which the feed
// writes), scrolls by whole rows, keeps a focus cell, and tells its owner about
// double clicks and about the end of vertical scrolls (the scroll report).
//
// The vertical scroll bar's value is the index of the first row in view, so
// jumping anywhere in a million rows costs nothing and row offsets are never
// summed.
#include <QAbstractScrollArea>
#include <QFont>
#include <QPixmap>
#include <QRawFont>
#include <memory>
#include <unordered_map>
#include <vector>

#include "grid/grid_types.h"
#include "grid/row_store.h"

class QPushButton;

namespace tv {

class QtCharAdvances;

struct GridCellPos {
  int row = -1;
  int column = -1;
  bool IsValid() const { return row >= 0 && column >= 0; }
};

class InfoGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // The vertical scroll requests of the scroll bar, the keys and the owner's
  // page buttons.
  enum class ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kTop, kBottom, kEndScroll };

  // Pixels between a cell's border and its image or text.
  static constexpr int kCellMargin = tv::kCellMargin;

  explicit InfoGrid(QWidget* parent = nullptr, int column_count = 14);
  ~InfoGrid() override;

  // The rows. Writing them repaints the grid; row count and height changes
  // also update the scroll range.
  RowStore& Store() { return store_; }
  const RowStore& Store() const { return store_; }

  // --- look (set by the owner once after creation) -------------------------
  void SetBackColour(Colour colour);
  Colour BackColour() const { return back_colour_; }
  void SetLineColour(Colour colour);
  Colour LineColour() const { return line_colour_; }
  void SetDefaultTextColour(Colour colour);
  Colour DefaultTextColour() const { return text_colour_; }
  // The grid font; also sets the default row height from it.
  void SetGridFont(const CellFont& font);
  // 16 x 16 pictures side by side, transparent where they should be.
  void SetImageStrip(const QPixmap& strip);
  // The owner's "redraw": the screen shows the store after it (what changed
  // is painted; a whole view only when the screen holds no finished paint).
  void Redraw();
  // A short text drawn in the middle of the grid while it has no rows (none
  // by default).
  void SetEmptyText(const QString& text);
  const QString& EmptyText() const { return empty_text_; }

  // --- scrolling ---------------------------------------------------------
  void Scroll(ScrollCode code);
  // One more than the first row in view, recorded when the last vertical
  // scroll ended (end-of-scroll or a scroll to the bottom); 0 before any.
  int ScrollMark() const { return scroll_mark_; }
  int TopRow() const { return top_row_; }
  // Makes `row` the first row in view (clamped); no scroll report.
  void ScrollToRow(int row);
  // Rows from TopRow() that are wholly inside the viewport (at least 1 when
  // there are rows).
  int FullyVisibleRowCount() const;
  // Away from the top, the rows that arrived above the view since and are
  // shown; the bar over the list says so ("↑ 有 N 条新信息"). 0 at the top.
  int NewRowsWaiting() const;
  // The bar's jump (and Home while it shows): the top, then a scroll report.
  void JumpToTop();
  // A strip of controls above the rows (a filter bar); the grid takes
  // ownership and keeps it across its width while it is shown.
  void SetTopStrip(QWidget* strip);
  // Lines per wheel notch, read from the system at creation; -1: one page.
  int WheelStep() const { return wheel_step_; }
  void SetWheelStep(int step) { wheel_step_ = step; }

  // --- focus cell and hit testing -----------------------------------------
  // Enter on the focus row reports a double click on this column of the row
  // (whichever of its cells has the focus); -1, the default: on the focus
  // cell itself.
  void SetEnterColumn(int column) { enter_column_ = column; }
  int EnterColumn() const { return enter_column_; }
  GridCellPos FocusCell() const { return focus_; }
  void SetFocusCell(int row, int column);
  // The cell under a viewport point; invalid outside the cells and on
  // columns of width 0.
  GridCellPos CellAt(const QPoint& viewport_pos) const;
  // The cell's rectangle in viewport coordinates (empty when not in view).
  QRect CellRect(int row, int column) const;

 signals:
  // A double click on a cell, or Enter with a focus cell (that cell).
  void doubleClicked(int row, int column);
  // Queued after a vertical scroll ended and after a scroll to the bottom;
  // read ScrollMark() when it arrives.
  void scrollReported();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Tab moves the focus cell inside the grid instead of leaving the widget.
  // Ctrl+Tab (Ctrl+Shift+Tab) leaves it for the next (previous) control.
  bool focusNextPrevChild(bool /*next*/) override { return false; }

 private:
  void LeaveByKeyboard(bool next);
  void OnStoreChanged(RowStore::Change change, int row);
  // Brings the pixels on screen up to date with the store after a batch of
  // changes: moves the rows that inserts pushed down and repaints only the
  // rows written, or everything when that cannot be told.
  void FlushStoreChanges();
  // The viewport rectangle of `row` (full width) in the current layout; empty
  // when not in view.
  QRect RowRect(int row) const;
  void UpdateScrollRanges();
  // The first shown row from the top of the view on; -1 when none is shown.
  int FirstRowInView() const;
  void UpdateNewRowsBar();
  void LayOutTopStrip();
  int MaxTopRow() const;
  int PageDownTop() const;
  int PageUpTop() const;
  void SetTopRow(int row);
  void EndScroll();
  void MoveFocusRow(int delta);
  void MoveFocusColumn(int delta);
  void MakeFocusRowVisible(int old_row);
  int ColumnLeft(int column) const;
  struct QtCellFont {
    QFont font;
    QRawFont raw;
    QtCharAdvances* advances = nullptr;  // shared with the row fitting
  };
  const QtCellFont& QtFontOf(std::uint16_t font_id);
  void PaintCell(class QPainter& painter, const QRect& rect, int row, int column);

  RowStore store_;
  int top_row_ = 0;
  // Rows inserted above the view while it was away from the top (they are
  // rows 0 .. arrived_above_ - 1).
  int arrived_above_ = 0;
  QPushButton* new_rows_bar_ = nullptr;
  QWidget* top_strip_ = nullptr;
  int scroll_mark_ = 0;
  int wheel_step_ = 3;
  bool wheel_busy_ = false;
  bool updating_range_ = false;
  GridCellPos focus_;
  int enter_column_ = -1;
  Colour back_colour_ = kDefaultBackColour;
  Colour line_colour_ = kDefaultLineColour;
  Colour text_colour_ = kDefaultTextColour;  // the system's window text colour once built
  QPixmap image_strip_;
  bool strip_follows_screen_ = true;  // image_strip_ is a StandardImageStrip
  QString empty_text_;
  std::unordered_map<std::uint16_t, QtCellFont> qt_fonts_;  // by RowStore font id

  // What the last paint left on screen: the first row, the heights of the
  // rows drawn from it, the horizontal offset and the focus frame.
  struct Screen {
    bool valid = false;
    int top = 0;
    int x = 0;
    std::vector<int> heights;
    QRect focus_frame;
  } screen_;
  // Store changes since the screen was last brought up to date.
  struct Pending {
    bool queued = false;    // a flush is posted
    bool full = false;      // repaint everything
    int shift = 0;          // rows inserted at or above the screen's first row
    std::vector<int> rows;  // rows written (current indices)
  } pending_;
  // Moved pixels or partial repaints are waiting for a paint.
  bool paint_pending_ = false;
};

}  // namespace tv
