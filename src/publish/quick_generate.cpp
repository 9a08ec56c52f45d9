#include "publish/quick_generate.h"

#include <algorithm>

#include "core/gbk.h"
#include "regions/region_picker.h"

namespace tv {

bool IsCargoType(std::string_view info_type) {
  return info_type == TV_TEXT("即时货源") || info_type == TV_TEXT("长期货源");
}

bool IsTruckType(std::string_view info_type) {
  return info_type == TV_TEXT("即时车源") || info_type == TV_TEXT("长期车源");
}

QuickLine GenerateQuickLine(const QuickForm& f) {
  static const PlaceholderRegionPicker::Placeholders kPlaceholders =
      PlaceholderRegionPicker::PublishPlaceholders();
  if (f.destination_province == kPlaceholders.province) return {QuickRefusal::kNoProvince, {}};
  if (f.destination_prefecture == kPlaceholders.prefecture)
    return {QuickRefusal::kNoPrefecture, {}};

  const std::string& dot = TV_TEXT("·");
  std::string destination = f.destination_prefecture;
  // An empty county list reads as empty: no "·" with nothing after it.
  if (!f.destination_county.empty() && f.destination_county != kPlaceholders.county)
    destination += dot + f.destination_county;
  std::string route = f.departure_prefecture;
  if (!f.departure_county.empty()) route += dot + f.departure_county;
  route += TV_TEXT("→") + destination;

  const std::string& have = TV_TEXT("有");
  const std::string& want = TV_TEXT("求");
  const std::string& goods_word = TV_TEXT("货");
  const std::string& truck_word = TV_TEXT("车");
  const std::string& trucks_unit = TV_TEXT("辆");
  const std::string& metres = TV_TEXT("米");
  auto quantity = [&f] { return f.quantity.empty() ? std::string() : f.quantity + f.unit; };
  auto count = [&] { return f.truck_count.empty() ? std::string() : f.truck_count + trucks_unit; };
  auto length = [&] { return f.truck_length.empty() ? std::string() : f.truck_length + metres; };

  if (IsCargoType(f.info_type)) {
    const std::string a = have + f.goods + quantity() + goods_word;
    const std::string b = want + count() + length() + f.truck_type + truck_word;
    std::string c;
    if (!f.price.empty())
      c = f.price + TV_TEXT("元/") + f.price_unit;
    else
      c = f.freight;
    std::string line = route + "," + a + "," + b;
    if (!c.empty()) line += "," + c;
    return {QuickRefusal::kNone, line};
  }
  if (IsTruckType(f.info_type)) {
    const std::string a = have + length() + f.truck_type + f.trip + truck_word + count();
    const std::string b = want + quantity() + f.goods + goods_word;
    return {QuickRefusal::kNone, route + "," + a + "," + b};
  }
  return {};
}

const std::string& QuickRefusalNotice(QuickRefusal refusal) {
  static const std::string kNone;
  switch (refusal) {
    case QuickRefusal::kNoProvince:
      return TV_TEXT("请选择 到达城市 省份");
    case QuickRefusal::kNoPrefecture:
      return TV_TEXT("请选择 到达城市 地级市");
    case QuickRefusal::kNone:
      break;
  }
  return kNone;
}

bool GeneratedLines::Add(const std::string& line) {
  if (std::find(lines_.begin(), lines_.end(), line) != lines_.end()) return false;
  lines_.push_back(line);
  return true;
}

}  // namespace tv
