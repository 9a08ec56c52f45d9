#include "regions/region_directory.h"

#include <algorithm>

#include "core/gbk.h"
#include "regions/region_tables.h"

namespace tv {

std::span<const std::string_view> Provinces(ProvinceOrder order) {
  return order == ProvinceOrder::kPublish ? region_data::PublishOrder()
                                          : region_data::BrowseOrder();
}

std::vector<std::string> ListProvinces(ProvinceOrder order) {
  std::span<const std::string_view> names = Provinces(order);
  return {names.begin(), names.end()};
}

std::span<const RegionPair> Rows(RegionTable table) {
  return table == RegionTable::kCountyDirectory ? region_data::CountyDirectory()
                                                : region_data::PrefectureDirectory();
}

std::span<const AreaCodeRow> AreaCodeTable() { return region_data::AreaCodes(); }

std::vector<std::string> ListChildren(RegionTable table, std::string_view parent) {
  std::vector<std::string> children;
  // No index: the tables are small and a scan keeps table order and duplicates.
  if (parent.empty()) return children;
  // The first byte rules out almost every row before a whole comparison is needed.
  const char first = parent.front();
  for (const RegionPair& row : Rows(table)) {
    if (row.parent.size() == parent.size() && row.parent.front() == first && row.parent == parent) {
      children.emplace_back(row.child);
    }
  }
  return children;
}

bool HasChild(RegionTable table, std::string_view parent, std::string_view child) {
  for (const RegionPair& row : Rows(table)) {
    if (row.parent == parent && row.child == child) return true;
  }
  return false;
}

bool IsDirectoryName(std::string_view name) {
  const auto provinces = Provinces(ProvinceOrder::kBrowse);
  if (std::find(provinces.begin(), provinces.end(), name) != provinces.end()) return true;
  for (RegionTable table : {RegionTable::kPrefectureDirectory, RegionTable::kCountyDirectory}) {
    for (const RegionPair& pair : Rows(table)) {
      if (pair.child == name) return true;
    }
  }
  return false;
}

PlaceFault CheckPlace(std::string_view province, std::string_view city, std::string_view county) {
  const auto provinces = Provinces(ProvinceOrder::kBrowse);
  if (std::find(provinces.begin(), provinces.end(), province) == provinces.end()) {
    return PlaceFault::kProvince;
  }
  // Prefectures are listed under their province, counties under their
  // prefecture, and no prefecture bears a province's name.
  if (!HasChild(RegionTable::kCountyDirectory, province, city)) return PlaceFault::kCity;
  if (!county.empty() && !HasChild(RegionTable::kCountyDirectory, city, county)) {
    return PlaceFault::kCounty;
  }
  return PlaceFault::kNone;
}

std::string AreaCodeIn(std::span<const AreaCodeRow> table, std::string_view name) {
  // The empty text is contained in every row; it names no place.
  if (name.empty()) return {};
  for (const AreaCodeRow& row : table) {
    if (ContainsWholeChars(row.place, name)) return std::string(row.code);
  }
  return {};
}

std::string AreaCodeOf(std::string_view name) { return AreaCodeIn(AreaCodeTable(), name); }

}  // namespace tv
