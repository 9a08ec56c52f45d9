#pragma once
// "生成并添加" of the quick-generate form: one standard message line from the
// pickers and short fields, e.g. 济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走.
// GBK throughout.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The form's fields as read at the press of the button (a list without a
// selection reads as empty). The row fields are those of the row on show.
struct QuickForm {
  std::string info_type;  // "即时货源", "即时车源", ...
  std::string departure_prefecture;
  std::string departure_county;
  std::string destination_province;
  std::string destination_prefecture;
  std::string destination_county;
  std::string goods;
  std::string quantity;
  std::string unit;
  std::string truck_count;
  std::string truck_length;
  std::string truck_type;
  std::string freight;     // cargo row: "高价急走", "全价", "运费面议" or typed
  std::string price;       // cargo row
  std::string price_unit;  // cargo row
  std::string trip;        // truck row: "回程", "本地" or typed
};

bool IsCargoType(std::string_view info_type);
bool IsTruckType(std::string_view info_type);

enum class QuickRefusal { kNone, kNoProvince, kNoPrefecture };
struct QuickLine {
  QuickRefusal refusal = QuickRefusal::kNone;
  std::string line;  // empty when refused (or for a type that is neither)
};
QuickLine GenerateQuickLine(const QuickForm& form);
// "请选择 到达城市 省份" / "请选择 到达城市 地级市"; empty for kNone.
const std::string& QuickRefusalNotice(QuickRefusal refusal);

// The lines generated since the form opened or was last cleared: the same line
// is never added twice.
class GeneratedLines {
 public:
  // False (and nothing kept) when the line is already there.
  bool Add(const std::string& line);
  void Clear() { lines_.clear(); }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// What joins a new line to the editor's text: the full-width semicolon.
inline constexpr std::string_view kGeneratedLineSeparatorUtf8 = "；";

}  // namespace tv
