#pragma once
// The row store of an information grid: rows of cells holding GBK text, an
// image index, an optional font and colours, plus one height per row and one
// width per column. The feed controllers write it (headless, no Qt); the grid
// widget paints it and is told of changes through the change handler.
//
// Storage is sparse: a row that has never been written is a null slot and
// costs 12 bytes (slot plus height), so ResizeRows(1'000'000) is cheap and
// memory grows with the filled rows only. A filled row is one allocation: the
// end offset of every cell's text, the attributes of the few cells that have
// any, then the texts back to back, so a feed row costs about 150 bytes
// beyond its texts. Slots live in deques, so inserting a row on top does not
// move the others.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/grid_types.h"
#include "grid/text_measure.h"

namespace tv {

// A cell as read from the store. `text` points into the row: it stays valid
// until that row is written again or goes.
struct GridCell {
  std::string_view text;                // GBK, may carry the colour markers
  Colour text_colour = kDefaultColour;  // kDefaultColour: the grid's
  Colour back_colour = kDefaultColour;  // kDefaultColour: the grid's
  std::int16_t image = kImageNone;      // index into the image strip
  std::uint16_t font_id = 0;            // 0: the grid's font (RowStore::FontById)
  std::uint8_t format = kFormatNone;    // CellFormat flags
};

class RowStore {
 public:
  // What changed, so the view can decide between a repaint and a new layout.
  enum class Change {
    kRows,     // row count or order (resize, insert, remove)
    kHeights,  // a row height
    kCells,    // cell contents only
    kColumns,  // column count or widths
    kLook,     // grid font or default height
    kShown,    // a row hidden or shown again (-1: many rows)
  };
  // The handler's row: for kCells and kHeights the row written (-1: many
  // rows), for kRows the row inserted (-1: rows resized or removed), -1 for
  // the others. A view moves the pixels of rows that an insert pushed down
  // and repaints only the rows written.
  using ChangeHandler = std::function<void(Change, int row)>;

  // Row height of new rows until SetDefaultRowHeight.
  static constexpr int kInitialRowHeight = 22;

  explicit RowStore(int column_count = 14, std::shared_ptr<const TextMeasure> measure = nullptr);
  ~RowStore();
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;
  RowStore(RowStore&&) = default;
  RowStore& operator=(RowStore&&) = default;

  // --- shape -------------------------------------------------------------
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return column_count_; }
  // Keeps the rows; filled rows gain empty cells or lose their last ones.
  void SetColumnCount(int column_count);

  // The row count becomes n (negative counts as 0); new rows are empty with the
  // default height, rows beyond n go with their cells. False when memory runs
  // out: the store then keeps the rows it had.
  bool ResizeRows(int n);
  void RemoveAllRows();
  // Inserts an empty row before `index` (column 0 given `text`); index -1
  // appends. Returns the new row's index, -1 when index is not a row of the
  // store (or memory ran out).
  int InsertRowAt(std::string_view text, int index);
  // Empties the text of every cell; rows and their other attributes stay.
  void BlankAllCells();
  // Gives back a row's cells (texts, pictures, fonts, colours): the row is
  // as if never written, its height and hidden state stay.
  void EmptyRow(int row);

  // --- cells (outside the store: reads give empty/defaults, writes do nothing)
  // The text stays valid until the row is written again or goes.
  std::string_view GetCellText(int row, int column) const;
  void PutCellText(int row, int column, std::string_view text);
  int CellImage(int row, int column) const;
  void PutCellImage(int row, int column, int image);
  // The cell's own font; nullptr when the cell uses the grid font.
  const CellFont* CellFontOf(int row, int column) const;
  void PutCellFont(int row, int column, const CellFont& font);
  Colour CellColour(int row, int column) const;  // text colour, kDefaultColour if none
  void PutCellColour(int row, int column, Colour colour);
  Colour CellBackColour(int row, int column) const;
  void PutCellBackColour(int row, int column, Colour colour);
  std::uint8_t CellFormatOf(int row, int column) const;
  void PutCellFormat(int row, int column, std::uint8_t format);
  // The whole cell, or nothing for a cell of an unwritten row or outside.
  std::optional<GridCell> FindCell(int row, int column) const;
  // Rows that hold cells (written at least once since they were created).
  std::size_t FilledRowCount() const { return filled_rows_; }

  // --- heights and widths ------------------------------------------------
  int RowHeight(int row) const;  // 0 outside
  void PutRowHeight(int row, int height);
  int DefaultRowHeight() const { return default_row_height_; }
  // For rows created from now on.
  void SetDefaultRowHeight(int height);
  int ColumnWidth(int column) const;  // 0 outside
  // Width 0 hides a column: it is neither drawn nor hit.
  void PutColumnWidth(int column, int width);
  int TotalColumnWidth() const;

  // Fits the row's height to the text of one cell in a column `width` pixels
  // wide: the cell gets word-wrap and vertical centring; lines = the lines
  // DrawMarkedText makes of the text inside the cell margin, th = the height
  // of "1" in the cell's font; height = th + 2 for one line, and one line
  // step (MarkedLineStep) more for each further line. A height of 300 or
  // more becomes 60.
  void FitRowToText(int row, int column, int width);

  // --- fonts and measuring -------------------------------------------------
  const CellFont& GridFont() const { return fonts_.front(); }
  void SetGridFont(const CellFont& font);
  // The font of a GridCell::font_id (0 is the grid font).
  const CellFont& FontById(std::uint16_t id) const;
  std::size_t FontCount() const { return fonts_.size(); }
  void SetTextMeasure(std::shared_ptr<const TextMeasure> measure);
  const TextMeasure* Measure() const { return measure_.get(); }

  // --- shown and hidden rows ----------------------------------------------
  // A hidden row keeps its place, cells and height but is not shown: a list
  // folds, blocks or filters rows without renumbering them, so row numbers
  // stay those of the server's list. Every look-up below is O(log n) once a
  // row is hidden, O(1) while none is.
  bool RowHidden(int row) const;
  void SetRowHidden(int row, bool hidden);
  // Every row's state at once, `hidden(row)` asked for each row (O(n)).
  void SetHiddenRows(const std::function<bool(int row)>& hidden);
  int HiddenRowCount() const { return static_cast<int>(hidden_count_); }
  int ShownRowCount() const { return RowCount() - HiddenRowCount(); }
  // The shown rows above `row` (its place among the shown rows when shown).
  int ShownIndexOf(int row) const;
  // The row shown at `index` among the shown rows; -1 outside.
  int ShownRowAt(int index) const;
  // The first shown row after (before) `row`; -1 when there is none.
  int NextShownRow(int row) const;
  int PrevShownRow(int row) const;
  // The row's height as the view lays it out: 0 while hidden.
  int ShownHeight(int row) const { return RowHidden(row) ? 0 : RowHeight(row); }

  void SetChangeHandler(ChangeHandler handler) { on_change_ = std::move(handler); }

 private:
  // Shown rows are counted by a Fenwick tree over the rows numbered from the
  // bottom, so that a row inserted on top appends to it.
  std::size_t KeyOf(int row) const { return rows_.size() - 1 - static_cast<std::size_t>(row); }
  void EnsureShownTree() const;
  void ForgetShownTree();
  // Shown rows among the keys [0, key).
  int ShownBelowKey(std::size_t key) const;
  struct BlockDeleter {
    void operator()(std::byte* block) const;
  };
  // One filled row (layout in row_store.cpp); null: the row was never written.
  using RowBlock = std::unique_ptr<std::byte, BlockDeleter>;
  friend struct PackedRow;

  bool ValidCell(int row, int column) const;
  const std::byte* BlockOf(int row) const;
  // The row's block, created empty when the row was never written.
  RowBlock& WritableRow(int row);
  std::uint16_t InternFont(const CellFont& font);
  void Notify(Change change, int row = -1) const;

  int column_count_;
  int default_row_height_ = kInitialRowHeight;
  std::deque<RowBlock> rows_;
  std::deque<std::int32_t> heights_;
  std::vector<int> column_widths_;
  std::vector<CellFont> fonts_;  // [0] is the grid font
  std::size_t filled_rows_ = 0;
  // Hidden flags by row, and how many are set (the deque is empty while none
  // ever was since the last reset).
  std::deque<std::uint8_t> hidden_;
  std::size_t hidden_count_ = 0;
  // Fenwick tree of shown rows by key (1-based); valid only when
  // shown_tree_valid_.
  mutable std::vector<std::int32_t> shown_tree_;
  mutable bool shown_tree_valid_ = false;
  std::shared_ptr<const TextMeasure> measure_;
  ChangeHandler on_change_;
};

}  // namespace tv
