#pragma once
// The cascaded province / prefecture / county lists of the forms, as models
// without widgets. A form (or the Qt binding of region_combo_binding.h) shows
// the three PickerLists and reports the user's picks with Pick*().
#include <string>
#include <string_view>

#include "regions/picker_list.h"
#include "regions/region_directory.h"

namespace tv {

// The three lists and how they are read. Forms whose lists cascade by other rules
// (registration, the search forms) derive their own picker from this one.
class RegionPicker {
 public:
  virtual ~RegionPicker() = default;

  const PickerList& ProvinceList() const { return province_; }
  const PickerList& PrefectureList() const { return prefecture_; }
  const PickerList& CountyList() const { return county_; }

  // Reading the picker: the selected texts, empty where nothing is selected.
  std::string_view ProvinceText() const { return province_.CurrentText(); }
  std::string_view PrefectureText() const { return prefecture_.CurrentText(); }
  std::string_view CountyText() const { return county_.CurrentText(); }

  // The user selected an item (an index of that list; -1 for none).
  virtual void PickProvince(int index) = 0;
  virtual void PickPrefecture(int index) = 0;
  void PickCounty(int index) { county_.Select(index); }

 protected:
  explicit RegionPicker(RegionTable table) : table_(table) {}
  RegionTable table_;
  PickerList province_;
  PickerList prefecture_;
  PickerList county_;
};

// The "发布城市" lists: no placeholders, opened on the member's own province
// and city. Changing the province selects its first prefecture.
class PresetRegionPicker : public RegionPicker {
 public:
  // Fills the lists for a member whose profile names `province` and `city`
  // (GBK). A province outside the directory leaves every list unselected and
  // the lower two empty; a city outside the province leaves it unselected.
  PresetRegionPicker(std::string_view province, std::string_view city,
                     RegionTable table = RegionTable::kCountyDirectory);

  void PickProvince(int index) override;
  void PickPrefecture(int index) override;
};

// Lists that each start with a placeholder item ("省份", "地级市",
// "市、县级市、县" by default). A list left on its placeholder reads as the
// placeholder text; the forms test for it to know nothing was chosen.
class PlaceholderRegionPicker : public RegionPicker {
 public:
  struct Placeholders {
    std::string province;
    std::string prefecture;
    std::string county;
  };
  // The publishing forms' placeholders, in GBK.
  static Placeholders PublishPlaceholders();

  PlaceholderRegionPicker();
  PlaceholderRegionPicker(Placeholders placeholders, RegionTable table, ProvinceOrder order);

  void PickProvince(int index) override;
  void PickPrefecture(int index) override;

  const Placeholders& PlaceholderTexts() const { return placeholders_; }

 private:
  Placeholders placeholders_;
};

}  // namespace tv
