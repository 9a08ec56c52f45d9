#include "feed/feed_grid.h"

#include "feed/row_text.h"

namespace tv {

bool RowStoreGrid::InsertTopRow() {
  return store_.InsertRowAt("", store_.RowCount() > 0 ? 0 : -1) >= 0;
}

void RowStoreGrid::PutRow(int row, FeedRowCells cells, const RowStyle& style) {
  if (row < 0 || row >= store_.RowCount()) return;
  for (int column : {kColInfoId, kColCity, kColTypeWord, kColContent, kColTel, kColFlag, kColTime,
                     kColRowText, kColQQ, kColDeal, kColCompany}) {
    store_.PutCellText(row, column, cells.text[static_cast<std::size_t>(column)]);
  }
  store_.PutCellImage(row, kColTypeIcon, cells.type_icon);
  store_.PutCellImage(row, kColDetailIcon, kFeedImageDetail);
  store_.PutCellImage(row, kColMessengerIcon, cells.messenger_icon);
  // The row text's own font, then the height for it, then its colour.
  store_.PutCellFont(row, kColRowText, CellFont{style.face, style.height, 400, false, false, 134});
  FitRowToText(row);
  store_.PutCellColour(row, kColRowText, static_cast<Colour>(style.colour) & 0xFFFFFFu);
}

void RowStoreGrid::FitRowToText(int row) {
  store_.FitRowToText(row, kColRowText, store_.ColumnWidth(kColRowText));
}

void SetFeedColumns(RowStore& store, int row_text_width) {
  store.SetColumnCount(kMessageColumns);
  for (int column = 0; column < kMessageColumns; ++column) store.PutColumnWidth(column, 0);
  store.PutColumnWidth(kColTypeIcon, 30);
  store.PutColumnWidth(kColRowText, row_text_width);
  store.PutColumnWidth(kColDetailIcon, 30);
  store.PutColumnWidth(kColMessengerIcon, 30);
}

std::string PanelCellText(const RowStore& rows, int row, int column) {
  const std::string_view text = rows.GetCellText(row, column);
  if (column == kColTypeWord && (text == "0" || text == "1")) return TypeWord(text);
  if (column == kColTime) return ShortTime(text);
  return std::string(text);
}

}  // namespace tv
