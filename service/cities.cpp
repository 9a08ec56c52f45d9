#include "cities.h"

#include "core/gbk.h"

namespace tv {
namespace {

struct CityUtf8 {
  const char* name;
  const char* province;
  const char* area_code;
};

// Busy logistics hubs first: demo traffic favours the front of the list.
constexpr CityUtf8 kCities[] = {
    {"郑州", "河南省", "0371"},     {"广州", "广东省", "020"},    {"上海", "上海市", "021"},
    {"北京", "北京市", "010"},      {"武汉", "湖北省", "027"},    {"成都", "四川省", "028"},
    {"杭州", "浙江省", "0571"},     {"济南", "山东省", "0531"},   {"临沂", "山东省", "0539"},
    {"深圳", "广东省", "0755"},     {"天津", "天津市", "022"},    {"重庆", "重庆市", "023"},
    {"西安", "陕西省", "029"},      {"长沙", "湖南省", "0731"},   {"南京", "江苏省", "025"},
    {"苏州", "江苏省", "0512"},     {"石家庄", "河北省", "0311"}, {"沈阳", "辽宁省", "024"},
    {"青岛", "山东省", "0532"},     {"东莞", "广东省", "0769"},   {"佛山", "广东省", "0757"},
    {"合肥", "安徽省", "0551"},     {"南昌", "江西省", "0791"},   {"福州", "福建省", "0591"},
    {"厦门", "福建省", "0592"},     {"泉州", "福建省", "0595"},   {"宁波", "浙江省", "0574"},
    {"温州", "浙江省", "0577"},     {"金华", "浙江省", "0579"},   {"无锡", "江苏省", "0510"},
    {"徐州", "江苏省", "0516"},     {"唐山", "河北省", "0315"},   {"保定", "河北省", "0312"},
    {"邯郸", "河北省", "0310"},     {"太原", "山西省", "0351"},   {"大同", "山西省", "0352"},
    {"呼和浩特", "内蒙古", "0471"}, {"包头", "内蒙古", "0472"},   {"大连", "辽宁省", "0411"},
    {"长春", "吉林省", "0431"},     {"哈尔滨", "黑龙江", "0451"}, {"大庆", "黑龙江", "0459"},
    {"芜湖", "安徽省", "0553"},     {"赣州", "江西省", "0797"},   {"济宁", "山东省", "0537"},
    {"泰安", "山东省", "0538"},     {"潍坊", "山东省", "0536"},   {"洛阳", "河南省", "0379"},
    {"南阳", "河南省", "0377"},     {"宜昌", "湖北省", "0717"},   {"襄阳", "湖北省", "0710"},
    {"株洲", "湖南省", "0731"},     {"南宁", "广西", "0771"},     {"柳州", "广西", "0772"},
    {"海口", "海南省", "0898"},     {"绵阳", "四川省", "0816"},   {"贵阳", "贵州省", "0851"},
    {"昆明", "云南省", "0871"},     {"拉萨", "西藏", "0891"},     {"宝鸡", "陕西省", "0917"},
    {"兰州", "甘肃省", "0931"},     {"西宁", "青海省", "0971"},   {"银川", "宁夏", "0951"},
    {"乌鲁木齐", "新疆", "0991"},
};

}  // namespace

const std::vector<ServiceCity>& ServiceCities() {
  static const std::vector<ServiceCity> cities = [] {
    std::vector<ServiceCity> out;
    for (const auto& c : kCities)
      out.push_back({Utf8ToGbk(c.name), Utf8ToGbk(c.province), c.area_code});
    return out;
  }();
  return cities;
}

const ServiceCity* FindServiceCity(std::string_view gbk_name) {
  for (const auto& c : ServiceCities()) {
    if (c.name == gbk_name) return &c;
  }
  return nullptr;
}

std::vector<std::string> CitiesOfProvince(std::string_view gbk_province) {
  std::vector<std::string> out;
  for (const auto& c : ServiceCities()) {
    if (c.province == gbk_province) out.push_back(c.name);
  }
  return out;
}

}  // namespace tv
