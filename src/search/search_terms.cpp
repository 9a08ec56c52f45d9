#include "search/search_terms.h"

#include <algorithm>

#include "core/gbk.h"

namespace tv {
namespace {

std::string CutAt(std::string_view text, std::string_view word) {
  return std::string(text.substr(0, std::min(FindWholeChars(text, word), text.size())));
}

std::string JoinGiven(std::string_view first, std::string_view second) {
  if (first.empty()) return std::string(second);
  if (second.empty()) return std::string(first);
  std::string out(first);
  out += ',';
  out += second;
  return out;
}

}  // namespace

std::string SearchOrigin(std::string_view area_text, std::string_view member_city) {
  return std::string(area_text.find(',') == std::string_view::npos ? area_text : member_city);
}

std::string ProvinceKeyword(std::string_view province) { return CutAt(province, TV_TEXT("省")); }

std::string RegionKeyword(std::string_view region) { return CutAt(region, TV_TEXT("市")); }

bool KeywordList::Add(std::string_view text) {
  if (text.empty() || std::find(items_.begin(), items_.end(), text) != items_.end()) return false;
  items_.emplace_back(text);
  return true;
}

void KeywordList::AddAll(const std::vector<std::string>& texts) {
  for (const auto& text : texts) Add(text);
}

bool KeywordList::RemoveAt(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  items_.erase(items_.begin() + index);
  return true;
}

std::string KeywordList::Joined() const {
  std::string out;
  for (const auto& item : items_) {
    if (!out.empty()) out += ',';
    out += item;
  }
  return out;
}

std::string LocalSearchCaption(std::string_view area_text, std::string_view member_city) {
  return TV_TEXT("搜索即时信息：从［") + SearchOrigin(area_text, member_city) + TV_TEXT("］出发");
}

SearchTerms LocalSearchTerms(const KeywordList& keywords, std::string_view area_text,
                             std::string_view member_city) {
  return {SearchOrigin(area_text, member_city), keywords.Joined()};
}

SearchTerms OutboundTerms(std::string_view city, std::string_view keyword,
                          std::string_view area_text) {
  return {std::string(area_text), JoinGiven(city, keyword)};
}

SearchTerms InboundTerms(std::string_view city, std::string_view keyword,
                         std::string_view area_text, std::string_view member_city,
                         int view_direction) {
  const std::string_view region =
      view_direction == 2 || view_direction == 3 ? member_city : area_text;
  SearchTerms terms{std::string(city), {}};
  if (!keyword.empty()) {
    terms.keywords = std::string(region) + "," + std::string(keyword);
  } else if (region != TV_TEXT("全国信息")) {
    terms.keywords = std::string(region);
  }
  return terms;
}

SearchTerms CityKeywordTerms(std::string_view city, std::string_view keyword) {
  return {std::string(city), std::string(keyword)};
}

ComprehensiveCaptions MakeComprehensiveCaptions(std::string_view area_text,
                                                std::string_view member_city) {
  const std::string origin = SearchOrigin(area_text, member_city);
  return {TV_TEXT("搜索从［") + origin + TV_TEXT("］出发到其它城市的信息"), origin + TV_TEXT("　→"),
          TV_TEXT("搜索从其它城市到达［") + origin + TV_TEXT("］的信息"), TV_TEXT("→ ") + origin};
}

}  // namespace tv
