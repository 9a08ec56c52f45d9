#pragma once
// What the feed needs from a grid: the narrow face of the information grid
// that the feed jobs, paging and the row text write through. The program's
// grid widget and the in-memory grid of tests and the command line both
// implement it. Texts are GBK. Rows and columns outside the grid are ignored
// by writes and read as empty text.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/grid_types.h"
#include "grid/message_row.h"
#include "grid/row_store.h"

namespace tv {

// Pictures of the grid's image strip that the feed puts in its rows.
inline constexpr int kFeedImageMessenger = 0;      // has a QQ number
inline constexpr int kFeedImageMessengerGrey = 1;  // no QQ number
inline constexpr int kFeedImageParcel = 2;
inline constexpr int kFeedImageTruck = 3;
inline constexpr int kFeedImageDetail = 4;

// The row text's own font and colour (the display settings).
struct RowStyle {
  std::string face;  // GBK font name
  int height = 20;   // logical units
  int colour = 0;    // 24-bit, red in the low byte
};

// One row as the feed writes it: every cell text and the three pictures.
struct FeedRowCells {
  std::array<std::string, kMessageColumns> text;
  int type_icon = kFeedImageParcel;
  int messenger_icon = kFeedImageMessengerGrey;
};

class FeedGrid {
 public:
  virtual ~FeedGrid() = default;
  virtual int RowCount() const = 0;
  virtual void ResizeRows(int rows) = 0;
  virtual void RemoveAllRows() = 0;
  virtual void BlankAllCells() = 0;
  // The row gives its cells back and reads as never written; its height
  // and hidden state stay.
  virtual void EmptyRow(int row) = 0;
  // A new empty row before row 0 (appended when the grid is empty). False
  // when no row was inserted (memory ran out).
  virtual bool InsertTopRow() = 0;
  virtual std::string_view CellText(int row, int column) const = 0;
  virtual void PutCellText(int row, int column, std::string text) = 0;
  // Writes the row's cells and pictures, gives the row text its font and
  // colour and fits the row's height to it at the row-text column's width.
  virtual void PutRow(int row, FeedRowCells cells, const RowStyle& style) = 0;
  // Fits the row's height to its row text at the row-text column's width.
  virtual void FitRowToText(int row) = 0;
  // One more than the first row in view, as of the last finished scroll.
  virtual int ScrollMark() const = 0;
  virtual void Redraw() = 0;
  // Hidden rows keep their place and cells but are not shown.
  virtual bool RowHidden(int row) const = 0;
  virtual void SetRowHidden(int row, bool hidden) = 0;
  virtual void SetHiddenRows(const std::function<bool(int row)>& hidden) = 0;
  virtual int HiddenRowCount() const = 0;
  // The first shown row after `row` (-1: from the top); -1 when none.
  virtual int NextShownRow(int row) const = 0;
};

// The feed's face of the information grid's row store. The scroll mark and
// the redraw belong to the widget that paints the store; headless users set
// the mark themselves.
class RowStoreGrid : public FeedGrid {
 public:
  explicit RowStoreGrid(RowStore& store) : store_(store) {}

  void SetScrollMarkSource(std::function<int()> source) { mark_source_ = std::move(source); }
  void SetRedraw(std::function<void()> redraw) { redraw_ = std::move(redraw); }
  void SetScrollMark(int mark) { fixed_mark_ = mark; }

  int RowCount() const override { return store_.RowCount(); }
  void ResizeRows(int rows) override { store_.ResizeRows(rows); }
  void RemoveAllRows() override { store_.RemoveAllRows(); }
  void BlankAllCells() override { store_.BlankAllCells(); }
  void EmptyRow(int row) override { store_.EmptyRow(row); }
  bool InsertTopRow() override;
  std::string_view CellText(int row, int column) const override {
    return store_.GetCellText(row, column);
  }
  void PutCellText(int row, int column, std::string text) override {
    store_.PutCellText(row, column, text);
  }
  void PutRow(int row, FeedRowCells cells, const RowStyle& style) override;
  void FitRowToText(int row) override;
  int ScrollMark() const override { return mark_source_ ? mark_source_() : fixed_mark_; }
  bool RowHidden(int row) const override { return store_.RowHidden(row); }
  void SetRowHidden(int row, bool hidden) override { store_.SetRowHidden(row, hidden); }
  void SetHiddenRows(const std::function<bool(int row)>& hidden) override {
    store_.SetHiddenRows(hidden);
  }
  int HiddenRowCount() const override { return store_.HiddenRowCount(); }
  int NextShownRow(int row) const override { return store_.NextShownRow(row); }
  void Redraw() override {
    ++redraws_;
    if (redraw_) redraw_();
  }

  RowStore& Store() { return store_; }
  int Redraws() const { return redraws_; }

 private:
  RowStore& store_;
  std::function<int()> mark_source_;
  std::function<void()> redraw_;
  int fixed_mark_ = 0;
  int redraws_ = 0;
};

// Sets the feed's column layout on a fresh store: 14 columns, widths of the
// hidden columns 0, the three pictures 30, the row text `row_text_width`.
void SetFeedColumns(RowStore& store, int row_text_width);

// A cell of a panel's list (search, subscriptions) as the detail window reads
// it: those lists keep the type as "0"/"1" and the full time, the window wants
// the type's word and the short time.
std::string PanelCellText(const RowStore& rows, int row, int column);

}  // namespace tv
