#include "notify/match_notice.h"

#include "core/gbk.h"
#include "grid/marked_text.h"

namespace tv {

std::optional<MatchNotice> DecideMatchNotice(const MatchNoticeFacts& facts) {
  if (!facts.switched_on || !facts.search_active || facts.window_in_front || facts.inserted <= 0) {
    return std::nullopt;
  }
  return MatchNotice{std::to_string(facts.inserted) + TV_TEXT(" 条新匹配信息"),
                     StripTextMarkers(facts.top_row_text)};
}

}  // namespace tv
