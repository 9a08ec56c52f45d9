#pragma once
// The region list that decides what the feed watches, and the two texts made
// from it: the region code sent with the requests and the caption above the
// grid. Names are GBK.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

using RegionList = std::vector<std::string>;
// The area-code table lookup (empty text when the name is found nowhere).
using AreaCodeLookup = std::function<std::string(std::string_view)>;

// Empty for an empty list; "全国信息" when any entry is "全国信息"; otherwise the
// entries joined by ",".
std::string RegionCode(const RegionList& regions);
// "◆ name(code)" / "◆ name" for one entry (or "全国信息" for none), "◆ A·B" for
// several.
std::string RegionCaption(const RegionList& regions, const AreaCodeLookup& area_code_of);

// The stored multi-area text "A+B+C" and back; empty names are dropped.
std::string JoinMultiArea(const RegionList& cities);
RegionList SplitMultiArea(std::string_view text);

// The multi-area form's list of customised cities: at most five, no repeats.
class CustomCityList {
 public:
  static constexpr std::size_t kMaxCities = 5;
  enum class AddResult { kAdded, kNoCity, kAlreadyThere, kFull };
  AddResult Add(std::string_view city);
  // False when `index` names no entry.
  bool RemoveAt(int index);
  void Clear() { cities_.clear(); }
  const RegionList& Cities() const { return cities_; }

 private:
  RegionList cities_;
};

}  // namespace tv
