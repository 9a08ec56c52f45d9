#pragma once
// The cities the service knows by province: short names of prefecture-level
// cities, written the way the client's region directory writes them. Used for
// demo traffic and to widen a province named in a "Code" to its cities.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct ServiceCity {
  std::string name;       // GBK, e.g. "郑州"
  std::string province;   // GBK, as the region tree names it, e.g. "河南省", "广西"
  std::string area_code;  // telephone area code, e.g. "0371"
};

// Every city, GBK, in a fixed order (the first ones are the busiest).
const std::vector<ServiceCity>& ServiceCities();
const ServiceCity* FindServiceCity(std::string_view gbk_name);
// The cities of a province (GBK names); empty when the name is no province.
std::vector<std::string> CitiesOfProvince(std::string_view gbk_province);

}  // namespace tv
