// The Qt binding: three combo boxes follow the picker model and report picks to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <memory>

#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "regions/qt/region_combo_binding.h"
#include "regions/region_picker.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

class RegionComboBindingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "regions_tests";
      static char* argv[] = {name, nullptr};
      static QApplication app(argc, argv);
    }
  }

  QComboBox province_, prefecture_, county_;
};

TEST_F(RegionComboBindingTest, BoxesShowThePresetPicker) {
  PresetRegionPicker picker(G("山东省"), G("济宁"));
  RegionComboBinding binding(picker, &province_, &prefecture_, &county_);
  EXPECT_EQ(province_.count(), 34);
  EXPECT_EQ(province_.currentText(), QStringLiteral("山东省"));
  EXPECT_EQ(prefecture_.currentText(), QStringLiteral("济宁"));
  EXPECT_EQ(county_.count(), 12);
  EXPECT_EQ(county_.currentIndex(), -1);
}

TEST_F(RegionComboBindingTest, UserPickRefillsTheLowerBoxes) {
  PresetRegionPicker picker(G("山东省"), G("济宁"));
  RegionComboBinding binding(picker, &province_, &prefecture_, &county_);
  QSignalSpy picked(&binding, &RegionComboBinding::picked);

  province_.setCurrentIndex(province_.findText(QStringLiteral("澳门特区")));
  EXPECT_EQ(picked.count(), 1);
  EXPECT_EQ(picker.ProvinceText(), G("澳门特区"));
  ASSERT_EQ(prefecture_.count(), 3);
  EXPECT_EQ(prefecture_.itemText(2), QStringLiteral(" 路氹城 "));
  EXPECT_EQ(prefecture_.currentIndex(), 0);
  EXPECT_EQ(county_.count(), 5);
  EXPECT_EQ(county_.currentIndex(), -1);

  prefecture_.setCurrentIndex(1);
  EXPECT_EQ(picker.PrefectureText(), G("澳门离岛"));
  EXPECT_EQ(county_.count(), 2);

  county_.setCurrentIndex(1);
  EXPECT_EQ(picker.CountyText(), G("圣方济各"));
  EXPECT_EQ(picked.count(), 3);
}

TEST_F(RegionComboBindingTest, PlaceholderBoxesGoBackToTheirPlaceholders) {
  PlaceholderRegionPicker picker;
  RegionComboBinding binding(picker, &province_, &prefecture_, &county_);
  EXPECT_EQ(province_.currentText(), QStringLiteral("省份"));
  province_.setCurrentIndex(province_.findText(QStringLiteral("北京市")));
  prefecture_.setCurrentIndex(1);
  EXPECT_EQ(county_.count(), 20);
  EXPECT_EQ(county_.currentText(), QStringLiteral("市、县级市、县"));
  province_.setCurrentIndex(0);
  EXPECT_EQ(prefecture_.count(), 1);
  EXPECT_EQ(county_.count(), 1);
  EXPECT_EQ(county_.currentText(), QStringLiteral("市、县级市、县"));
}

TEST_F(RegionComboBindingTest, ABoxThatIsGoneIsSkipped) {
  PlaceholderRegionPicker picker;
  auto county = std::make_unique<QComboBox>();
  RegionComboBinding binding(picker, &province_, &prefecture_, county.get());
  county.reset();
  province_.setCurrentIndex(province_.findText(QStringLiteral("北京市")));
  EXPECT_EQ(prefecture_.count(), 2);
}

}  // namespace
}  // namespace tv
