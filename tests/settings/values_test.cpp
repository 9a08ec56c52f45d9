// Defaults and conversions of the single settings, read through the store.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store.h"
#include "settings/values.h"
#include "temp_store.h"

namespace tv {
namespace {

class ValuesTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"))); }
  void TearDown() override { UseSettingsStore(nullptr); }

  test::TempDir dir_;
};

struct ReadCase {
  std::string_view name;
  std::optional<std::string> stored;  // nullopt: the value is absent
  std::function<std::string()> read;  // the typed reader, shown as text
  std::string expected;
};

std::string Flag(bool on) { return on ? "on" : "off"; }

TEST_F(ValuesTest, ReadersApplyTheirDefaults) {
  auto refresh = [] { return std::to_string(RefreshPeriodSeconds()); };
  auto back = [] { return std::to_string(BackColor().value); };
  auto font_color = [] { return std::to_string(FontColor().value); };
  auto font_size = [] { return std::to_string(FontSize()); };
  auto face = [] { return GbkToUtf8(FontFace()); };
  auto tree = [] { return std::string(TreeCitySide() == TreeSide::kRight ? "right" : "left"); };
  auto auto_login = [] { return Flag(AutoLoginChecked()); };
  auto mobile = [] { return Flag(ContactItemChecked(ContactItem::kMobile)); };
  auto masked = [] { return Flag(ContactAlwaysMasked()); };
  auto sound = [] { return Flag(SoundOn()); };
  auto notify = [] { return Flag(DesktopNotifyOn()); };
  auto user = [] { return StoredUserName(); };
  auto count = [] { return std::to_string(HistoryCount()); };
  const std::string too_long(500, 'x');
  const ReadCase cases[] = {
      {kRefreshTimer, std::nullopt, refresh, "10"},
      {kRefreshTimer, "", refresh, "10"},
      {kRefreshTimer, "abc", refresh, "10"},
      {kRefreshTimer, "0", refresh, "10"},
      {kRefreshTimer, "-5", refresh, "10"},
      {kRefreshTimer, "30", refresh, "30"},
      {kRefreshTimer, " 45s", refresh, "45"},
      {kRefreshTimer, too_long, refresh, "10"},
      // A period a millisecond timer can still hold.
      {kRefreshTimer, "99999999999999999999", refresh, "2147483"},
      {kBackColor, std::nullopt, back, "16775143"},
      {kBackColor, "", back, "16775143"},
      {kBackColor, "0", back, "0"},
      {kBackColor, "255", back, "255"},
      {kFontColor, std::nullopt, font_color, "0"},
      {kFontColor, "16777215", font_color, "16777215"},
      {kFontSize, std::nullopt, font_size, "20"},
      {kFontSize, "", font_size, "20"},
      {kFontSize, "14", font_size, "14"},
      // Kept within the size slider's 5 to 40: a text that is not a number
      // would otherwise give 0, and invisible rows.
      {kFontSize, "abc", font_size, "5"},
      {kFontSize, "0", font_size, "5"},
      {kFontSize, "-12", font_size, "5"},
      {kFontSize, "5", font_size, "5"},
      {kFontSize, "40", font_size, "40"},
      {kFontSize, "41", font_size, "40"},
      {kFontSize, "99999999999999999999", font_size, "40"},
      {kFontType, std::nullopt, face, "宋体"},
      {kFontType, "", face, "宋体"},
      {kFontType, Utf8ToGbk("黑体"), face, "黑体"},
      {kTreeCity, std::nullopt, tree, "left"},
      {kTreeCity, "Right", tree, "right"},
      {kTreeCity, "right", tree, "left"},  // compared exactly
      {kAutoLogin, std::nullopt, auto_login, "off"},
      {kAutoLogin, "0", auto_login, "off"},
      {kAutoLogin, "1", auto_login, "on"},
      {kContactMobile, std::nullopt, mobile, "on"},
      {kContactMobile, "", mobile, "on"},
      {kContactMobile, "0", mobile, "off"},
      {kContactAlwaysMasked, std::nullopt, masked, "off"},
      {kContactAlwaysMasked, "", masked, "off"},
      {kContactAlwaysMasked, "1", masked, "on"},
      {kSound, std::nullopt, sound, "off"},
      {kSound, "1", sound, "on"},
      // Desktop notifications are on unless switched off.
      {kDesktopNotify, std::nullopt, notify, "on"},
      {kDesktopNotify, "", notify, "on"},
      {kDesktopNotify, "0", notify, "off"},
      {kUserName, std::nullopt, user, ""},
      {kUserName, "member", user, "member"},
      {kHistoryCount, std::nullopt, count, "0"},
      {kHistoryCount, "12", count, "12"},
  };
  for (const ReadCase& c : cases) {
    DeleteSetting(kMainKey, c.name);
    if (c.stored) {
      ASSERT_TRUE(WriteSetting(kMainKey, c.name, *c.stored));
    }
    EXPECT_EQ(c.read(), c.expected) << c.name << " = " << c.stored.value_or("(absent)");
  }
}

TEST_F(ValuesTest, ColoursKeepRedInTheLowByte) {
  SettingColor back = BackColor();  // the default 0xFFF7E7
  EXPECT_EQ(back.red(), 0xE7);
  EXPECT_EQ(back.green(), 0xF7);
  EXPECT_EQ(back.blue(), 0xFF);
  ASSERT_TRUE(SetFontColor(SettingColor::FromRgb(1, 2, 3)));
  EXPECT_EQ(ReadSetting(kMainKey, kFontColor), "197121");
  EXPECT_EQ(FontColor(), SettingColor::FromRgb(1, 2, 3));
}

TEST_F(ValuesTest, MemberChoicesAreStoredAsTheProgramReadsThem) {
  ScopedNoticeRecorder notices;
  ASSERT_TRUE(SetAutoLoginChecked(true));
  ASSERT_TRUE(SetContactItemChecked(ContactItem::kCompany, false));
  ASSERT_TRUE(SetTreeCitySide(TreeSide::kRight));
  ASSERT_TRUE(SetRefreshPeriodSeconds(45));
  EXPECT_EQ(ReadSetting(kMainKey, kAutoLogin), "1");
  EXPECT_EQ(ReadSetting(kMainKey, kContactCompany), "0");
  EXPECT_TRUE(AutoLoginChecked());
  EXPECT_FALSE(ContactItemChecked(ContactItem::kCompany));
  EXPECT_EQ(TreeCitySide(), TreeSide::kRight);
  EXPECT_EQ(RefreshPeriodSeconds(), 45);
  EXPECT_TRUE(notices.notices.empty());
}

TEST_F(ValuesTest, OnAReadOnlyStoreOnlyMemberWritesWarn) {
  ASSERT_TRUE(WriteSetting(kMainKey, kAutoLogin, "0"));
  UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"), SettingsAccess::kReadOnly));
  ScopedNoticeRecorder notices;
  EXPECT_FALSE(SetAutoLoginChecked(true));
  EXPECT_EQ(notices.notices.size(), 1u);
  EXPECT_FALSE(AutoLoginChecked());
  EXPECT_FALSE(RecordStoredHost("127.0.0.1:8080"));
  EXPECT_FALSE(RecordHistoryCount(3));
  EXPECT_EQ(notices.notices.size(), 1u);
}

TEST(SettingDefaults, EveryNameHasOneRow) {
  for (const SettingDefault& row : SettingDefaults()) {
    EXPECT_EQ(FindSettingDefault(row.name), &row) << row.name;
  }
  EXPECT_EQ(FindSettingDefault("fontsizeTAVRELOMIN"), FindSettingDefault(kFontSize));
  EXPECT_EQ(FindSettingDefault("nothing"), nullptr);
  EXPECT_EQ(ApplySettingDefault("nothing", "Error"), "");
  EXPECT_EQ(ApplySettingDefault("nothing", "x"), "x");
}

}  // namespace
}  // namespace tv
