#pragma once
// What a search form makes of the member's choices: the search `Code` (the
// region words) and `KeyWords` (keywords joined by ","), and the captions the
// forms show. Plain functions over GBK texts.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct SearchTerms {
  std::string code;
  std::string keywords;
  friend bool operator==(const SearchTerms&, const SearchTerms&) = default;
};

// Where a search starts from: the current area text when it names one area,
// the member's own city when it lists several (holds a ",").
std::string SearchOrigin(std::string_view area_text, std::string_view member_city);

// A double-clicked province as a keyword: everything from its first "省" on
// dropped ("山东省" gives 山东; "黑龙江" stays whole).
std::string ProvinceKeyword(std::string_view province);
// A double-clicked region: everything from its first "市" on dropped.
std::string RegionKeyword(std::string_view region);

// The local search form's keyword list: distinct texts in the order they
// were added.
class KeywordList {
 public:
  // False (and nothing added) for an empty text or one already listed.
  bool Add(std::string_view text);
  // Every text in order; stops at nothing, skips what is already listed.
  void AddAll(const std::vector<std::string>& texts);
  // False when `index` names no entry.
  bool RemoveAt(int index);
  void Clear() { items_.clear(); }
  const std::vector<std::string>& Items() const { return items_; }
  // The entries joined by "," in list order; empty for an empty list.
  std::string Joined() const;

 private:
  std::vector<std::string> items_;
};

// "搜索即时信息：从［origin］出发".
std::string LocalSearchCaption(std::string_view area_text, std::string_view member_city);
// The local form's search: its keyword list in the region the member watches.
SearchTerms LocalSearchTerms(const KeywordList& keywords, std::string_view area_text,
                             std::string_view member_city);

// The comprehensive form's three kinds of search.
// From the watched region to `city` (either may be empty): KeyWords
// "city,keyword", or whichever of the two is given; Code the area text.
SearchTerms OutboundTerms(std::string_view city, std::string_view keyword,
                          std::string_view area_text);
// From `city` to the watched region. The region is the area text, or the
// member's city while one member's messages are shown (`view_direction` 2 or
// 3). KeyWords "region,keyword"; without a keyword the region alone, none
// for the whole country. Code is `city`.
SearchTerms InboundTerms(std::string_view city, std::string_view keyword,
                         std::string_view area_text, std::string_view member_city,
                         int view_direction);
// A keyword in `city` (empty: anywhere).
SearchTerms CityKeywordTerms(std::string_view city, std::string_view keyword);

// The comprehensive form's captions, filled with SearchOrigin.
struct ComprehensiveCaptions {
  std::string outbound_group;       // "搜索从［%s］出发到其它城市的信息"
  std::string outbound_origin;      // "%s　→"
  std::string inbound_group;        // "搜索从其它城市到达［%s］的信息"
  std::string inbound_destination;  // "→ %s"
};
ComprehensiveCaptions MakeComprehensiveCaptions(std::string_view area_text,
                                                std::string_view member_city);

}  // namespace tv
