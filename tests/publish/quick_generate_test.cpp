// "生成并添加": the standard lines of the quick-generate form.
#include <gtest/gtest.h>

#include <functional>

#include "publish/quick_generate.h"
#include "publish_test_util.h"

namespace tv {
namespace {

using test::G;
using test::U;

// 济宁 to 北京, cargo: 钢材 20 吨, 2 trucks of 9.6 m 平板, 高价急走.
QuickForm Cargo() {
  QuickForm f;
  f.info_type = G("即时货源");
  f.departure_prefecture = G("济宁");
  f.destination_province = G("北京市");
  f.destination_prefecture = G("北京");
  f.destination_county = G("市、县级市、县");
  f.goods = G("钢材");
  f.quantity = "20";
  f.unit = G("吨");
  f.truck_count = "2";
  f.truck_length = "9.6";
  f.truck_type = G("平板");
  f.freight = G("高价急走");
  f.price_unit = G("吨");
  return f;
}

QuickForm Truck() {
  QuickForm f = Cargo();
  f.info_type = G("长期车源");
  f.truck_count = "1";
  f.trip = G("回程");
  return f;
}

TEST(QuickGenerate, LinesFromTheFields) {
  struct Case {
    const char* what;
    QuickForm form;
    std::function<void(QuickForm&)> change;
    const char* line;
  } cases[] = {
      {"cargo", Cargo(), [](QuickForm&) {}, "济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"},
      {"price over freight word", Cargo(), [](QuickForm& f) { f.price = "120"; },
       "济宁→北京,有钢材20吨货,求2辆9.6米平板车,120元/吨"},
      {"every field empty", Cargo(),
       [](QuickForm& f) {
         f.goods = f.quantity = f.truck_count = f.truck_length = f.truck_type = f.freight = "";
       },
       "济宁→北京,有货,求车"},
      {"unit dropped without quantity", Cargo(), [](QuickForm& f) { f.quantity = ""; },
       "济宁→北京,有钢材货,求2辆9.6米平板车,高价急走"},
      {"destination county", Cargo(), [](QuickForm& f) { f.destination_county = G("朝阳"); },
       "济宁→北京·朝阳,有钢材20吨货,求2辆9.6米平板车,高价急走"},
      {"departure county", Cargo(), [](QuickForm& f) { f.departure_county = G("任城"); },
       "济宁·任城→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"},
      {"empty destination county list", Cargo(), [](QuickForm& f) { f.destination_county = ""; },
       "济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"},
      {"truck", Truck(), [](QuickForm&) {}, "济宁→北京,有9.6米平板回程车1辆,求20吨钢材货"},
      {"truck, fields empty", Truck(),
       [](QuickForm& f) {
         f.truck_length = f.truck_type = f.trip = f.truck_count = f.quantity = f.goods = "";
       },
       "济宁→北京,有车,求货"},
  };
  for (Case& c : cases) {
    c.change(c.form);
    const QuickLine line = GenerateQuickLine(c.form);
    EXPECT_EQ(line.refusal, QuickRefusal::kNone) << c.what;
    EXPECT_EQ(U(line.line), c.line) << c.what;
  }
}

TEST(QuickGenerate, DestinationMustBeChosen) {
  QuickForm f = Cargo();
  f.destination_prefecture = G("地级市");
  QuickLine line = GenerateQuickLine(f);
  EXPECT_EQ(line.refusal, QuickRefusal::kNoPrefecture);
  EXPECT_EQ(U(QuickRefusalNotice(line.refusal)), "请选择 到达城市 地级市");
  f.destination_province = G("省份");
  line = GenerateQuickLine(f);
  EXPECT_EQ(line.refusal, QuickRefusal::kNoProvince);
  EXPECT_EQ(U(QuickRefusalNotice(line.refusal)), "请选择 到达城市 省份");
  EXPECT_TRUE(line.line.empty());
}

TEST(QuickGenerate, SameLineIsKeptOnceUntilCleared) {
  GeneratedLines lines;
  EXPECT_TRUE(lines.Add("a"));
  EXPECT_FALSE(lines.Add("a"));
  EXPECT_TRUE(lines.Add("b"));
  EXPECT_EQ(lines.lines(), (std::vector<std::string>{"a", "b"}));
  lines.Clear();
  EXPECT_TRUE(lines.Add("a"));
}

}  // namespace
}  // namespace tv
