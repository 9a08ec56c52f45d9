#pragma once
// The record store of the feed: the view that decides what is watched, the
// total, the deleted and closed marks, and every change the feed's answers
// make to the grid. Plain C++: the controllers fetch on workers and hand the
// parsed answers to these functions on the UI thread, one answer at a time.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"
#include "feed/feed_grid.h"
#include "feed/feed_requests.h"
#include "feed/id_marks.h"
#include "feed/list_noise.h"
#include "feed/paging_plan.h"
#include "feed/region_list.h"
#include "net/answers.h"

namespace tv {

struct FeedView {
  int view_type = kViewBoth;
  int direction = kDeparting;
  std::string friend_id;
  std::string friend_name;  // as the tree shows the friend whose messages these are
  RegionList regions;
  bool masked = false;
};

enum class PutMode { kFill, kInsert };

// Where two live lists of the same kind (the main feed, the search results)
// differ in the rows they write.
struct FeedRowRules {
  // Column 2: the type word ("货源", "车源", "信息"), or `Type` as received.
  bool type_as_word = true;
  // Column 3: the content with the watched region highlighted, or as received.
  bool highlight_region = true;
  // Highlighted in the whole row text, "," between them; none when empty.
  std::string keywords;
  // The member's own messages are skipped from polls whatever his rights.
  bool skip_own_always = false;
};

// Who is logged in, as far as the feed cares.
struct FeedMember {
  std::string city;
  std::int64_t user_id = 0;
  bool no_contact_rights = false;
};

// How much of a long-running list stays in memory. Rows far from the view
// give their texts back and are fetched again like any row scrolled to;
// their count, marks and folding stay. Rows beyond `max_rows` leave the
// list at the bottom.
struct RowLimits {
  // Rows on top that always keep their texts (the polls go on from row 0).
  int keep_top = 200;
  // Rows either side of the scroll mark that keep their texts.
  int keep_around_view = 2'000;
  // Rows with texts beyond the two above before any gives them back (0:
  // rows keep their texts).
  int spare = 2'000;
  int max_rows = kMaxFeedRows;
};

class FeedStore {
 public:
  explicit FeedStore(FeedGrid& grid) : grid_(grid), noise_(grid) {}

  FeedGrid& Grid() { return grid_; }
  FeedView& View() { return view_; }
  const FeedView& View() const { return view_; }
  FeedMember& Member() { return member_; }
  FeedRowRules& Rules() { return rules_; }
  const FeedRowRules& Rules() const { return rules_; }
  void SetRowStyle(RowStyle style) { style_ = std::move(style); }
  const RowStyle& Style() const { return style_; }

  std::string Code() const { return RegionCode(view_.regions); }
  // The view as a request sees it; `derive` applies the whole-country rule.
  ViewQuery Query(const std::string& code, bool derive) const;

  std::int32_t TotalCount() const { return total_count_; }
  // The identifier the new-records poll goes on from: column 0 of row 0, or,
  // while the member's own message sits on top ahead of the polls, the newest
  // identifier the polls had seen (others' messages published just before
  // the member's own are still to come).
  std::string NewestId() const {
    return own_on_top_ ? poll_from_ : std::string(grid_.CellText(0, kColInfoId));
  }
  // The member's own message, just published, on top of the list.
  bool PutOwnRecord(const InfoRecord& record);

  // The deleted and closed marks the rows are built with: this store's own,
  // or those of the list it reads them from (UseMarksOf).
  const IdMarks& Deleted() const { return *deleted_in_use_; }
  const IdMarks& Closed() const { return *closed_in_use_; }
  // A second list marks its rows by what `source` learnt (`source` outlives
  // this store).
  void UseMarksOf(const FeedStore& source) {
    deleted_in_use_ = &source.deleted_;
    closed_in_use_ = &source.closed_;
  }
  const std::string& MaxId(IdListKind kind) const {
    return kind == IdListKind::kDeleted ? deleted_max_id_ : closed_max_id_;
  }
  void SetMaxId(IdListKind kind, std::string value) {
    (kind == IdListKind::kDeleted ? deleted_max_id_ : closed_max_id_) = std::move(value);
  }

  // Writes one record; the insert mode puts a new row on top and counts it.
  // False when nothing was written (a row outside the grid, or no new row).
  bool PutRecord(const InfoRecord& record, PutMode mode, int row);

  // The login's first page: sizes the grid to the (capped) total and fills
  // from row 0. False when the total is 0 (nothing more starts).
  bool ApplyStartPage(const CountedPage& page);
  // A reload's first page. `has_items`: the answer held "@@" at all. True
  // when the grid was filled and polling may start again.
  bool ApplyReloadPage(const CountedPage& page, bool has_items);
  // A new-records answer; the member's own records are skipped. Returns the
  // number of rows inserted that are news (blocked members' are not).
  int ApplyNewRecords(const std::vector<InfoRecord>& records);
  // A page fetched at `start_num`: the first record one row above it, moved
  // down by the rows inserted on top since the fetch was asked for
  // (`inserts_then` is TopInserts() at that moment).
  // The page goes on after the message the row above it holds, wherever the
  // server's numbering put it. When it began past that message (messages
  // deleted above that the rows do not know of yet moved the numbering),
  // messages between may be missing: unless `last_try`, nothing is written
  // and false says to ask for the page before as well and apply both
  // together. True when the page was written.
  bool ApplyPage(std::int32_t start_num, const std::vector<InfoRecord>& records,
                 std::uint64_t inserts_then, bool last_try = true);
  // Rows above `row` whose messages were deleted: the server's list no
  // longer counts them, so a page asked for below them starts that many
  // places earlier in its numbering.
  int DeletedRowsAbove(int row) const;
  // Rows inserted on top so far (a page fetch places its rows by it).
  std::uint64_t TopInserts() const { return top_inserts_; }
  // An identifier-list answer: new maxid and marks.
  void ApplyIdList(IdListKind kind, const std::vector<IdPair>& pairs);

  // The row text rebuilt from the cells (marks a closed row's deal cell).
  std::string RebuildRowText(int row);
  // Rebuilds and refits one row when it holds a row text.
  void RebuildRow(int row);
  // The 31 rows from the scroll mark (identifier polls).
  void RebuildRowsInView();
  // The 30 rows from one above the scroll mark (masking, layout).
  void RebuildRowsOnScreen();

  const RowLimits& Limits() const { return limits_; }
  void SetLimits(const RowLimits& limits) { limits_ = limits; }
  // Rows that hold texts as far as this store knows (at least those).
  std::size_t RowsWithTexts() const { return written_.size(); }

  // Folded copies, blocked members and the filter (ListNoise). The switches
  // here also rebuild the row texts whose repeat mark changes.
  const ListNoise& Noise() const { return noise_; }
  void SetFolding(bool on);
  void SetFilter(const RowFilter& filter) { noise_.SetFilter(filter); }
  void SetBlockedTest(ListNoise::BlockedTest blocked) { noise_.SetBlockedTest(std::move(blocked)); }
  void BlockedChanged() { noise_.BlockedChanged(); }

 private:
  FeedGrid& grid_;
  FeedView view_;
  FeedMember member_;
  RowStyle style_;
  FeedRowRules rules_;
  std::int32_t total_count_ = 0;
  std::uint64_t top_inserts_ = 0;
  std::string deleted_max_id_;
  std::string closed_max_id_;
  IdMarks deleted_;
  IdMarks closed_;
  const IdMarks* deleted_in_use_ = &deleted_;
  const IdMarks* closed_in_use_ = &closed_;
  ListNoise noise_;
  // Keeps the list within its limits after rows were written.
  void Bound();
  void NoteWritten(int row);
  RowLimits limits_;
  // The rows written since the last trim, each as TopInserts() less its row
  // then (a mark that stays with the row as rows go on top).
  std::vector<std::int64_t> written_;
  // Set while an own message put on top is newer than what the polls saw.
  bool own_on_top_ = false;
  std::string poll_from_;
  std::string own_id_;
};

// The leading-digits value of a text (0 when it does not start with a digit).
std::int64_t LeadingNumber(std::string_view text);

}  // namespace tv
