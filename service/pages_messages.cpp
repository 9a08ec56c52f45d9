// The message pages: the three list pages with their three actions, the
// deletion and closure logs, the totals, and publishing.
#include <string>

#include "cities.h"
#include "core/gbk.h"
#include "service_pages.h"
#include "text_match.h"

namespace tv {
namespace {

enum ListPage { kInfoPage, kSearchPage, kByIdPage };

// Longest texts kept from a publication (the client's own fields are smaller).
constexpr std::size_t kContentBytes = 400;
constexpr std::size_t kTelBytes = 200;
constexpr std::size_t kShortBytes = 100;
// A client far behind gets its new records in slices of this many.
constexpr int kNewRecordsLimit = 100;
constexpr int kLogLimit = 1000;
// No list is that long; a start beyond it is answered with an empty page.
constexpr std::int64_t kMaxStart = 1'000'000'000;

bool IsNationalWord(std::string_view name) {
  return name == TV_TEXT("全国信息") || name == TV_TEXT("全国货源") ||
         name == TV_TEXT("全国车源") || name == TV_TEXT("全国");
}

// Region names of a "Code": a province stands for its cities; a national word
// (or nothing at all) means every city, returned as an empty list.
std::vector<std::string> ExpandRegions(std::string_view code) {
  std::vector<std::string> out;
  for (auto& name : SplitList(code)) {
    if (IsNationalWord(name)) return {};
    for (auto& city : CitiesOfProvince(name)) out.push_back(std::move(city));
    out.push_back(std::move(name));
  }
  return out;
}

// "inType": absent or 8 lists both kinds; any other number lists that type.
bool ReadType(const Query& q, MessageFilter* f) {
  const std::string* t = q.Find("inType");
  if (!t || t->empty()) return true;
  auto v = ParseNumber(*t);
  if (!v || *v < -1000 || *v > 1000) return false;
  if (*v != 8) f->type = static_cast<int>(*v);
  return true;
}

std::optional<MessageFilter> FilterOf(ListPage page, const Query& q) {
  MessageFilter f;
  switch (page) {
    case kInfoPage: {
      const std::string* code = q.Find("Code");
      if (!code) return std::nullopt;
      f.cities = ExpandRegions(*code);
      break;
    }
    case kSearchPage: {
      const std::string* code = q.Find("Code");
      const std::string* words = q.Find("KeyWords");
      if (code) {
        // The search panel: in the regions as the main list has them,
        // naming a keyword in the message itself. The contact line (with
        // the publisher's company and its city) is no part of what was
        // searched for.
        f.cities = ExpandRegions(*code);
        if (words) f.words = SplitList(*words);
      } else if (words) {
        // The arriving view: messages whose content names the regions.
        f.words = ExpandRegions(*words);
      }
      break;
    }
    case kByIdPage: {
      auto flag = ParseNumber(q.Get("Msg_Flag"));
      if (!flag) return std::nullopt;
      f.flag = *flag;
      break;
    }
  }
  if (page != kByIdPage && !ReadType(q, &f)) return std::nullopt;
  return f;
}

void AppendRecord(std::string& out, const MessageRow& r) {
  out.append(std::to_string(r.id)).append("||").append(r.city);
  out.append("||").append(std::to_string(r.type));
  for (const std::string* field : {&r.content, &r.tel, &r.qq, &r.company}) {
    out.append("||").append(*field);
  }
  out.append("||").append(std::to_string(r.flag));
  out.append("||").append(std::to_string(r.deal));
  out.append("||").append(r.time);
  out.append("@@");
}

}  // namespace

Answer ServicePages::GetInfo(const Query& q, std::string_view) {
  if (q.Get("action") == "GetInfoID") {
    auto flag = ParseNumber(q.Get("Msg_Flag"));
    if (!flag) return BadRequest();
    return Encoded(std::to_string(store_.NewestIdOf(*flag).value_or(0)));
  }
  return MessageList(kInfoPage, q);
}

Answer ServicePages::GetSearchInfo(const Query& q, std::string_view) {
  return MessageList(kSearchPage, q);
}

Answer ServicePages::GetInfoById(const Query& q, std::string_view) {
  return MessageList(kByIdPage, q);
}

Answer ServicePages::MessageList(int page, const Query& q) {
  const std::string action = q.Get("action");
  auto filter = FilterOf(static_cast<ListPage>(page), q);
  if (!filter) return BadRequest();

  if (action == "GetTopDatas") {
    const std::int64_t total = store_.CountMessages(*filter);
    std::string text = "@@" + std::to_string(total) + "@@";
    for (const auto& row : store_.PageMessages(*filter, 0, kPageSize)) AppendRecord(text, row);
    return Encoded(text);
  }
  if (action == "GetCurDatas") {
    // StartNum S continues the list at row S - 1: the client writes the first
    // record there.
    auto start = ParseNumber(q.Get("StartNum"));
    if (!start) return BadRequest();
    std::string text = "@@";
    if (*start >= 1 && *start <= kMaxStart) {
      for (const auto& row : store_.PageMessages(*filter, *start - 1, kPageSize)) {
        AppendRecord(text, row);
      }
    }
    return Encoded(text);
  }
  if (action == "GetNewDatas" && page != kByIdPage) {
    const std::string* maxid = q.Find("maxid");
    if (!maxid) return BadRequest();
    // An empty maxid: the client holds no record of the view, all are new.
    std::int64_t after = 0;
    if (!maxid->empty()) {
      auto v = ParseNumber(*maxid);
      if (!v) return BadRequest();
      after = *v;
    }
    std::string text = "@@";
    if (after < store_.newest_message_id()) {
      for (const auto& row : store_.NewerMessages(*filter, after, kNewRecordsLimit)) {
        AppendRecord(text, row);
      }
    }
    return Encoded(text);
  }
  return BadRequest();
}

Answer ServicePages::LogList(LogKind kind, const Query& q, std::string_view list_action) {
  const std::string action = q.Get("action");
  if (action == "GetMaxID") return Encoded(std::to_string(store_.MaxLogId(kind)));
  if (action != list_action) return BadRequest();
  auto after = ParseNumber(q.Get("maxid"));
  if (!after) return BadRequest();
  std::string text = "@@";
  for (const auto& pair : store_.LogsAfter(kind, *after, kLogLimit)) {
    text += std::to_string(pair.log_id) + "||" + std::to_string(pair.info_id) + "@@";
  }
  return Encoded(text);
}

Answer ServicePages::GetDelInfo(const Query& q, std::string_view) {
  return LogList(LogKind::kDeleted, q, "GetNewDelInfoID");
}

Answer ServicePages::GetSuccessInfo(const Query& q, std::string_view) {
  return LogList(LogKind::kClosed, q, "GetNewSuccessInfoID");
}

Answer ServicePages::GetTotals(const Query& q, std::string_view) {
  if (q.Get("action") != "getnum") return BadRequest();
  const Totals t = store_.CountTotals();
  return Encoded("@@@@@" + std::to_string(t.all) + "@@@@@" + std::to_string(t.cargo) + "@@@@@" +
                 std::to_string(t.trucks) + "@@@@@");
}

Answer ServicePages::GetNewString(const Query& q, std::string_view) {
  const std::string* old = q.Find("oldString");
  if (q.Get("action") != "GetNew" || !old) return BadRequest();
  return Encoded(StoredText(*old, kContentBytes));
}

Answer ServicePages::SetInfo(const Query& q, std::string_view) {
  const std::string sign = q.Get("AddSign");
  if (q.Get("action") != "Client_AddInfo" || (sign != "NewInfo" && sign != "LoopInfo")) {
    return BadRequest();
  }
  for (const char* key : {"Msg_Code", "Msg_Type", "Msg_Content", "Msg_Tel", "Msg_Flag"}) {
    if (!q.Has(key)) return BadRequest();
  }
  auto type = ParseNumber(q.Get("Msg_Type"));
  auto flag = ParseNumber(q.Get("Msg_Flag"));
  if (!type || *type < 0 || *type > 1000 || !flag) return BadRequest();
  if (q.Has("InfoNum") && !ParseNumber(q.Get("InfoNum"))) return BadRequest();

  NewMessage m;
  m.type = static_cast<int>(*type);
  m.flag = *flag;
  m.content = StoredText(q.Get("Msg_Content"), kContentBytes);
  if (m.content.empty()) return BadRequest();

  // Only the member publishes as the member, and only with its own company
  // and contact data: nothing else is stored under its number.
  if (!ActsFor(q, *flag)) return KeyRefused("AddError");
  auto member = store_.FindMember(*flag);
  if (!member) return Encoded("AddNoRight");
  if (!IsOwnPublication(*member, q)) return Encoded("AddError");
  m.city = StoredText(q.Get("Msg_Code"), kShortBytes);
  m.start_city = StoredText(q.Get("Msg_StartCity"), kShortBytes);
  m.tel = StoredText(q.Get("Msg_Tel"), kTelBytes);
  m.qq = StoredText(q.Get("Msg_NetPhone"), kShortBytes);
  m.company = StoredText(q.Get("Msg_Company"), kShortBytes);
  // A record needs a city and a telephone, or the client drops it: fill them
  // from the member's profile when the request left them blank.
  if (m.city.empty() || m.tel.empty()) {
    if (m.city.empty()) m.city = member->city;
    if (m.tel.empty()) m.tel = member->phone;
    if (m.city.empty() || m.tel.empty()) return BadRequest();
  }
  if (m.start_city.empty()) m.start_city = m.city;

  PublishPolicy policy;
  policy.daily_quota = QuotaOf(*member);
  policy.loop = sign == "LoopInfo";
  switch (store_.Publish(m, policy, nullptr)) {
    case PublishResult::kAdded:
      return Encoded("AddOK");
    case PublishResult::kDuplicate:
      return Encoded("AddError");
    case PublishResult::kQuotaFull:
      return Encoded("AddFull");
    case PublishResult::kNotStored:
      return NotStored();
    case PublishResult::kNoRight:
      break;
  }
  return Encoded("AddNoRight");
}

}  // namespace tv
