#pragma once
// The tables generated at build time from data/*.txt (GBK bytes).
#include <span>
#include <string_view>

#include "regions/region_directory.h"

namespace tv::region_data {

std::span<const std::string_view> PublishOrder();
std::span<const std::string_view> BrowseOrder();
std::span<const RegionPair> CountyDirectory();
std::span<const RegionPair> PrefectureDirectory();
std::span<const AreaCodeRow> AreaCodes();

}  // namespace tv::region_data
