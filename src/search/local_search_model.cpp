#include "search/local_search_model.h"

#include <utility>

#include "core/gbk.h"
#include "settings/store.h"

namespace tv {
namespace {

std::string ItemAt(const PickerList& list, int index) {
  if (index < 0 || index >= list.Size()) return {};
  return list.Items()[static_cast<std::size_t>(index)];
}

}  // namespace

LocalSearchPicker::LocalSearchPicker() : RegionPicker(RegionTable::kCountyDirectory) {
  province_.Append(ListProvinces(ProvinceOrder::kBrowse));
}

void LocalSearchPicker::PickProvince(int index) {
  province_.Select(index);
  prefecture_.Clear();
  county_.Clear();
  if (province_.Selected() >= 0) prefecture_.Append(ListChildren(table_, province_.CurrentText()));
}

void LocalSearchPicker::PickPrefecture(int index) {
  prefecture_.Select(index);
  county_.Clear();
  if (prefecture_.Selected() >= 0) county_.Append(ListChildren(table_, prefecture_.CurrentText()));
}

LocalSearchModel::LocalSearchModel(SettingsStore& store, std::string area_text,
                                   std::string member_city)
    : area_text_(std::move(area_text)),
      member_city_(std::move(member_city)),
      history_(store, kLocalSearchKey) {
  history_.Load();
}

const std::string& LocalSearchModel::NoPlaceNotice() {
  return TV_TEXT("      请选择您要添加的城市     ");
}
const std::string& LocalSearchModel::NoProvinceNotice() {
  return TV_TEXT("      请选择一个省/直辖市     ");
}
const std::string& LocalSearchModel::NoRegionNotice() {
  return TV_TEXT("      请选择一个地级市     ");
}
const std::string& LocalSearchModel::NoKeywordNotice() {
  return TV_TEXT("      请填写您要添加的附加关键字     ");
}

void LocalSearchModel::SelectProvince(int index) { picker_.PickProvince(index); }

void LocalSearchModel::SelectRegion(int index) {
  picker_.PickPrefecture(index);
  if (picker_.PrefectureList().Selected() >= 0) last_picked_ = picker_.PrefectureText();
}

void LocalSearchModel::SelectCounty(int index) {
  picker_.PickCounty(index);
  if (picker_.CountyList().Selected() >= 0) last_picked_ = picker_.CountyText();
}

void LocalSearchModel::AddProvinceAt(int index) {
  keywords_.Add(ProvinceKeyword(ItemAt(picker_.ProvinceList(), index)));
}

void LocalSearchModel::AddRegionAt(int index) {
  keywords_.Add(RegionKeyword(ItemAt(picker_.PrefectureList(), index)));
}

void LocalSearchModel::AddCountyAt(int index) {
  keywords_.Add(ItemAt(picker_.CountyList(), index));
}

std::string LocalSearchModel::AddLastPicked() {
  if (last_picked_.empty()) return NoPlaceNotice();
  keywords_.Add(last_picked_);
  return {};
}

std::string LocalSearchModel::AddAllRegions() {
  if (picker_.PrefectureList().Size() == 0) return NoProvinceNotice();
  keywords_.AddAll(picker_.PrefectureList().Items());
  return {};
}

std::string LocalSearchModel::AddAllCounties() {
  if (picker_.CountyList().Size() == 0) return NoRegionNotice();
  keywords_.AddAll(picker_.CountyList().Items());
  return {};
}

std::string LocalSearchModel::AddTypedKeyword(std::string_view text) {
  if (text.empty()) return NoKeywordNotice();
  if (keywords_.Add(text)) history_.Record(text);
  return {};
}

}  // namespace tv
