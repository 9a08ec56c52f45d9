#include "feed/feed_store.h"

#include <algorithm>
#include <cstdlib>

#include "core/gbk.h"
#include "feed/paging_plan.h"
#include "feed/row_text.h"

namespace tv {

std::int64_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < 100'000'000'000'000LL) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

ViewQuery FeedStore::Query(const std::string& code, bool derive) const {
  ViewQuery q;
  q.direction = derive ? DeriveDirection(view_.direction, code) : view_.direction;
  q.view_type = view_.view_type;
  q.region_code = code;
  q.friend_id = view_.friend_id;
  return q;
}

bool FeedStore::PutRecord(const InfoRecord& record, PutMode mode, int row) {
  if (mode == PutMode::kFill && (row < 0 || row >= grid_.RowCount())) return false;
  FeedRowCells cells;
  auto& t = cells.text;
  t[kColTypeWord] = rules_.type_as_word ? TypeWord(record.Type) : record.Type;
  t[kColContent] =
      rules_.highlight_region ? HighlightRegion(record.Content, Code()) : record.Content;
  t[kColRowText] = BuildRowText(FieldsOf(record, t[kColContent]), record.Deal == "1", view_.masked,
                                Deleted(), rules_.keywords);
  if (mode == PutMode::kInsert) {
    // Without the new row, row 0 is somebody else's record: write nothing.
    if (!grid_.InsertTopRow()) return false;
    noise_.TopRowAdded();
    row = 0;
    ++total_count_;
    ++top_inserts_;
  }
  t[kColInfoId] = record.InfoID;
  t[kColCity] = record.City;
  t[kColTel] = record.Tel;
  t[kColFlag] = record.Flag;
  t[kColTime] = record.Time;
  t[kColQQ] = record.QQ;
  t[kColDeal] = record.Deal;
  t[kColCompany] = record.Company;
  const bool truck = record.Type == "1" || record.Type == TV_TEXT("车源");
  cells.type_icon = truck ? kFeedImageTruck : kFeedImageParcel;
  cells.messenger_icon = record.QQ.empty() ? kFeedImageMessengerGrey : kFeedImageMessenger;
  grid_.PutRow(row, std::move(cells), style_);
  NoteWritten(row);
  // A row standing for several copies says so.
  for (int recount : noise_.RowWritten(row)) RebuildRow(recount);
  return true;
}

namespace {

// Identifiers are decimal numbers of any length.
bool IdLess(std::string_view a, std::string_view b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

bool FeedStore::PutOwnRecord(const InfoRecord& record) {
  if (!own_on_top_) {
    poll_from_ = std::string(grid_.CellText(0, kColInfoId));
    own_id_.clear();
    own_on_top_ = true;
  }
  if (IdLess(own_id_, record.InfoID)) own_id_ = record.InfoID;
  const bool put = PutRecord(record, PutMode::kInsert, 0);
  Bound();
  return put;
}

bool FeedStore::ApplyStartPage(const CountedPage& page) {
  own_on_top_ = false;
  total_count_ = CappedTotal(page.total);
  grid_.ResizeRows(total_count_);
  noise_.Reset();
  if (total_count_ == 0) return false;
  int row = 0;
  for (const auto& record : page.records) PutRecord(record, PutMode::kFill, row++);
  Bound();
  grid_.Redraw();
  return true;
}

bool FeedStore::ApplyReloadPage(const CountedPage& page, bool has_items) {
  own_on_top_ = false;
  total_count_ = CappedTotal(page.total);
  // Every cell is empty before the page is written. Blanking a large grid
  // first keeps a shrink from freeing text cell by cell as rows go.
  const bool large = grid_.RowCount() > 100;
  if (total_count_ == 0) {
    if (large) grid_.BlankAllCells();
    grid_.RemoveAllRows();
  } else {
    if (total_count_ <= 100 && large) grid_.BlankAllCells();
    grid_.ResizeRows(total_count_);
    grid_.BlankAllCells();
  }
  noise_.Reset();
  if (!has_items) return false;
  if (total_count_ != 0) {
    int row = 0;
    for (const auto& record : page.records) PutRecord(record, PutMode::kFill, row++);
  }
  Bound();
  grid_.Redraw();
  return true;
}

int FeedStore::ApplyNewRecords(const std::vector<InfoRecord>& records) {
  int inserted = 0;
  for (const auto& record : records) {
    // The polls have now seen this far; once past the own message on top,
    // row 0 is again where they go on from.
    if (own_on_top_ && IdLess(poll_from_, record.InfoID)) poll_from_ = record.InfoID;
    const bool own = LeadingNumber(record.Flag) == member_.user_id;
    if (own && (rules_.skip_own_always || !member_.no_contact_rights)) continue;
    if (PutRecord(record, PutMode::kInsert, 0) && !noise_.Blocked(0)) ++inserted;
  }
  if (own_on_top_ && !IdLess(poll_from_, own_id_)) own_on_top_ = false;
  Bound();
  grid_.Redraw();
  return inserted;
}

bool FeedStore::ApplyPage(std::int32_t start_num, const std::vector<InfoRecord>& records,
                          std::uint64_t inserts_then, bool last_try) {
  // New messages that went on top while the page was under way pushed the
  // rows it continues down; written where they were, it would overwrite them.
  const int shift = static_cast<int>(std::min<std::uint64_t>(
      top_inserts_ - inserts_then, static_cast<std::uint64_t>(kMaxFeedRows)));
  int row = PageRowFor(start_num, shift);
  std::size_t first = 0;
  // A page begins on the row above the first empty one, which holds a
  // message already. Where the server's list moved meanwhile (messages
  // deleted above, a loop re-send withdrawing its old copy), the page does
  // not begin with that message: it goes on after it all the same, so that
  // no message is skipped nor shown twice.
  const std::string held(grid_.CellText(row, kColInfoId));
  if (!held.empty() && !records.empty() && records.front().InfoID != held) {
    while (first < records.size() && !IdLess(records[first].InfoID, held)) ++first;
    const bool gap = first == 0 || records[first - 1].InfoID != held;
    if (gap && !last_try) return false;
    ++row;
  }
  for (std::size_t i = first; i < records.size(); ++i) PutRecord(records[i], PutMode::kFill, row++);
  Bound();
  grid_.Redraw();
  return true;
}

void FeedStore::NoteWritten(int row) {
  written_.push_back(static_cast<std::int64_t>(top_inserts_) - row);
}

void FeedStore::Bound() {
  // The oldest rows leave at the bottom; every row's fold key moves when
  // they do, so a long list lets them go many at a time.
  const int rows = grid_.RowCount();
  const int batch = limits_.max_rows >= 65'536 ? limits_.max_rows / 64 : 0;
  if (limits_.max_rows > 0 && rows > limits_.max_rows + batch) {
    const int drop = rows - limits_.max_rows;
    for (int recount : noise_.DropBottomRows(drop)) RebuildRow(recount);
    total_count_ = std::max(total_count_ - drop, 0);
  }
  if (limits_.spare <= 0) return;
  const auto budget =
      static_cast<std::size_t>(limits_.keep_top + 2 * limits_.keep_around_view + limits_.spare);
  if (written_.size() <= budget) return;
  // Rows far from the view give their texts back; the paging fills them
  // again when the member scrolls to them.
  const int mark = grid_.ScrollMark();
  const int count = grid_.RowCount();
  const auto inserts = static_cast<std::int64_t>(top_inserts_);
  std::vector<std::int64_t> kept;
  kept.reserve(budget);
  for (const std::int64_t stamp : written_) {
    const std::int64_t at = inserts - stamp;
    if (at < 0 || at >= count) continue;
    const int row = static_cast<int>(at);
    if (grid_.CellText(row, kColRowText).empty()) continue;
    if (row < limits_.keep_top || std::abs(row - mark) <= limits_.keep_around_view) {
      kept.push_back(stamp);
    } else if (noise_.RowEmptying(row)) {
      grid_.EmptyRow(row);
    } else {
      kept.push_back(stamp);  // nowhere to keep what the rules read
    }
  }
  std::sort(kept.begin(), kept.end());
  kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
  written_ = std::move(kept);
}

int FeedStore::DeletedRowsAbove(int row) const {
  const IdMarks& deleted = Deleted();
  if (deleted.Empty()) return 0;
  int count = 0;
  for (int r = 0; r < row && r < grid_.RowCount(); ++r) {
    const std::string_view id = grid_.CellText(r, kColInfoId);
    if (!id.empty() && deleted.Contains(id)) ++count;
  }
  return count;
}

void FeedStore::ApplyIdList(IdListKind kind, const std::vector<IdPair>& pairs) {
  IdMarks& marks = kind == IdListKind::kDeleted ? deleted_ : closed_;
  if (!pairs.empty()) SetMaxId(kind, pairs.front().LogId);
  for (const auto& pair : pairs) marks.Add(pair.InfoId);
  RebuildRowsInView();
}

std::string FeedStore::RebuildRowText(int row) {
  const std::string id(grid_.CellText(row, kColInfoId));
  if (Closed().Contains(id)) grid_.PutCellText(row, kColDeal, "1");
  const RowTextFields fields{id, grid_.CellText(row, kColCity), grid_.CellText(row, kColContent),
                             grid_.CellText(row, kColTel), grid_.CellText(row, kColTime)};
  std::string text = BuildRowText(fields, grid_.CellText(row, kColDeal) == "1", view_.masked,
                                  Deleted(), rules_.keywords);
  if (const int copies = noise_.CopiesOf(row); copies > 1 && !Deleted().Contains(id)) {
    text.insert(0, RepeatMark(copies));
  }
  return text;
}

void FeedStore::SetFolding(bool on) {
  for (int row : noise_.SetFolding(on)) RebuildRow(row);
  grid_.Redraw();
}

void FeedStore::RebuildRow(int row) {
  if (row < 0 || row >= grid_.RowCount() || grid_.CellText(row, kColRowText).empty()) return;
  grid_.PutCellText(row, kColRowText, RebuildRowText(row));
  grid_.FitRowToText(row);
}

void FeedStore::RebuildRowsInView() {
  const int mark = grid_.ScrollMark();
  for (int row = mark; row < mark + 31; ++row) RebuildRow(row);
  grid_.Redraw();
}

void FeedStore::RebuildRowsOnScreen() {
  const int mark = grid_.ScrollMark();
  for (int row = mark - 1; row < mark + 29; ++row) RebuildRow(row);
  grid_.Redraw();
}

}  // namespace tv
