#include "feed/paging_plan.h"

#include <algorithm>

namespace tv {

std::int32_t CappedTotal(std::int32_t total) { return std::clamp(total, 0, kMaxFeedRows); }

MissingRowsPlan PlanMissingRows(int scroll_mark, const std::function<bool(int)>& filled) {
  MissingRowsPlan plan;
  if (!filled(scroll_mark)) {
    plan.fetch_start = scroll_mark;
    return plan;
  }
  plan.redraw = true;
  for (int k = 1; k <= kRowsCheckedAfterMark; ++k) {
    const int row = scroll_mark + k;
    if (!filled(row)) {
      plan.fetch_start = row;
      break;
    }
    plan.rebuild.push_back(row);
  }
  return plan;
}

}  // namespace tv
