#include "search/search_text.h"

#include "core/gbk.h"
#include "feed/feed_requests.h"
#include "feed/row_text.h"
#include "net/query_encoding.h"

namespace tv {

std::string SearchFirstPagePath(std::string_view code, std::string_view keywords) {
  return "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&Code=" + EncodeQueryValue(code) +
         "&KeyWords=" + EncodeQueryValue(keywords);
}

std::string SearchNewRecordsPath(std::string_view max_id, std::string_view code,
                                 std::string_view keywords) {
  return "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=" + EncodeQueryValue(max_id) +
         "&Code=" + EncodeQueryValue(code) + "&KeyWords=" + EncodeQueryValue(keywords);
}

std::string SearchPagePath(std::string_view code, std::int32_t start_num, std::int32_t total_num,
                           std::string_view keywords) {
  return "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&Code=" + EncodeQueryValue(code) +
         "&StartNum=" + std::to_string(start_num) + "&TotalNum=" + std::to_string(total_num) +
         "&KeyWords=" + EncodeQueryValue(keywords);
}

std::string SearchTitle(std::string_view code, std::string_view keywords) {
  const std::string_view shown = code.empty() ? std::string_view(TV_TEXT("全国")) : code;
  return TV_TEXT("在[") + std::string(shown) + TV_TEXT("]中搜索即时信息[") + std::string(keywords) +
         "]";
}

std::string MatchCountText(std::int64_t count) {
  return TV_TEXT("共 ") + std::to_string(count) + TV_TEXT(" 条匹配信息");
}

PublishedMessage SentMessage(const OwnMessage& message) {
  const InfoRecord& r = message.record;
  return PublishedMessage{r.City, message.departure_city, r.Type, message.content, r.Tel, r.Flag};
}

bool PublishedMessageMatches(std::string_view search_code, std::string_view search_keywords,
                             const PublishedMessage& message) {
  const bool everywhere = search_code.empty() || IsWholeCountryRegion(search_code);
  const bool in_region =
      everywhere || (!message.code.empty() && ContainsWholeChars(search_code, message.code)) ||
      (!message.start_city.empty() && ContainsWholeChars(search_code, message.start_city));
  if (!in_region) return false;
  // Keywords name the message itself, as the service matches them; the
  // contact line (company, and the city in its name) is not searched.
  bool any_keyword = false;
  for (std::string_view word : SplitKeywords(search_keywords)) {
    if (word.empty()) continue;
    any_keyword = true;
    if (ContainsWholeChars(message.content, word)) return true;
  }
  return !any_keyword;
}

}  // namespace tv
