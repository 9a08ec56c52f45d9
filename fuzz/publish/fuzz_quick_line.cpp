// The line "生成并添加" makes from the quick form's fields, each read from
// the form as the member typed it (UTF-16, through the GBK fit the form
// uses): refused only for the placeholders, GBK throughout, made of the
// fields and the fixed words, and never added twice.
//
// Input: one byte of switches (the type, the placeholders), then UTF-16LE
// units, the fields in QuickForm's order separated by U+000A.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "core/gbk_fit.h"
#include "publish/quick_generate.h"
#include "regions/region_picker.h"
#include "text_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const unsigned switches = tv::fuzz::TakeByte(input);
  std::u16string units(input.size() / 2, u'\0');
  std::memcpy(units.data(), input.data(), units.size() * 2);

  std::vector<std::string> fields;
  std::size_t gbk_bytes = 0;
  std::u16string_view rest = units;
  while (fields.size() < 16) {
    const std::size_t end = rest.find(u'\n');
    const tv::GbkFit fit = tv::Utf16ToGbk(rest.substr(0, end));
    TV_REQUIRE(tv::fuzz::IsValidGbk(fit.gbk));
    TV_REQUIRE(fit.gbk.size() <= 2 * rest.substr(0, end).size());
    gbk_bytes += fit.gbk.size();
    fields.push_back(fit.gbk);
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  fields.resize(16);

  static const auto kPlaceholders = tv::PlaceholderRegionPicker::PublishPlaceholders();
  const std::string types[] = {TV_TEXT("即时货源"), TV_TEXT("长期货源"), TV_TEXT("即时车源"),
                               TV_TEXT("长期车源"), fields[0]};
  tv::QuickForm f;
  f.info_type = types[(switches & 7) % 5];
  f.departure_prefecture = fields[1];
  f.departure_county = fields[2];
  f.destination_province = (switches & 8) != 0 ? kPlaceholders.province : fields[3];
  f.destination_prefecture = (switches & 16) != 0 ? kPlaceholders.prefecture : fields[4];
  f.destination_county = (switches & 32) != 0 ? kPlaceholders.county : fields[5];
  f.goods = fields[6];
  f.quantity = fields[7];
  f.unit = fields[8];
  f.truck_count = fields[9];
  f.truck_length = fields[10];
  f.truck_type = fields[11];
  f.freight = fields[12];
  f.price = fields[13];
  f.price_unit = fields[14];
  f.trip = fields[15];

  const tv::QuickLine line = tv::GenerateQuickLine(f);
  const bool no_province = f.destination_province == kPlaceholders.province;
  const bool no_prefecture = !no_province && f.destination_prefecture == kPlaceholders.prefecture;
  TV_REQUIRE((line.refusal == tv::QuickRefusal::kNoProvince) == no_province);
  TV_REQUIRE((line.refusal == tv::QuickRefusal::kNoPrefecture) == no_prefecture);
  TV_REQUIRE(tv::QuickRefusalNotice(line.refusal).empty() ==
             (line.refusal == tv::QuickRefusal::kNone));
  const bool known = tv::IsCargoType(f.info_type) || tv::IsTruckType(f.info_type);
  if (line.refusal != tv::QuickRefusal::kNone || !known) {
    TV_REQUIRE(line.line.empty());
    return 0;
  }

  // Route first: departure, "→", destination.
  const std::string& arrow = TV_TEXT("→");
  std::string route = f.departure_prefecture;
  if (!f.departure_county.empty()) route += TV_TEXT("·") + f.departure_county;
  route += arrow + f.destination_prefecture;
  TV_REQUIRE(line.line.compare(0, route.size(), route) == 0);
  TV_REQUIRE(tv::fuzz::IsValidGbk(line.line));
  // Each field at most once, with the fixed words around them.
  TV_REQUIRE(line.line.size() <= gbk_bytes + 64);

  tv::GeneratedLines lines;
  TV_REQUIRE(lines.Add(line.line));
  TV_REQUIRE(!lines.Add(line.line));
  TV_REQUIRE(lines.lines().size() == 1);
  return 0;
}
