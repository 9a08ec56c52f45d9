#pragma once
// What a list keeps out of the member's way without renumbering its rows:
// the older copies of a message (folded into the newest, which says how often
// it came), the messages of blocked members, and the rows a filter does not
// let through. Rows keep their places, so paging goes on in the server's
// numbering whatever is hidden; switching folding or a filter off shows the
// rows again without asking the server.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "feed/feed_grid.h"
#include "feed/fold_index.h"
#include "feed/row_filter.h"
#include "feed/spilled_texts.h"

namespace tv {

class ListNoise {
 public:
  // Whether a member number is blocked.
  using BlockedTest = std::function<bool(std::string_view member_number)>;

  explicit ListNoise(FeedGrid& grid);

  // --- the list's shape (the record store calls these) ---------------------
  // The grid was sized anew or emptied: every row is unknown again.
  void Reset();
  // A new empty row went on top.
  void TopRowAdded();
  // The row is about to give its texts back: what the rules read of it is
  // kept aside. False when that failed (the row must keep its texts).
  bool RowEmptying(int row);
  // The `count` bottom rows leave the list (the grid shrinks by them).
  // Returns the rows whose repeat count fell (copies went with them).
  std::vector<int> DropBottomRows(int count);
  // A row was written with a record: its group, its traits, whether it is
  // hidden. Returns the rows whose repeat count changed (their row text
  // says it), the written row among them when it stands for copies.
  std::vector<int> RowWritten(int row);

  // --- switches --------------------------------------------------------------
  bool Folding() const { return folding_; }
  // Returns the rows whose repeat mark comes or goes with the switch.
  std::vector<int> SetFolding(bool on);
  const RowFilter& Filter() const { return filter_; }
  void SetFilter(const RowFilter& filter);
  // The blocked members (shared by every list). BlockedChanged after a
  // member was blocked or unblocked.
  void SetBlockedTest(BlockedTest blocked) { blocked_ = std::move(blocked); }
  void BlockedChanged();

  // --- what the list shows ---------------------------------------------------
  bool Blocked(int row) const;
  // The copies a shown row stands for (1 when it is a message of its own or
  // folding is off).
  int CopiesOf(int row) const;
  // The rows of every copy of the row's message, newest first.
  std::vector<int> CopyRows(int row) const;
  // Copies folded away (0 while folding is off).
  int FoldedCount() const;
  // Rows that hold a record, and those of them shown.
  int LoadedCount() const { return static_cast<int>(fold_.GroupedCount()); }
  int ShownLoadedCount() const;
  // Memory kept for folding (the index of copies).
  std::size_t FoldMemoryBytes() const { return fold_.MemoryBytes(); }

 private:
  // kWordsPending: the row was hidden for another reason when the filter
  // came, so its words were not looked for yet (most rows of a busy list are
  // folded copies); they are once the row could show again (Settled).
  enum Reason : std::uint8_t {
    kFolded = 1,
    kBlockedMember = 2,
    kFilteredOut = 4,
    kWordsPending = 8,
  };
  std::uint32_t KeyOf(int row) const;
  int RowOf(std::uint32_t key) const;
  bool HiddenBy(std::uint8_t reasons) const;
  // The row's reasons with pending words looked for if nothing else hides it.
  std::uint8_t Settled(std::uint32_t key, int row);
  void SetReason(std::uint32_t key, Reason reason, bool on);
  // The hidden flag of every row from the reasons (one pass).
  void ApplyAll();
  // Keys line up with the grid's rows again when something else resized it.
  void Sync();
  bool PassesFilter(std::uint32_t key, int row) const;
  bool PassesWith(const RowFilterTest& test, std::uint32_t key, int row) const;
  // The member number, city and content of a row: its cells, or what it
  // left behind when it gave them back.
  struct RuleTexts {
    std::string_view member;
    std::string_view city;
    std::string_view content;
    std::optional<SpilledTexts::Texts> spilled;  // owns the views when set
  };
  // (Filled in place: the views may point into `spilled`.)
  void TextsOf(std::uint32_t key, int row, RuleTexts& texts) const;

  FeedGrid& grid_;
  FoldIndex fold_;
  std::vector<std::uint8_t> reasons_;  // by key
  std::vector<RowTraits> traits_;      // by key
  // What the rules read of the rows that gave their texts back.
  SpilledTexts spilled_;
  bool folding_ = true;
  RowFilter filter_;
  std::optional<RowFilterTest> filter_test_;
  BlockedTest blocked_;
};

// The count under a list: `plain` ("共 N 条信息") with "，合并 M 条重复" after
// it while copies are folded away; while a filter is on, "显示 X / 共 N 条"
// (X: rows loaded and shown, N: `total`). GBK.
std::string ListCountText(std::string_view plain, const ListNoise& noise, std::int64_t total);

}  // namespace tv
