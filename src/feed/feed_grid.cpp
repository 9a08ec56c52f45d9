#include "feed/feed_grid.h"

namespace tv {

int FittedRowHeight(int text_width, int text_height, int column_width) {
  if (column_width < 1) column_width = 1;
  int lines = text_width / column_width + (text_width % column_width != 0 ? 1 : 0);
  const bool one_line = lines <= 1;
  if (one_line) lines = 1;
  const int height = lines * text_height - (lines - 1) * text_height / 4 + (one_line ? 1 : 0) + 1;
  return height < 300 ? height : 60;
}

void MemoryFeedGrid::ResizeRows(int rows) {
  rows_.resize(rows < 0 ? 0 : static_cast<std::size_t>(rows));
}

void MemoryFeedGrid::BlankAllCells() {
  for (auto& row : rows_) {
    if (!row.cells) continue;
    for (auto& cell : row.cells->text) cell.clear();
  }
}

void MemoryFeedGrid::InsertTopRow() { rows_.insert(rows_.begin(), Row{}); }

MemoryFeedGrid::Cells& MemoryFeedGrid::Materialise(int row) {
  auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  if (!cells) cells = std::make_unique<Cells>();
  return *cells;
}

std::string_view MemoryFeedGrid::CellText(int row, int column) const {
  if (!Inside(row, column)) return {};
  const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  if (!cells) return {};
  return cells->text[static_cast<std::size_t>(column)];
}

void MemoryFeedGrid::PutCellText(int row, int column, std::string text) {
  if (!Inside(row, column)) return;
  Materialise(row).text[static_cast<std::size_t>(column)] = std::move(text);
}

void MemoryFeedGrid::PutRow(int row, FeedRowCells cells, const RowStyle& style) {
  if (!Inside(row, 0)) return;
  Cells& c = Materialise(row);
  c.text = std::move(cells.text);
  c.type_icon = cells.type_icon;
  c.messenger_icon = cells.messenger_icon;
  c.detail_icon = kImageDetail;
  c.style = style;
  FitRowToText(row);
}

void MemoryFeedGrid::FitRowToText(int row) {
  if (!Inside(row, 0)) return;
  const int text_width = static_cast<int>(CellText(row, kColRowText).size()) * 6;
  rows_[static_cast<std::size_t>(row)].height = FittedRowHeight(text_width, 12, row_text_width_);
}

const MemoryFeedGrid::Cells& MemoryFeedGrid::CellsAt(int row) const {
  static const Cells kEmpty;
  const auto& cells = rows_.at(static_cast<std::size_t>(row)).cells;
  return cells ? *cells : kEmpty;
}

}  // namespace tv
