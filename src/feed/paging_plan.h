#pragma once
// The arithmetic of paging: which rows a scroll report rebuilds and where the
// next page fetch starts, how a first page sizes the grid, and which row a
// page's k-th record goes to.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tv {

// A first page never sizes the grid beyond this many rows: the total comes
// from the server and must not decide how much memory the client takes.
inline constexpr std::int32_t kMaxFeedRows = 1'000'000;
std::int32_t CappedTotal(std::int32_t total);

// Rows looked at after the scroll mark when the mark's own row is filled.
inline constexpr int kRowsCheckedAfterMark = 20;

struct MissingRowsPlan {
  std::vector<int> rebuild;        // filled rows to rebuild, in order
  std::optional<int> fetch_start;  // StartNum of the page to fetch
  bool redraw = false;
};

// `filled(row)` tells whether column 8 of the row holds text; rows outside
// the grid count as empty.
MissingRowsPlan PlanMissingRows(int scroll_mark, const std::function<bool(int)>& filled);

// The first delivered record of a page fetched at `start_num` goes one row
// above it (the mark is one more than the first row in view).
inline int PageRowFor(std::int32_t start_num, int record_index) {
  return static_cast<int>(start_num) - 1 + record_index;
}

}  // namespace tv
