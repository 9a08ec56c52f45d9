#pragma once
// The rows of a feed grid as the terminal prints them: one message a line
// (tab-separated, or one JSON object), contact data masked as the list masks
// them, and the list's colours on a terminal.
#include <string>
#include <string_view>

#include "feed/feed_store.h"

namespace tv::cli {

struct FeedPrintStyle {
  bool json = false;
  bool colour = false;
  // The list the row belongs to (GBK), printed first when given: a
  // subscription's name.
  std::string list_name;
};

// The message in `row` of the store's grid; false for a row without one.
bool PrintFeedRow(FeedStore& store, int row, const FeedPrintStyle& style);
// "<total>" or {"total":"<total>"}.
void PrintFeedTotal(int total, const FeedPrintStyle& style);
// The identifier marked deleted (or closed) by an identifier poll.
void PrintFeedMark(std::string_view info_id, IdListKind kind, const FeedPrintStyle& style);

// The identifiers marks.Text() gained since it was `old_size` bytes long.
std::vector<std::string> MarksAddedSince(const IdMarks& marks, std::size_t old_size);

}  // namespace tv::cli
