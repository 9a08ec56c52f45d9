#include "subscribe/subscription.h"

#include <algorithm>

#include "core/gbk.h"
#include "feed/feed_requests.h"
#include "regions/region_directory.h"

namespace tv {
namespace {

constexpr std::size_t kMaxNameChars = 30;

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

// One text of the member as GBK: nothing when GBK cannot hold a character
// (the conversion writes '?' for it, so the text does not come back).
std::optional<std::string> ToGbk(std::string_view utf8) {
  std::string gbk = Utf8ToGbk(utf8);
  if (GbkToUtf8(gbk) != utf8) return std::nullopt;
  return gbk;
}

std::string Quoted(std::string_view gbk) { return TV_TEXT("“") + std::string(gbk) + TV_TEXT("”"); }

// Converts a list; false with `fault` set on the first bad entry.
bool ConvertList(const std::vector<std::string>& utf8, bool regions, std::vector<std::string>& out,
                 std::string& fault) {
  for (const std::string& item : utf8) {
    const std::string text = Trimmed(item);
    if (text.empty()) continue;
    const auto gbk = ToGbk(text);
    if (!gbk) {
      fault = Quoted(Utf8ToGbk(text)) + TV_TEXT(" 中有无法发送的字符（GBK 不能表示）");
      return false;
    }
    if (gbk->find(',') != std::string::npos) {
      fault = Quoted(*gbk) + TV_TEXT(" 不能含有逗号");
      return false;
    }
    if (regions) {
      // "全国信息" as a departure: the whole country, which no departure means.
      if (IsWholeCountryRegion(*gbk)) continue;
      if (!IsDirectoryName(*gbk)) {
        fault = TV_TEXT("地区 ") + Quoted(*gbk) + TV_TEXT(" 不在地区列表中");
        return false;
      }
    }
    if (std::find(out.begin(), out.end(), *gbk) == out.end()) out.push_back(*gbk);
  }
  return true;
}

std::string JoinedOrCountry(const std::vector<std::string>& regions) {
  if (regions.empty()) return TV_TEXT("全国");
  std::string out;
  for (const std::string& region : regions) {
    if (!out.empty()) out += TV_TEXT("、");
    out += region;
  }
  return out;
}

}  // namespace

std::string KindWord(SubscriptionKind kind) {
  switch (kind) {
    case SubscriptionKind::kCargo:
      return TV_TEXT("货源");
    case SubscriptionKind::kTruck:
      return TV_TEXT("车源");
    case SubscriptionKind::kAll:
      break;
  }
  return TV_TEXT("全部");
}

std::optional<SubscriptionKind> KindOfWord(std::string_view gbk) {
  if (gbk == TV_TEXT("货源") || gbk == "cargo") return SubscriptionKind::kCargo;
  if (gbk == TV_TEXT("车源") || gbk == "truck") return SubscriptionKind::kTruck;
  if (gbk == TV_TEXT("全部") || gbk == "all") return SubscriptionKind::kAll;
  return std::nullopt;
}

std::string ProposedName(const Subscription& subscription) {
  return JoinedOrCountry(subscription.departures) + TV_TEXT("→") +
         JoinedOrCountry(subscription.destinations) + " " + KindWord(subscription.kind);
}

SubscriptionCheck CheckSubscription(const SubscriptionInput& input, int others) {
  SubscriptionCheck check;
  if (others >= kMaxSubscriptions) {
    check.fault = TV_TEXT("最多只能订阅 10 条路线，请先删除不再需要的订阅");
    return check;
  }
  Subscription s;
  if (!ConvertList(input.departures, true, s.departures, check.fault) ||
      !ConvertList(input.destinations, true, s.destinations, check.fault) ||
      !ConvertList(input.must_words, false, s.must_words, check.fault) ||
      !ConvertList(input.excluded_words, false, s.excluded_words, check.fault)) {
    return check;
  }
  if (s.departures.empty() && s.destinations.empty()) {
    check.fault = TV_TEXT("请选择出发地或目的地");
    return check;
  }
  for (const std::string& word : s.must_words) {
    if (std::find(s.excluded_words.begin(), s.excluded_words.end(), word) !=
        s.excluded_words.end()) {
      check.fault = Quoted(word) + TV_TEXT(" 不能既是必含词又是排除词");
      return check;
    }
  }
  s.kind = input.kind;
  s.alerts = input.alerts;
  const std::string name = Trimmed(input.name);
  if (name.empty()) {
    s.name = ProposedName(s);
  } else {
    const auto gbk = ToGbk(name);
    if (!gbk) {
      check.fault = TV_TEXT("订阅名称中有无法发送的字符（GBK 不能表示）");
      return check;
    }
    if (CharCount(*gbk) > kMaxNameChars) {
      check.fault = TV_TEXT("订阅名称不能超过 30 个字");
      return check;
    }
    s.name = *gbk;
  }
  check.subscription = std::move(s);
  return check;
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& word : words) {
    if (!out.empty()) out += ',';
    out += word;
  }
  return out;
}

std::vector<std::string> SplitWords(std::string_view joined) {
  std::vector<std::string> out;
  while (!joined.empty()) {
    const std::size_t comma = joined.find(',');
    const std::string_view word = joined.substr(0, comma);
    if (!word.empty()) out.emplace_back(word);
    if (comma == std::string_view::npos) break;
    joined.remove_prefix(comma + 1);
  }
  return out;
}

}  // namespace tv
