#include "account/registration_regions.h"

#include "account/registration.h"
#include "core/gbk.h"

namespace tv {
namespace {

const std::string& CityPlaceholder() { return TV_TEXT("所属城市"); }
const std::string& CountyPlaceholder() { return TV_TEXT("所属县区"); }

}  // namespace

RegistrationRegionPicker::RegistrationRegionPicker() : RegionPicker(RegionTable::kCountyDirectory) {
  province_.ResetTo(ProvincePlaceholder());
  province_.Append(ListProvinces(ProvinceOrder::kBrowse));
  prefecture_.ResetTo(CityPlaceholder());
  county_.ResetTo(CountyPlaceholder());
}

void RegistrationRegionPicker::PickProvince(int index) {
  province_.Select(index);
  if (province_.Selected() <= 0) {
    prefecture_.ResetTo(CityPlaceholder());
  } else {
    prefecture_.Clear();
    prefecture_.Append(ListChildren(table_, province_.CurrentText()));
    prefecture_.Select(0);
  }
  PickPrefecture(prefecture_.Selected());
}

void RegistrationRegionPicker::PickPrefecture(int index) {
  prefecture_.Select(index);
  county_.Clear();
  // The placeholder has no counties: the list is left empty.
  county_.Append(ListChildren(table_, prefecture_.CurrentText()));
  county_.Select(0);
}

}  // namespace tv
