#include "grid/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "grid/marked_text.h"

namespace tv {

// A filled row of a store with C columns is one block:
//
//   uint32_t       attribute count A
//   uint32_t       text end[C]      end offset of cell c's text; cell c runs
//                                   from end[c - 1] (0 for c = 0) to end[c]
//   CellAttributes attributes[A]    the cells that have any, by column
//   char           text[end[C - 1]] the cells' texts back to back
//
// A write that changes a text's length or adds a cell's attributes builds the
// row's block anew at its exact size; the other rows are not touched.
struct PackedRow {
  struct CellAttributes {
    std::uint32_t column;
    Colour text_colour = kDefaultColour;
    Colour back_colour = kDefaultColour;
    std::int16_t image = kImageNone;
    std::uint16_t font_id = 0;
    std::uint8_t format = kFormatNone;
  };
  using RowBlock = RowStore::RowBlock;

  static std::uint32_t AttributeCount(const std::byte* b) {
    std::uint32_t n;
    std::memcpy(&n, b, sizeof n);
    return n;
  }
  static std::uint32_t* Ends(std::byte* b) { return reinterpret_cast<std::uint32_t*>(b + 4); }
  static const std::uint32_t* Ends(const std::byte* b) {
    return reinterpret_cast<const std::uint32_t*>(b + 4);
  }
  static std::size_t AttributesOffset(int columns) {
    return 4 + 4 * static_cast<std::size_t>(columns);
  }
  static CellAttributes* Attributes(std::byte* b, int columns) {
    return reinterpret_cast<CellAttributes*>(b + AttributesOffset(columns));
  }
  static const CellAttributes* Attributes(const std::byte* b, int columns) {
    return reinterpret_cast<const CellAttributes*>(b + AttributesOffset(columns));
  }
  static std::size_t TextOffset(int columns, std::uint32_t attributes) {
    return AttributesOffset(columns) + sizeof(CellAttributes) * attributes;
  }
  static std::uint32_t TextSize(const std::byte* b, int columns) {
    return columns > 0 ? Ends(b)[columns - 1] : 0;
  }
  static char* Text(std::byte* b, int columns) {
    return reinterpret_cast<char*>(b + TextOffset(columns, AttributeCount(b)));
  }
  static const char* Text(const std::byte* b, int columns) {
    return reinterpret_cast<const char*>(b + TextOffset(columns, AttributeCount(b)));
  }

  static RowBlock Allocate(int columns, std::uint32_t attributes, std::size_t text_size) {
    const std::size_t size = TextOffset(columns, attributes) + text_size;
    RowBlock block(static_cast<std::byte*>(::operator new(size)));
    std::memcpy(block.get(), &attributes, sizeof attributes);
    return block;
  }

  static RowBlock Empty(int columns) {
    RowBlock block = Allocate(columns, 0, 0);
    std::fill_n(Ends(block.get()), columns, 0u);
    return block;
  }

  static std::string_view CellText(const std::byte* b, int columns, int column) {
    const std::uint32_t* ends = Ends(b);
    const std::uint32_t begin = column == 0 ? 0 : ends[column - 1];
    return {Text(b, columns) + begin, ends[column] - begin};
  }

  static const CellAttributes* Find(const std::byte* b, int columns, int column) {
    const CellAttributes* a = Attributes(b, columns);
    for (std::uint32_t i = 0, n = AttributeCount(b); i < n; ++i) {
      if (a[i].column == static_cast<std::uint32_t>(column)) return &a[i];
    }
    return nullptr;
  }

  // Replaces the text of one cell. False when the row would outgrow its
  // offsets (4 GiB of text); the row is then unchanged.
  static bool SetText(RowBlock& block, int columns, int column, std::string_view text) {
    std::byte* b = block.get();
    const std::uint32_t* ends = Ends(b);
    const std::uint32_t begin = column == 0 ? 0 : ends[column - 1];
    const std::uint32_t end = ends[column];
    const std::uint32_t total = TextSize(b, columns);
    if (text.size() == end - begin) {
      // The text may be a view into this very row.
      std::memmove(Text(b, columns) + begin, text.data(), text.size());
      return true;
    }
    const std::size_t new_total = std::size_t{total} - (end - begin) + text.size();
    if (new_total > std::numeric_limits<std::uint32_t>::max()) return false;
    const std::uint32_t attributes = AttributeCount(b);
    RowBlock fresh = Allocate(columns, attributes, new_total);
    std::byte* f = fresh.get();
    std::memcpy(f + 4, b + 4, TextOffset(columns, attributes) - 4);
    const auto delta = static_cast<std::uint32_t>(new_total - total);  // modulo 2^32
    std::uint32_t* fresh_ends = Ends(f);
    for (int c = column; c < columns; ++c) fresh_ends[c] += delta;
    const char* old_text = Text(b, columns);
    char* new_text = Text(f, columns);
    std::memcpy(new_text, old_text, begin);
    std::memcpy(new_text + begin, text.data(), text.size());
    std::memcpy(new_text + begin + text.size(), old_text + end, total - end);
    block = std::move(fresh);
    return true;
  }

  // The attributes of one cell, added (with the defaults) when it had none.
  static CellAttributes& Attributes(RowBlock& block, int columns, int column) {
    if (const CellAttributes* found = Find(block.get(), columns, column)) {
      return *const_cast<CellAttributes*>(found);
    }
    const std::byte* b = block.get();
    const std::uint32_t attributes = AttributeCount(b);
    const std::uint32_t total = TextSize(b, columns);
    RowBlock fresh = Allocate(columns, attributes + 1, total);
    std::byte* f = fresh.get();
    std::memcpy(f + 4, b + 4, AttributesOffset(columns) - 4);
    const CellAttributes* old_attributes = Attributes(b, columns);
    CellAttributes* new_attributes = Attributes(f, columns);
    std::uint32_t at = 0;
    while (at < attributes && old_attributes[at].column < static_cast<std::uint32_t>(column)) ++at;
    std::copy_n(old_attributes, at, new_attributes);
    new_attributes[at] = CellAttributes{static_cast<std::uint32_t>(column)};
    std::copy_n(old_attributes + at, attributes - at, new_attributes + at + 1);
    std::memcpy(Text(f, columns), Text(b, columns), total);
    block = std::move(fresh);
    return Attributes(block.get(), columns)[at];
  }

  // The row laid out for another column count: cells beyond it go with their
  // texts and attributes. Null when no column is left.
  static RowBlock Resized(const std::byte* b, int columns, int new_columns) {
    if (new_columns == 0) return nullptr;
    const int keep = std::min(columns, new_columns);
    const std::uint32_t kept_text = keep > 0 ? Ends(b)[keep - 1] : 0;
    const CellAttributes* old_attributes = Attributes(b, columns);
    std::uint32_t attributes = 0;
    for (std::uint32_t i = 0, n = AttributeCount(b); i < n; ++i) {
      if (old_attributes[i].column < static_cast<std::uint32_t>(keep)) ++attributes;
    }
    RowBlock fresh = Allocate(new_columns, attributes, kept_text);
    std::byte* f = fresh.get();
    std::uint32_t* ends = Ends(f);
    std::copy_n(Ends(b), keep, ends);
    std::fill(ends + keep, ends + new_columns, kept_text);
    std::copy_n(old_attributes, attributes, Attributes(f, new_columns));
    std::memcpy(Text(f, new_columns), Text(b, columns), kept_text);
    return fresh;
  }

  // The same row with every text empty.
  static RowBlock Blanked(const std::byte* b, int columns) {
    const std::uint32_t attributes = AttributeCount(b);
    RowBlock fresh = Allocate(columns, attributes, 0);
    std::byte* f = fresh.get();
    std::fill_n(Ends(f), columns, 0u);
    std::copy_n(Attributes(b, columns), attributes, Attributes(f, columns));
    return fresh;
  }
};

void RowStore::BlockDeleter::operator()(std::byte* block) const { ::operator delete(block); }

RowStore::RowStore(int column_count, std::shared_ptr<const TextMeasure> measure)
    : column_count_(std::max(column_count, 0)),
      column_widths_(static_cast<std::size_t>(column_count_), 0),
      fonts_(1),
      measure_(std::move(measure)) {}

RowStore::~RowStore() = default;

void RowStore::Notify(Change change, int row) const {
  if (on_change_) on_change_(change, row);
}

void RowStore::SetColumnCount(int column_count) {
  column_count = std::max(column_count, 0);
  if (column_count == column_count_) return;
  for (RowBlock& block : rows_) {
    if (!block) continue;
    block = PackedRow::Resized(block.get(), column_count_, column_count);
    if (!block) --filled_rows_;
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
      if (!hidden_.empty() && hidden_[r]) --hidden_count_;
    }
    rows_.resize(count);
    heights_.resize(count);
    if (!hidden_.empty()) hidden_.resize(count);
  } else if (count > rows_.size()) {
    const std::size_t old = rows_.size();
    try {
      rows_.resize(count);
      heights_.resize(count, default_row_height_);
      if (!hidden_.empty()) hidden_.resize(count, 0);
    } catch (const std::bad_alloc&) {
      // Out of memory ends the operation; the owner goes on with the old rows.
      rows_.resize(old);
      heights_.resize(old);
      if (!hidden_.empty()) hidden_.resize(old);
      return false;
    }
  } else {
    return true;
  }
  // Rows came or went at the bottom: every key moved.
  ForgetShownTree();
  Notify(Change::kRows);
  return true;
}

void RowStore::RemoveAllRows() {
  if (rows_.empty()) return;
  std::deque<RowBlock>().swap(rows_);
  std::deque<std::int32_t>().swap(heights_);
  std::deque<std::uint8_t>().swap(hidden_);
  hidden_count_ = 0;
  ForgetShownTree();
  filled_rows_ = 0;
  Notify(Change::kRows);
}

int RowStore::InsertRowAt(std::string_view text, int index) {
  if (index != -1 && (index < 0 || index >= RowCount())) return -1;
  const int at = index == -1 ? RowCount() : index;
  RowBlock block;
  try {
    if (!text.empty() && column_count_ > 0) {
      block = PackedRow::Empty(column_count_);
      if (!PackedRow::SetText(block, column_count_, 0, text)) block.reset();
    }
    const bool with_flags = !hidden_.empty();
    if (at == 0) {
      rows_.push_front(std::move(block));
      heights_.push_front(default_row_height_);
    } else if (at == RowCount()) {
      rows_.push_back(std::move(block));
      heights_.push_back(default_row_height_);
    } else {
      rows_.insert(rows_.begin() + at, std::move(block));
      heights_.insert(heights_.begin() + at, default_row_height_);
    }
    if (with_flags) hidden_.insert(hidden_.begin() + at, 0);
  } catch (const std::bad_alloc&) {
    // Keep the deques the same length whatever step failed.
    const bool flags_short = !hidden_.empty() && hidden_.size() + 1 == rows_.size();
    if (rows_.size() != heights_.size() || flags_short) rows_.erase(rows_.begin() + at);
    if (flags_short && heights_.size() != rows_.size()) heights_.erase(heights_.begin() + at);
    return -1;
  }
  if (shown_tree_valid_) {
    if (at == 0) {
      // The new top row has the next key: the tree grows by one at its end.
      const std::size_t i = rows_.size();  // 1-based position of the new key
      const std::size_t low = i & (~i + 1);
      shown_tree_.push_back(0);
      shown_tree_[i] = 1 + ShownBelowKey(i - 1) - ShownBelowKey(i - low);
    } else {
      ForgetShownTree();
    }
  }
  if (rows_[static_cast<std::size_t>(at)]) ++filled_rows_;
  Notify(Change::kRows, at);
  return at;
}

void RowStore::BlankAllCells() {
  bool changed = false;
  for (RowBlock& block : rows_) {
    if (!block || PackedRow::TextSize(block.get(), column_count_) == 0) continue;
    block = PackedRow::Blanked(block.get(), column_count_);
    changed = true;
  }
  if (changed) Notify(Change::kCells);
}

void RowStore::EmptyRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  RowBlock& block = rows_[static_cast<std::size_t>(row)];
  if (!block) return;
  block.reset();
  --filled_rows_;
  Notify(Change::kCells, row);
}

bool RowStore::ValidCell(int row, int column) const {
  return row >= 0 && row < RowCount() && column >= 0 && column < column_count_;
}

const std::byte* RowStore::BlockOf(int row) const {
  return rows_[static_cast<std::size_t>(row)].get();
}

std::optional<GridCell> RowStore::FindCell(int row, int column) const {
  if (!ValidCell(row, column)) return std::nullopt;
  const std::byte* block = BlockOf(row);
  if (block == nullptr) return std::nullopt;
  GridCell cell;
  cell.text = PackedRow::CellText(block, column_count_, column);
  if (const PackedRow::CellAttributes* a = PackedRow::Find(block, column_count_, column)) {
    cell.text_colour = a->text_colour;
    cell.back_colour = a->back_colour;
    cell.image = a->image;
    cell.font_id = a->font_id;
    cell.format = a->format;
  }
  return cell;
}

RowStore::RowBlock& RowStore::WritableRow(int row) {
  RowBlock& block = rows_[static_cast<std::size_t>(row)];
  if (!block) {
    block = PackedRow::Empty(column_count_);
    ++filled_rows_;
  }
  return block;
}

std::string_view RowStore::GetCellText(int row, int column) const {
  if (!ValidCell(row, column)) return {};
  const std::byte* block = BlockOf(row);
  return block ? PackedRow::CellText(block, column_count_, column) : std::string_view();
}

void RowStore::PutCellText(int row, int column, std::string_view text) {
  if (!ValidCell(row, column)) return;
  // Writing empty text into a row that was never written keeps it unwritten.
  if (text.empty() && BlockOf(row) == nullptr) return;
  if (PackedRow::SetText(WritableRow(row), column_count_, column, text))
    Notify(Change::kCells, row);
}

int RowStore::CellImage(int row, int column) const {
  const auto cell = FindCell(row, column);
  return cell ? cell->image : kImageNone;
}

void RowStore::PutCellImage(int row, int column, int image) {
  if (!ValidCell(row, column)) return;
  if (image < 0) image = kImageNone;
  if (image == kImageNone && BlockOf(row) == nullptr) return;
  PackedRow::Attributes(WritableRow(row), column_count_, column).image =
      static_cast<std::int16_t>(std::min(image, 0x7FFF));
  Notify(Change::kCells, row);
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
  const auto cell = FindCell(row, column);
  return cell && cell->font_id != 0 ? &fonts_[cell->font_id] : nullptr;
}

void RowStore::PutCellFont(int row, int column, const CellFont& font) {
  if (!ValidCell(row, column)) return;
  const std::uint16_t id = InternFont(font);
  PackedRow::Attributes(WritableRow(row), column_count_, column).font_id = id;
  Notify(Change::kCells, row);
}

const CellFont& RowStore::FontById(std::uint16_t id) const {
  return id < fonts_.size() ? fonts_[id] : fonts_.front();
}

void RowStore::SetGridFont(const CellFont& font) {
  fonts_.front() = font;
  Notify(Change::kLook);
}

Colour RowStore::CellColour(int row, int column) const {
  const auto cell = FindCell(row, column);
  return cell ? cell->text_colour : kDefaultColour;
}

void RowStore::PutCellColour(int row, int column, Colour colour) {
  if (!ValidCell(row, column)) return;
  PackedRow::Attributes(WritableRow(row), column_count_, column).text_colour = colour;
  Notify(Change::kCells, row);
}

Colour RowStore::CellBackColour(int row, int column) const {
  const auto cell = FindCell(row, column);
  return cell ? cell->back_colour : kDefaultColour;
}

void RowStore::PutCellBackColour(int row, int column, Colour colour) {
  if (!ValidCell(row, column)) return;
  PackedRow::Attributes(WritableRow(row), column_count_, column).back_colour = colour;
  Notify(Change::kCells, row);
}

std::uint8_t RowStore::CellFormatOf(int row, int column) const {
  const auto cell = FindCell(row, column);
  return cell ? cell->format : std::uint8_t{kFormatNone};
}

void RowStore::PutCellFormat(int row, int column, std::uint8_t format) {
  if (!ValidCell(row, column)) return;
  PackedRow::Attributes(WritableRow(row), column_count_, column).format = format;
  Notify(Change::kCells, row);
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
  Notify(Change::kHeights, row);
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
  PackedRow::CellAttributes& attributes =
      PackedRow::Attributes(WritableRow(row), column_count_, column);
  attributes.format |= kFormatWordWrap | kFormatVCentre;
  const std::uint16_t font_id = attributes.font_id;
  // The lines are counted by the walk that draws them, so that a row is
  // never taller or shorter than its text: measuring the whole text on one
  // line counted the markers as characters and a face's own Latin widths
  // where the drawing used others.
  long long lines = 1;
  TextExtent one{0, 0};
  if (measure_) {
    const FontMetricsOf metrics(*measure_, FontById(font_id));
    one = metrics.MeasureOne();
    lines =
        MarkedTextLines(metrics, std::max(width - 2 * kCellMargin, 1), GetCellText(row, column));
  }
  long long height = one.height + (lines - 1) * MarkedLineStep(one) + 2;
  if (height >= 300) height = 60;
  PutRowHeight(row, static_cast<int>(height));
  Notify(Change::kCells, row);
}

// --- shown and hidden rows ---------------------------------------------------

bool RowStore::RowHidden(int row) const {
  return hidden_count_ != 0 && row >= 0 && row < RowCount() &&
         hidden_[static_cast<std::size_t>(row)] != 0;
}

void RowStore::ForgetShownTree() {
  shown_tree_valid_ = false;
  std::vector<std::int32_t>().swap(shown_tree_);
}

void RowStore::EnsureShownTree() const {
  if (shown_tree_valid_) return;
  const std::size_t n = rows_.size();
  shown_tree_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    // Key i - 1 is row n - i.
    shown_tree_[i] += hidden_[n - i] ? 0 : 1;
    const std::size_t up = i + (i & (~i + 1));
    if (up <= n) shown_tree_[up] += shown_tree_[i];
  }
  shown_tree_valid_ = true;
}

int RowStore::ShownBelowKey(std::size_t key) const {
  std::int64_t sum = 0;
  for (std::size_t i = key; i > 0; i -= i & (~i + 1)) sum += shown_tree_[i];
  return static_cast<int>(sum);
}

void RowStore::SetRowHidden(int row, bool hidden) {
  if (row < 0 || row >= RowCount()) return;
  if (!hidden && hidden_count_ == 0) return;
  if (hidden_.empty()) hidden_.assign(rows_.size(), 0);
  std::uint8_t& flag = hidden_[static_cast<std::size_t>(row)];
  if ((flag != 0) == hidden) return;
  flag = hidden ? 1 : 0;
  hidden_count_ = hidden ? hidden_count_ + 1 : hidden_count_ - 1;
  if (shown_tree_valid_) {
    const std::size_t n = rows_.size();
    for (std::size_t i = KeyOf(row) + 1; i <= n; i += i & (~i + 1))
      shown_tree_[i] += hidden ? -1 : 1;
  }
  Notify(Change::kShown, row);
}

void RowStore::SetHiddenRows(const std::function<bool(int row)>& hidden) {
  const std::size_t n = rows_.size();
  std::size_t count = 0;
  if (hidden_.size() != n) hidden_.assign(n, 0);
  bool changed = false;
  for (std::size_t r = 0; r < n; ++r) {
    const std::uint8_t flag = hidden(static_cast<int>(r)) ? 1 : 0;
    changed = changed || flag != hidden_[r];
    hidden_[r] = flag;
    count += flag;
  }
  hidden_count_ = count;
  if (!changed) return;
  ForgetShownTree();
  Notify(Change::kShown);
}

int RowStore::ShownIndexOf(int row) const {
  row = std::clamp(row, 0, RowCount());
  if (hidden_count_ == 0) return row;
  if (row == RowCount()) return ShownRowCount();
  EnsureShownTree();
  return ShownRowCount() - ShownBelowKey(KeyOf(row) + 1);
}

int RowStore::ShownRowAt(int index) const {
  if (index < 0 || index >= ShownRowCount()) return -1;
  if (hidden_count_ == 0) return index;
  EnsureShownTree();
  // The smallest key count whose shown rows reach `target`.
  std::int64_t target = ShownRowCount() - index;
  const std::size_t n = rows_.size();
  std::size_t pos = 0;
  std::size_t step = 1;
  while (step * 2 <= n) step *= 2;
  for (; step > 0; step /= 2) {
    if (pos + step <= n && shown_tree_[pos + step] < target) {
      pos += step;
      target -= shown_tree_[pos];
    }
  }
  // Key `pos` is the row.
  return static_cast<int>(n - 1 - pos);
}

int RowStore::NextShownRow(int row) const {
  if (row < -1) row = -1;
  if (hidden_count_ == 0) return row + 1 < RowCount() ? row + 1 : -1;
  if (row == -1) return ShownRowAt(0);
  if (row >= RowCount()) return -1;
  return ShownRowAt(ShownIndexOf(row) + (RowHidden(row) ? 0 : 1));
}

int RowStore::PrevShownRow(int row) const {
  if (row > RowCount()) row = RowCount();
  if (hidden_count_ == 0) return row - 1 >= 0 ? std::min(row - 1, RowCount() - 1) : -1;
  if (row <= 0) return -1;
  return ShownRowAt(ShownIndexOf(row) - 1);
}

void RowStore::SetTextMeasure(std::shared_ptr<const TextMeasure> measure) {
  measure_ = std::move(measure);
}

}  // namespace tv
