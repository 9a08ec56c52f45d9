#include "search/comprehensive_search_model.h"

#include <utility>

#include "core/gbk.h"
#include "settings/store.h"

namespace tv {

CitySearchPicker::CitySearchPicker() : RegionPicker(RegionTable::kPrefectureDirectory) {
  province_.Append(ListProvinces(ProvinceOrder::kBrowse));
  province_.Select(0);
}

void CitySearchPicker::PickProvince(int index) {
  province_.Select(index);
  prefecture_.Clear();
  if (province_.Selected() < 0) return;
  prefecture_.Append(ListChildren(table_, province_.CurrentText()));
  prefecture_.Select(0);
}

ComprehensiveSearchModel::ComprehensiveSearchModel(SettingsStore& store, std::string area_text,
                                                   std::string member_city, int view_direction)
    : area_text_(std::move(area_text)),
      member_city_(std::move(member_city)),
      view_direction_(view_direction),
      captions_(MakeComprehensiveCaptions(area_text_, member_city_)),
      history_(store, kWideSearchKey) {
  history_.Load();
}

const std::string& ComprehensiveSearchModel::HintText() {
  return TV_TEXT("提示：如果输入多个关键字,请用逗号分隔,例如:北京,济宁,泰安");
}

const std::string& ComprehensiveSearchModel::KeywordInCityGroupTitle() {
  return TV_TEXT("高级搜索：在其它城市中搜索关键字");
}

SearchTerms ComprehensiveSearchModel::TermsOf(Group group, std::string_view keyword) const {
  const std::string_view city = pickers_[group].PrefectureText();
  switch (group) {
    case kOutbound:
      return OutboundTerms(city, keyword, area_text_);
    case kInbound:
      return InboundTerms(city, keyword, area_text_, member_city_, view_direction_);
    case kCityKeyword:
      break;
  }
  return CityKeywordTerms(city, keyword);
}

SearchTerms ComprehensiveSearchModel::Search(Group group, std::string_view keyword) {
  history_.Record(keyword);
  return TermsOf(group, keyword);
}

}  // namespace tv
