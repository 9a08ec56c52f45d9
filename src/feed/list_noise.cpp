#include "feed/list_noise.h"

#include <algorithm>
#include <thread>

#include "core/gbk.h"
#include "feed/message_identity.h"

namespace tv {

ListNoise::ListNoise(FeedGrid& grid) : grid_(grid) {}

std::uint32_t ListNoise::KeyOf(int row) const {
  return static_cast<std::uint32_t>(grid_.RowCount() - 1 - row);
}

int ListNoise::RowOf(std::uint32_t key) const {
  return grid_.RowCount() - 1 - static_cast<int>(key);
}

bool ListNoise::HiddenBy(std::uint8_t reasons) const {
  return (reasons & ~kFolded) != 0 || (folding_ && (reasons & kFolded) != 0);
}

void ListNoise::Reset() {
  const auto rows = static_cast<std::size_t>(grid_.RowCount());
  fold_.Reset(rows);
  reasons_.assign(rows, 0);
  traits_.assign(rows, RowTraits{});
  spilled_.Reset(rows);
  if (grid_.HiddenRowCount() > 0) grid_.SetHiddenRows([](int) { return false; });
}

void ListNoise::Sync() {
  if (fold_.KeyCount() == static_cast<std::size_t>(grid_.RowCount())) return;
  // Rows that were not written through here lost their keys: begin again
  // from what the rows hold, oldest first.
  Reset();
  for (int row = grid_.RowCount() - 1; row >= 0; --row) {
    if (!grid_.CellText(row, kColRowText).empty()) RowWritten(row);
  }
}

void ListNoise::TopRowAdded() {
  if (fold_.KeyCount() + 1 != static_cast<std::size_t>(grid_.RowCount())) {
    Sync();
    return;
  }
  fold_.AddTopKey();
  // Grown by an eighth like the index: a list that runs for days must not
  // hold twice its rows' room.
  const auto grow = [](auto& by_key) {
    if (by_key.size() == by_key.capacity()) by_key.reserve(by_key.size() + by_key.size() / 8 + 64);
  };
  grow(reasons_);
  grow(traits_);
  reasons_.push_back(0);
  traits_.push_back(RowTraits{});
  spilled_.AddTopKey();
}

std::vector<int> ListNoise::DropBottomRows(int count) {
  std::vector<int> recount;
  const int rows = grid_.RowCount();
  count = std::clamp(count, 0, rows);
  if (count == 0) return recount;
  Sync();
  const std::vector<std::uint32_t> shrunk = fold_.DropOldest(static_cast<std::uint32_t>(count));
  const auto drop = [count](auto& by_key) { by_key.erase(by_key.begin(), by_key.begin() + count); };
  drop(reasons_);
  drop(traits_);
  spilled_.DropOldest(static_cast<std::size_t>(count));
  grid_.ResizeRows(rows - count);
  for (std::uint32_t key : shrunk) recount.push_back(RowOf(key));
  return recount;
}

bool ListNoise::RowEmptying(int row) {
  if (row < 0 || row >= grid_.RowCount()) return false;
  const std::uint32_t key = KeyOf(row);
  if (!fold_.Grouped(key)) return true;
  return spilled_.Put(key, MemberNumberOf(grid_.CellText(row, kColFlag)),
                      grid_.CellText(row, kColCity), grid_.CellText(row, kColContent));
}

void ListNoise::TextsOf(std::uint32_t key, int row, RuleTexts& texts) const {
  if (spilled_.Has(key) && grid_.CellText(row, kColRowText).empty()) {
    texts.spilled = spilled_.Get(key);
    if (texts.spilled) {
      texts.member = texts.spilled->member;
      texts.city = texts.spilled->city;
      texts.content = texts.spilled->content;
    }
    return;
  }
  texts.member = MemberNumberOf(grid_.CellText(row, kColFlag));
  texts.city = grid_.CellText(row, kColCity);
  texts.content = grid_.CellText(row, kColContent);
}

void ListNoise::SetReason(std::uint32_t key, Reason reason, bool on) {
  std::uint8_t& reasons = reasons_[key];
  reasons = on ? static_cast<std::uint8_t>(reasons | reason)
               : static_cast<std::uint8_t>(reasons & ~reason);
  const int row = RowOf(key);
  grid_.SetRowHidden(row, HiddenBy(Settled(key, row)));
}

std::uint8_t ListNoise::Settled(std::uint32_t key, int row) {
  std::uint8_t& reasons = reasons_[key];
  if ((reasons & kWordsPending) == 0 || HiddenBy(reasons & ~kWordsPending)) return reasons;
  reasons &= static_cast<std::uint8_t>(~kWordsPending);
  if (filter_test_ && !PassesWith(*filter_test_, key, row)) reasons |= kFilteredOut;
  return reasons;
}

bool ListNoise::PassesFilter(std::uint32_t key, int row) const {
  return !filter_test_ || PassesWith(*filter_test_, key, row);
}

bool ListNoise::PassesWith(const RowFilterTest& test, std::uint32_t key, int row) const {
  if (!test.NeedsText()) return test.PassesTraits(traits_[key]);
  RuleTexts texts;
  TextsOf(key, row, texts);
  return test.Passes(traits_[key], texts.city, texts.content);
}

std::vector<int> ListNoise::RowWritten(int row) {
  std::vector<int> recount;
  if (row < 0 || row >= grid_.RowCount()) return recount;
  Sync();
  const std::uint32_t key = KeyOf(row);
  const std::string_view flag = grid_.CellText(row, kColFlag);
  const std::string_view content = grid_.CellText(row, kColContent);
  // Written again (a page over a row it overlaps): out of its group first.
  if (fold_.Grouped(key)) {
    const bool was_newest = fold_.NewestOf(key) == key;
    const std::uint32_t newest = fold_.Remove(key);
    if (newest != FoldIndex::kNone) {
      if (was_newest) SetReason(newest, kFolded, false);
      recount.push_back(RowOf(newest));
    }
    SetReason(key, kFolded, false);
  }
  spilled_.Forget(key);  // the row holds its texts again
  const FoldIndex::Put put =
      fold_.Add(key, MessageFingerprint(flag, content), [&](std::uint32_t other) {
        RuleTexts texts;
        TextsOf(other, RowOf(other), texts);
        return SameMessage(flag, content, texts.member, texts.content);
      });
  traits_[key] = TraitsOf(grid_.CellText(row, kColTypeWord), content);
  std::uint8_t& reasons = reasons_[key];
  reasons = 0;
  if (blocked_ && blocked_(MemberNumberOf(flag))) reasons |= kBlockedMember;
  if (!PassesFilter(key, row)) reasons |= kFilteredOut;
  if (put.was_newest != FoldIndex::kNone) {
    if (put.newest == key) {
      SetReason(put.was_newest, kFolded, true);  // the older copy folds into this row
      recount.push_back(RowOf(put.was_newest));  // and no longer says how often it came
    } else {
      reasons |= kFolded;
    }
    recount.push_back(RowOf(put.newest));
  }
  grid_.SetRowHidden(row, HiddenBy(reasons));
  return recount;
}

std::vector<int> ListNoise::SetFolding(bool on) {
  std::vector<int> marked;
  if (on == folding_) return marked;
  folding_ = on;
  Sync();
  ApplyAll();
  fold_.ForEachRepeated([&](std::uint32_t newest) { marked.push_back(RowOf(newest)); });
  return marked;
}

void ListNoise::SetFilter(const RowFilter& filter) {
  Sync();
  filter_ = filter;
  if (filter.Empty()) {
    filter_test_.reset();
  } else {
    filter_test_.emplace(filter);
  }
  const int rows = grid_.RowCount();
  const auto mark = [this](const RowFilterTest* test, int begin, int end) {
    for (int row = begin; row < end; ++row) {
      const std::uint32_t key = KeyOf(row);
      if (!fold_.Grouped(key)) continue;
      std::uint8_t& reasons = reasons_[key];
      reasons &= static_cast<std::uint8_t>(~(kFilteredOut | kWordsPending));
      if (test == nullptr) continue;
      if (test->NeedsText() && HiddenBy(reasons)) {
        // Hidden anyway: the type and lengths now, the words once it could show.
        if (!test->PassesTraits(traits_[key])) {
          reasons |= kFilteredOut;
        } else {
          reasons |= kWordsPending;
        }
      } else if (!PassesWith(*test, key, row)) {
        reasons |= kFilteredOut;
      }
    }
  };
  // Words are looked for in the text of every row that could show: on a long
  // list the lower half goes to a second thread. Both only read the rows and write the reasons
  // of their own rows; this thread waits for the other before anything else.
  constexpr int kRowsForTwoThreads = 20'000;
  if (filter_test_ && filter_test_->NeedsText() && rows >= kRowsForTwoThreads) {
    const RowFilterTest lower(filter);  // its own scratch text
    std::jthread helper(mark, &lower, rows / 2, rows);
    mark(&*filter_test_, 0, rows / 2);
  } else {
    mark(filter_test_ ? &*filter_test_ : nullptr, 0, rows);
  }
  ApplyAll();
}

void ListNoise::BlockedChanged() {
  Sync();
  const int rows = grid_.RowCount();
  for (int row = 0; row < rows; ++row) {
    const std::uint32_t key = KeyOf(row);
    if (!fold_.Grouped(key)) continue;
    RuleTexts texts;
    TextsOf(key, row, texts);
    const bool blocked = blocked_ && blocked_(texts.member);
    std::uint8_t& reasons = reasons_[key];
    reasons = blocked ? static_cast<std::uint8_t>(reasons | kBlockedMember)
                      : static_cast<std::uint8_t>(reasons & ~kBlockedMember);
  }
  ApplyAll();
}

void ListNoise::ApplyAll() {
  const int rows = grid_.RowCount();
  grid_.SetHiddenRows([this, rows](int row) {
    const auto key = static_cast<std::size_t>(rows - 1 - row);
    return key < reasons_.size() && HiddenBy(Settled(static_cast<std::uint32_t>(key), row));
  });
}

bool ListNoise::Blocked(int row) const {
  if (row < 0 || row >= grid_.RowCount()) return false;
  const std::uint32_t key = KeyOf(row);
  return key < reasons_.size() && (reasons_[key] & kBlockedMember) != 0;
}

int ListNoise::CopiesOf(int row) const {
  if (!folding_ || row < 0 || row >= grid_.RowCount()) return 1;
  const std::uint32_t key = KeyOf(row);
  if (fold_.NewestOf(key) != key) return 1;
  return static_cast<int>(fold_.CopyCount(key));
}

std::vector<int> ListNoise::CopyRows(int row) const {
  std::vector<int> rows;
  if (row < 0 || row >= grid_.RowCount()) return rows;
  const std::uint32_t newest = fold_.NewestOf(KeyOf(row));
  if (newest == FoldIndex::kNone) return rows;
  for (std::uint32_t key : fold_.Copies(newest)) rows.push_back(RowOf(key));
  return rows;
}

int ListNoise::FoldedCount() const {
  return folding_ ? static_cast<int>(fold_.GroupedCount() - fold_.GroupCount()) : 0;
}

int ListNoise::ShownLoadedCount() const { return LoadedCount() - grid_.HiddenRowCount(); }

std::string ListCountText(std::string_view plain, const ListNoise& noise, std::int64_t total) {
  if (!noise.Filter().Empty()) {
    return TV_TEXT("显示 ") + std::to_string(noise.ShownLoadedCount()) + TV_TEXT(" / 共 ") +
           std::to_string(total) + TV_TEXT(" 条");
  }
  std::string text(plain);
  if (const int folded = noise.FoldedCount(); folded > 0) {
    text += TV_TEXT("，合并 ") + std::to_string(folded) + TV_TEXT(" 条重复");
  }
  return text;
}

}  // namespace tv
