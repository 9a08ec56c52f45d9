#include "feed/region_list.h"

#include <algorithm>

#include "core/gbk.h"

namespace tv {

std::string RegionCode(const RegionList& regions) {
  if (regions.empty()) return {};
  const std::string& whole = TV_TEXT("全国信息");
  if (std::find(regions.begin(), regions.end(), whole) != regions.end()) return whole;
  std::string code = regions.front();
  for (std::size_t i = 1; i < regions.size(); ++i) code += "," + regions[i];
  return code;
}

std::string RegionCaption(const RegionList& regions, const AreaCodeLookup& area_code_of) {
  const std::string& diamond = TV_TEXT("◆ ");
  if (regions.size() >= 2) {
    std::string joined = regions.front();
    for (std::size_t i = 1; i < regions.size(); ++i) joined += TV_TEXT("·") + regions[i];
    return diamond + joined;
  }
  const std::string text = regions.empty() ? TV_TEXT("全国信息") : regions.front();
  const std::string code = area_code_of ? area_code_of(text) : std::string();
  if (code.empty()) return diamond + text;
  return diamond + text + "(" + code + ")";
}

std::string JoinMultiArea(const RegionList& cities) {
  std::string text;
  for (const auto& city : cities) {
    if (!text.empty()) text += '+';
    text += city;
  }
  return text;
}

RegionList SplitMultiArea(std::string_view text) {
  // "+" is below 0x40, so it can never be the trail byte of a GBK character.
  RegionList cities;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('+', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) cities.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return cities;
}

CustomCityList::AddResult CustomCityList::Add(std::string_view city) {
  if (city.empty()) return AddResult::kNoCity;
  if (std::find(cities_.begin(), cities_.end(), city) != cities_.end()) {
    return AddResult::kAlreadyThere;
  }
  if (cities_.size() >= kMaxCities) return AddResult::kFull;
  cities_.emplace_back(city);
  return AddResult::kAdded;
}

bool CustomCityList::RemoveAt(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= cities_.size()) return false;
  cities_.erase(cities_.begin() + index);
  return true;
}

}  // namespace tv
