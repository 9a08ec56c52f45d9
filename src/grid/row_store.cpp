#include "grid/row_store.h"

#include <algorithm>
#include <new>

#include "grid/marked_text.h"

namespace tv {
namespace {

const std::string& EmptyText() {
  static const std::string kEmpty;
  return kEmpty;
}

}  // namespace

RowStore::RowStore(int column_count, std::shared_ptr<const TextMeasure> measure)
    : column_count_(std::max(column_count, 0)),
      column_widths_(static_cast<std::size_t>(column_count_), 0),
      fonts_(1),
      measure_(std::move(measure)) {}

RowStore::~RowStore() = default;

void RowStore::Notify(Change change) const {
  if (on_change_) on_change_(change);
}

void RowStore::SetColumnCount(int column_count) {
  column_count = std::max(column_count, 0);
  if (column_count == column_count_) return;
  const int keep = std::min(column_count, column_count_);
  for (RowCells& cells : rows_) {
    if (!cells) continue;
    RowCells resized = column_count > 0 ? std::make_unique<GridCell[]>(column_count) : nullptr;
    for (int c = 0; c < keep; ++c) resized[c] = std::move(cells[c]);
    if (!resized) --filled_rows_;
    cells = std::move(resized);
  }
  column_count_ = column_count;
  column_widths_.resize(static_cast<std::size_t>(column_count_), 0);
  Notify(Change::kColumns);
}

bool RowStore::ResizeRows(int n) {
  n = std::max(n, 0);
  const auto count = static_cast<std::size_t>(n);
  if (count < rows_.size()) {
    for (std::size_t r = count; r < rows_.size(); ++r) {
      if (rows_[r]) --filled_rows_;
    }
    rows_.resize(count);
    heights_.resize(count);
  } else if (count > rows_.size()) {
    const std::size_t old = rows_.size();
    try {
      rows_.resize(count);
      heights_.resize(count, default_row_height_);
    } catch (const std::bad_alloc&) {
      // Out of memory ends the operation; the owner goes on with the old rows.
      rows_.resize(old);
      heights_.resize(old);
      return false;
    }
  } else {
    return true;
  }
  Notify(Change::kRows);
  return true;
}

void RowStore::RemoveAllRows() {
  if (rows_.empty()) return;
  std::deque<RowCells>().swap(rows_);
  std::deque<std::int32_t>().swap(heights_);
  filled_rows_ = 0;
  Notify(Change::kRows);
}

int RowStore::InsertRowAt(std::string_view text, int index) {
  if (index != -1 && (index < 0 || index >= RowCount())) return -1;
  const int at = index == -1 ? RowCount() : index;
  RowCells cells;
  try {
    if (!text.empty() && column_count_ > 0) {
      cells = std::make_unique<GridCell[]>(column_count_);
      cells[0].text.assign(text);
    }
    if (at == 0) {
      rows_.push_front(std::move(cells));
      heights_.push_front(default_row_height_);
    } else if (at == RowCount()) {
      rows_.push_back(std::move(cells));
      heights_.push_back(default_row_height_);
    } else {
      rows_.insert(rows_.begin() + at, std::move(cells));
      heights_.insert(heights_.begin() + at, default_row_height_);
    }
  } catch (const std::bad_alloc&) {
    // Keep the two deques the same length whatever step failed.
    if (rows_.size() != heights_.size()) {
      if (at == 0) {
        rows_.pop_front();
      } else {
        rows_.erase(rows_.begin() + at);
      }
    }
    return -1;
  }
  if (rows_[static_cast<std::size_t>(at)]) ++filled_rows_;
  Notify(Change::kRows);
  return at;
}

void RowStore::BlankAllCells() {
  bool changed = false;
  for (RowCells& cells : rows_) {
    if (!cells) continue;
    for (int c = 0; c < column_count_; ++c) {
      if (!cells[c].text.empty()) {
        std::string().swap(cells[c].text);
        changed = true;
      }
    }
  }
  if (changed) Notify(Change::kCells);
}

bool RowStore::ValidCell(int row, int column) const {
  return row >= 0 && row < RowCount() && column >= 0 && column < column_count_;
}

const GridCell* RowStore::FindCell(int row, int column) const {
  if (!ValidCell(row, column)) return nullptr;
  const RowCells& cells = rows_[static_cast<std::size_t>(row)];
  return cells ? &cells[column] : nullptr;
}

GridCell* RowStore::WritableCell(int row, int column) {
  if (!ValidCell(row, column)) return nullptr;
  RowCells& cells = rows_[static_cast<std::size_t>(row)];
  if (!cells) {
    cells = std::make_unique<GridCell[]>(column_count_);
    ++filled_rows_;
  }
  return &cells[column];
}

const std::string& RowStore::GetCellText(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell ? cell->text : EmptyText();
}

void RowStore::PutCellText(int row, int column, std::string_view text) {
  if (!ValidCell(row, column)) return;
  // Writing empty text into a row that was never written keeps it unwritten.
  if (text.empty() && !FindCell(row, column)) return;
  WritableCell(row, column)->text.assign(text);
  Notify(Change::kCells);
}

int RowStore::CellImage(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell ? cell->image : kImageNone;
}

void RowStore::PutCellImage(int row, int column, int image) {
  if (!ValidCell(row, column)) return;
  if (image < 0) image = kImageNone;
  if (image == kImageNone && !FindCell(row, column)) return;
  WritableCell(row, column)->image = static_cast<std::int16_t>(std::min(image, 0x7FFF));
  Notify(Change::kCells);
}

std::uint16_t RowStore::InternFont(const CellFont& font) {
  // Cell fonts are kept apart from the grid font (entry 0), so a cell keeps
  // its own font even when the grid font later becomes the same face.
  for (std::size_t i = 1; i < fonts_.size(); ++i) {
    if (fonts_[i] == font) return static_cast<std::uint16_t>(i);
  }
  // A runaway number of distinct fonts falls back to the grid font rather
  // than growing the table without end.
  if (fonts_.size() >= 0xFFFF) return 0;
  fonts_.push_back(font);
  return static_cast<std::uint16_t>(fonts_.size() - 1);
}

const CellFont* RowStore::CellFontOf(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell && cell->font_id != 0 ? &fonts_[cell->font_id] : nullptr;
}

void RowStore::PutCellFont(int row, int column, const CellFont& font) {
  if (!ValidCell(row, column)) return;
  WritableCell(row, column)->font_id = InternFont(font);
  Notify(Change::kCells);
}

const CellFont& RowStore::FontById(std::uint16_t id) const {
  return id < fonts_.size() ? fonts_[id] : fonts_.front();
}

void RowStore::SetGridFont(const CellFont& font) {
  fonts_.front() = font;
  Notify(Change::kLook);
}

Colour RowStore::CellColour(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell ? cell->text_colour : kDefaultColour;
}

void RowStore::PutCellColour(int row, int column, Colour colour) {
  if (!ValidCell(row, column)) return;
  WritableCell(row, column)->text_colour = colour;
  Notify(Change::kCells);
}

Colour RowStore::CellBackColour(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell ? cell->back_colour : kDefaultColour;
}

void RowStore::PutCellBackColour(int row, int column, Colour colour) {
  if (!ValidCell(row, column)) return;
  WritableCell(row, column)->back_colour = colour;
  Notify(Change::kCells);
}

std::uint8_t RowStore::CellFormatOf(int row, int column) const {
  const GridCell* cell = FindCell(row, column);
  return cell ? cell->format : std::uint8_t{kFormatNone};
}

void RowStore::PutCellFormat(int row, int column, std::uint8_t format) {
  if (!ValidCell(row, column)) return;
  WritableCell(row, column)->format = format;
  Notify(Change::kCells);
}

int RowStore::RowHeight(int row) const {
  if (row < 0 || row >= RowCount()) return 0;
  return heights_[static_cast<std::size_t>(row)];
}

void RowStore::PutRowHeight(int row, int height) {
  if (row < 0 || row >= RowCount()) return;
  height = std::max(height, 0);
  std::int32_t& slot = heights_[static_cast<std::size_t>(row)];
  if (slot == height) return;
  slot = height;
  Notify(Change::kHeights);
}

void RowStore::SetDefaultRowHeight(int height) {
  default_row_height_ = std::max(height, 1);
  Notify(Change::kLook);
}

int RowStore::ColumnWidth(int column) const {
  if (column < 0 || column >= column_count_) return 0;
  return column_widths_[static_cast<std::size_t>(column)];
}

void RowStore::PutColumnWidth(int column, int width) {
  if (column < 0 || column >= column_count_) return;
  width = std::max(width, 0);
  int& slot = column_widths_[static_cast<std::size_t>(column)];
  if (slot == width) return;
  slot = width;
  Notify(Change::kColumns);
}

int RowStore::TotalColumnWidth() const {
  long long total = 0;
  for (int w : column_widths_) total += w;
  return static_cast<int>(std::min<long long>(total, 0x3FFFFFFF));
}

namespace {

// The row store's measure in one font, as the marked-text layout wants it.
class FontMetricsOf final : public MarkedTextMetrics {
 public:
  FontMetricsOf(const TextMeasure& measure, const CellFont& font)
      : measure_(measure), font_(font), one_(measure.Measure(font, "1")) {}
  TextExtent MeasureOne() const override { return one_; }
  int Advance(std::string_view gbk_char) const override {
    return measure_.CharAdvance(font_, gbk_char);
  }

 private:
  const TextMeasure& measure_;
  const CellFont& font_;
  TextExtent one_;
};

}  // namespace

void RowStore::FitRowToText(int row, int column, int width) {
  if (!ValidCell(row, column)) return;
  GridCell* cell = WritableCell(row, column);
  cell->format |= kFormatWordWrap | kFormatVCentre;
  // The lines are counted by the walk that draws them, so that a row is
  // never taller or shorter than its text: measuring the whole text on one
  // line counted the markers as characters and a face's own Latin widths
  // where the drawing used others.
  long long lines = 1;
  TextExtent one{0, 0};
  if (measure_) {
    const FontMetricsOf metrics(*measure_, FontById(cell->font_id));
    one = metrics.MeasureOne();
    lines = MarkedTextLines(metrics, std::max(width - 2 * kCellMargin, 1), cell->text);
  }
  long long height = one.height + (lines - 1) * MarkedLineStep(one) + 2;
  if (height >= 300) height = 60;
  PutRowHeight(row, static_cast<int>(height));
  Notify(Change::kCells);
}

void RowStore::SetTextMeasure(std::shared_ptr<const TextMeasure> measure) {
  measure_ = std::move(measure);
}

}  // namespace tv
