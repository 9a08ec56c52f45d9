#pragma once
// What the feed needs from a grid: the narrow face of the information grid
// that the feed jobs, paging and the row text write through. The program's
// grid widget and the in-memory grid of tests and the command line both
// implement it. Texts are GBK. Rows and columns outside the grid are ignored
// by writes and read as empty text.
#include <array>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// Columns of a feed row.
enum FeedColumn : int {
  kColInfoId = 0,
  kColCity = 1,
  kColTypeWord = 2,
  kColContent = 3,
  kColTel = 4,
  kColFlag = 5,
  kColTime = 6,
  kColTypeIcon = 7,
  kColRowText = 8,
  kColQQ = 9,
  kColDetailIcon = 10,
  kColMessengerIcon = 11,
  kColDeal = 12,
  kColCompany = 13,
};
inline constexpr int kFeedColumns = 14;

// Pictures of the grid's image strip.
enum FeedImage : int {
  kImageMessenger = 0,
  kImageMessengerGrey = 1,
  kImageParcel = 2,
  kImageTruck = 3,
  kImageDetail = 4,
};

// The row text's own font and colour (the display settings).
struct RowStyle {
  std::string face;  // GBK font name
  int height = 20;   // logical units
  int colour = 0;    // 24-bit, red in the low byte
};

// One row as the feed writes it: every cell text and the three pictures.
struct FeedRowCells {
  std::array<std::string, kFeedColumns> text;
  int type_icon = kImageParcel;
  int messenger_icon = kImageMessengerGrey;
};

class FeedGrid {
 public:
  virtual ~FeedGrid() = default;
  virtual int RowCount() const = 0;
  virtual void ResizeRows(int rows) = 0;
  virtual void RemoveAllRows() = 0;
  virtual void BlankAllCells() = 0;
  // A new empty row before row 0 (appended when the grid is empty).
  virtual void InsertTopRow() = 0;
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
};

// A grid kept in memory, with a fixed-width text measure (every byte 6 units
// wide, lines 12 high) for the row heights. Used by tests, benchmarks and
// the command line.
class MemoryFeedGrid : public FeedGrid {
 public:
  // Cells are allocated when a row is first written, so a million empty
  // rows cost little.
  struct Cells {
    std::array<std::string, kFeedColumns> text;
    int type_icon = -1;
    int messenger_icon = -1;
    int detail_icon = -1;
    RowStyle style;
  };
  struct Row {
    std::unique_ptr<Cells> cells;
    int height = 0;
  };

  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void ResizeRows(int rows) override;
  void RemoveAllRows() override { rows_.clear(); }
  void BlankAllCells() override;
  void InsertTopRow() override;
  std::string_view CellText(int row, int column) const override;
  void PutCellText(int row, int column, std::string text) override;
  void PutRow(int row, FeedRowCells cells, const RowStyle& style) override;
  void FitRowToText(int row) override;
  int ScrollMark() const override { return scroll_mark_; }
  void Redraw() override { ++redraws_; }

  void SetScrollMark(int mark) { scroll_mark_ = mark; }
  void SetRowTextWidth(int width) { row_text_width_ = width; }
  const Cells& CellsAt(int row) const;
  int HeightAt(int row) const { return rows_.at(static_cast<std::size_t>(row)).height; }
  int Redraws() const { return redraws_; }

 private:
  Cells& Materialise(int row);
  bool Inside(int row, int column) const {
    return row >= 0 && row < RowCount() && column >= 0 && column < kFeedColumns;
  }
  std::deque<Row> rows_;  // new rows go on top: cheap at the front
  int scroll_mark_ = 0;
  int row_text_width_ = 600;
  int redraws_ = 0;
};

// The row height rule of the grid: lines × th − (lines − 1) × th ÷ 4, plus one
// more for a one-line row, plus one; 60 when that reaches 300.
int FittedRowHeight(int text_width, int text_height, int column_width);

}  // namespace tv
