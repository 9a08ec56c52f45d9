#pragma once
// The results panel's texts and rules that need no window: its request
// paths, its title and count, the keyword highlight of a row text and the
// test that decides whether the member's own new message belongs to the
// search. GBK throughout.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/own_message.h"

namespace tv {

// "GetTopDatas", "GetNewDatas" and "GetCurDatas" of "GetSearchInfo.asp" for a
// search; `code` and `keywords` are encoded here.
std::string SearchFirstPagePath(std::string_view code, std::string_view keywords);
std::string SearchNewRecordsPath(std::string_view max_id, std::string_view code,
                                 std::string_view keywords);
std::string SearchPagePath(std::string_view code, std::int32_t start_num, std::int32_t total_num,
                           std::string_view keywords);

// "在[code]中搜索即时信息[keywords]", an empty code shown as "全国".
std::string SearchTitle(std::string_view code, std::string_view keywords);
// "共 n 条匹配信息".
std::string MatchCountText(std::int64_t count);

// The member's own message as the publishing code sent it.
struct PublishedMessage {
  std::string code;        // "Msg_Code": the member's city
  std::string start_city;  // "Msg_StartCity"
  std::string type;        // "Msg_Type"
  std::string content;     // "Msg_Content"
  std::string tel;         // "Msg_Tel"
  std::string flag;        // "Msg_Flag": the member's number
};

// What was sent, as the lists are handed the member's own message.
PublishedMessage SentMessage(const OwnMessage& message);

// Whether the member's own new message belongs to the search: the search
// code names its city or its departure city (an empty code and the
// whole-country words name every city), and when there are keywords, its
// content names one of them.
bool PublishedMessageMatches(std::string_view search_code, std::string_view search_keywords,
                             const PublishedMessage& message);

}  // namespace tv
