#pragma once
// The three "所 在 地" lists of the registration form. They open on their
// placeholders ("所属省份", "所属城市", "所属县区"); a province fills the city
// list with its cities and selects the first, a city fills the county list
// with its counties and selects the first (empty when it has none). Going
// back to "所属省份" leaves "所属城市" alone in the city list.
#include "regions/region_picker.h"

namespace tv {

class RegistrationRegionPicker : public RegionPicker {
 public:
  RegistrationRegionPicker();

  void PickProvince(int index) override;
  void PickPrefecture(int index) override;
};

}  // namespace tv
