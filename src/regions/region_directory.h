#pragma once
// The compiled-in directory of provinces, prefecture-level cities and counties,
// and the telephone area codes. Every name is GBK bytes, compared whole and byte
// for byte; a region is identified everywhere by its name alone.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// One row of a directory table: a province and one of its prefecture-level
// cities, or a prefecture-level city and one of its counties.
struct RegionPair {
  std::string_view parent;
  std::string_view child;
};

// One row of the area-code table: a full place name ("济南市") and its code
// as digits with leading zeros kept ("0531").
struct AreaCodeRow {
  std::string_view place;
  std::string_view code;
};

// The publishing forms list provinces in one order; the region tree, the
// multi-area form, the search forms and registration in the other.
enum class ProvinceOrder { kPublish, kBrowse };

// Three-level table (provinces, prefectures, counties) for the publishing,
// local search and registration pickers; two-level table (provinces,
// prefectures, plus the Hong Kong and Macau districts) for the region tree,
// the multi-area form and the comprehensive search form.
enum class RegionTable { kCountyDirectory, kPrefectureDirectory };

inline constexpr std::size_t kProvinceCount = 34;

// The 34 province names in the given order (views into the static tables).
std::span<const std::string_view> Provinces(ProvinceOrder order);
// The same as owned strings.
std::vector<std::string> ListProvinces(ProvinceOrder order);

// Every child of `parent` in table order, duplicates kept. The whole table is
// scanned on each call; an unknown or empty name gives an empty list.
std::vector<std::string> ListChildren(RegionTable table, std::string_view parent);

// Whether `child` is listed under `parent` in `table`.
bool HasChild(RegionTable table, std::string_view parent, std::string_view child);

// Whether `name` is a province, prefecture-level city or county of the
// directories.
bool IsDirectoryName(std::string_view name);

// The first part of a place that the directory does not hold.
enum class PlaceFault { kNone, kProvince, kCity, kCounty };
// A place as the registration lists offer it: one of the 34 provinces, one
// of its cities in the county directory, and one of that city's counties or
// none at all.
PlaceFault CheckPlace(std::string_view province, std::string_view city, std::string_view county);

// The code of the first area-code row whose place name contains `name`
// (so "济南" finds "济南市"); empty when none does or `name` is empty.
std::string AreaCodeOf(std::string_view name);
// The same over any table (a separate name keeps AreaCodeOf usable as a plain
// function pointer).
std::string AreaCodeIn(std::span<const AreaCodeRow> table, std::string_view name);

// The raw tables, in order, for callers that walk them (the region tree).
std::span<const RegionPair> Rows(RegionTable table);
std::span<const AreaCodeRow> AreaCodeTable();

}  // namespace tv
