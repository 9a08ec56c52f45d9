#pragma once
// The comprehensive search form without its window: three groups, each with
// a province and a city list, a keyword shared history, and the three kinds
// of search (from the watched region to a city, from a city to the watched
// region, a keyword in a city).
#include <array>
#include <string>
#include <string_view>

#include "regions/region_picker.h"
#include "search/keyword_history.h"
#include "search/search_terms.h"

namespace tv {

class SettingsStore;

// A province and a city list over the prefecture directory. The first
// province is selected and the city list stays empty until a province is
// chosen (choosing the one shown counts); a chosen province selects its
// first city.
class CitySearchPicker : public RegionPicker {
 public:
  CitySearchPicker();
  void PickProvince(int index) override;
  void PickPrefecture(int index) override { prefecture_.Select(index); }
};

class ComprehensiveSearchModel {
 public:
  enum Group { kOutbound = 0, kInbound = 1, kCityKeyword = 2 };
  static constexpr int kGroups = 3;

  // `view_direction` is the main feed's current direction (2: one member's
  // messages). The shared history is read from `store` at once.
  ComprehensiveSearchModel(SettingsStore& store, std::string area_text, std::string member_city,
                           int view_direction);

  const ComprehensiveCaptions& Captions() const { return captions_; }
  const CitySearchPicker& Picker(Group group) const { return pickers_[group]; }
  const KeywordHistory& History() const { return history_; }

  void PickProvince(Group group, int index) { pickers_[group].PickProvince(index); }
  void PickCity(Group group, int index) { pickers_[group].PickPrefecture(index); }

  // The group's "搜索": the terms from its city and `keyword`, the keyword
  // recorded in the history first.
  SearchTerms Search(Group group, std::string_view keyword);
  // The terms alone, nothing recorded.
  SearchTerms TermsOf(Group group, std::string_view keyword) const;
  // "清除历史记录..." chosen in any keyword box.
  void ClearHistory() { history_.Clear(); }

  // The hint above the groups.
  static const std::string& HintText();
  static const std::string& KeywordInCityGroupTitle();

 private:
  std::string area_text_;
  std::string member_city_;
  int view_direction_;
  ComprehensiveCaptions captions_;
  std::array<CitySearchPicker, kGroups> pickers_;
  KeywordHistory history_;
};

}  // namespace tv
