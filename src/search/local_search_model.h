#pragma once
// The local search form without its window: the province, region and county
// lists, the keyword list the member collects, the typed-keyword history,
// and the search they make. Each picking command returns the notice it
// refuses with (empty when it went through).
#include <string>
#include <string_view>

#include "regions/region_picker.h"
#include "search/keyword_history.h"
#include "search/search_terms.h"

namespace tv {

class SettingsStore;

// Province, region and county lists over the county directory. Nothing is
// selected at first; a province lists its regions, a region its counties.
class LocalSearchPicker : public RegionPicker {
 public:
  LocalSearchPicker();
  void PickProvince(int index) override;
  void PickPrefecture(int index) override;
};

class LocalSearchModel {
 public:
  // `area_text`: the watched areas joined by "," ("全国信息" for the whole
  // country). The typed-keyword history is read from `store` at once.
  LocalSearchModel(SettingsStore& store, std::string area_text, std::string member_city);

  std::string Caption() const { return LocalSearchCaption(area_text_, member_city_); }
  const LocalSearchPicker& Picker() const { return picker_; }
  const KeywordList& Keywords() const { return keywords_; }
  const KeywordHistory& History() const { return history_; }
  // The last place selected in the region or county list.
  const std::string& LastPicked() const { return last_picked_; }

  // Selections (an index of the list; -1 for none).
  void SelectProvince(int index);
  void SelectRegion(int index);
  void SelectCounty(int index);

  // Double clicks: a province without its "省…", a region without its "市…",
  // a county whole.
  void AddProvinceAt(int index);
  void AddRegionAt(int index);
  void AddCountyAt(int index);
  // "添加", "全部市", "全部县".
  std::string AddLastPicked();
  std::string AddAllRegions();
  std::string AddAllCounties();
  // The additional keyword's "添加": listed and recorded in the history.
  std::string AddTypedKeyword(std::string_view text);
  // "删除" (or a double click on the entry) and "清空".
  void RemoveKeywordAt(int index) { keywords_.RemoveAt(index); }
  void ClearKeywords() { keywords_.Clear(); }
  // "清除历史记录..." chosen in the keyword box.
  void ClearHistory() { history_.Clear(); }

  // "搜索": the keyword list in the watched region.
  SearchTerms Terms() const { return LocalSearchTerms(keywords_, area_text_, member_city_); }

  // The notices, as shown.
  static const std::string& NoPlaceNotice();
  static const std::string& NoProvinceNotice();
  static const std::string& NoRegionNotice();
  static const std::string& NoKeywordNotice();

 private:
  std::string area_text_;
  std::string member_city_;
  LocalSearchPicker picker_;
  KeywordList keywords_;
  KeywordHistory history_;
  std::string last_picked_;
};

}  // namespace tv
