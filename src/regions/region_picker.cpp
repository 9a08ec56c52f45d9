#include "regions/region_picker.h"

#include <utility>

#include "core/gbk.h"

namespace tv {

PresetRegionPicker::PresetRegionPicker(std::string_view province, std::string_view city,
                                       RegionTable table)
    : RegionPicker(table) {
  province_.Append(ListProvinces(ProvinceOrder::kPublish));
  if (!province_.SelectText(province)) return;
  prefecture_.Append(ListChildren(table_, province));
  if (!prefecture_.SelectText(city)) return;
  county_.Append(ListChildren(table_, city));
}

void PresetRegionPicker::PickProvince(int index) {
  province_.Select(index);
  prefecture_.Clear();
  county_.Clear();
  if (province_.Selected() < 0) return;
  prefecture_.Append(ListChildren(table_, province_.CurrentText()));
  // A new province always shows a city: its first one.
  prefecture_.Select(0);
  if (prefecture_.Selected() < 0) return;
  county_.Append(ListChildren(table_, prefecture_.CurrentText()));
}

void PresetRegionPicker::PickPrefecture(int index) {
  prefecture_.Select(index);
  county_.Clear();
  if (prefecture_.Selected() < 0) return;
  county_.Append(ListChildren(table_, prefecture_.CurrentText()));
}

PlaceholderRegionPicker::Placeholders PlaceholderRegionPicker::PublishPlaceholders() {
  return {TV_TEXT("省份"), TV_TEXT("地级市"), TV_TEXT("市、县级市、县")};
}

PlaceholderRegionPicker::PlaceholderRegionPicker()
    : PlaceholderRegionPicker(PublishPlaceholders(), RegionTable::kCountyDirectory,
                              ProvinceOrder::kPublish) {}

PlaceholderRegionPicker::PlaceholderRegionPicker(Placeholders placeholders, RegionTable table,
                                                 ProvinceOrder order)
    : RegionPicker(table), placeholders_(std::move(placeholders)) {
  province_.ResetTo(placeholders_.province);
  province_.Append(ListProvinces(order));
  prefecture_.ResetTo(placeholders_.prefecture);
  county_.ResetTo(placeholders_.county);
}

void PlaceholderRegionPicker::PickProvince(int index) {
  province_.Select(index);
  prefecture_.ResetTo(placeholders_.prefecture);
  county_.ResetTo(placeholders_.county);
  // Nothing chosen (or the placeholder itself): the lower lists stay bare.
  if (province_.Selected() <= 0) return;
  prefecture_.Append(ListChildren(table_, province_.CurrentText()));
}

void PlaceholderRegionPicker::PickPrefecture(int index) {
  prefecture_.Select(index);
  county_.ResetTo(placeholders_.county);
  if (prefecture_.Selected() <= 0) return;
  county_.Append(ListChildren(table_, prefecture_.CurrentText()));
}

}  // namespace tv
