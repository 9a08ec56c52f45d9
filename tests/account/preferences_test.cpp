// The preferences over a real settings store: what the dialog opens with,
// what is written at once, what only "保存" writes, and a store that cannot
// be written.
#include "account/preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store.h"
#include "tests/settings/temp_store.h"

namespace tv {
namespace {

const std::string kWriteWarning =
    Utf8ToGbk("写入注册表错误\n\n为了程序的正常运行,请检查注册表是否可写");
const std::string kRestartNotice = Utf8ToGbk("需要关闭软件,重新打开生效！");

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"))); }
  void TearDown() override { UseSettingsStore(nullptr); }

  void ReopenReadOnly() {
    UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"), SettingsAccess::kReadOnly));
  }
  static std::string Stored(std::string_view name) { return ReadSetting(kMainKey, name); }

  test::TempDir dir_;
  ScopedNoticeRecorder notices_;
};

TEST_F(PreferencesTest, OpensWithDefaultsWhenNothingIsStored) {
  const PreferencesOpening o = PreferencesModel().Opening();
  EXPECT_EQ(o.back.value, 16777200u);  // the dialog's own, not the grids' 16775143
  EXPECT_EQ(o.text.value, 0u);
  EXPECT_EQ(o.font_size, 20);
  EXPECT_EQ(GbkToUtf8(o.face), "宋体");
  EXPECT_EQ(o.side, TreeSide::kLeft);
  EXPECT_FALSE(o.sound);
  EXPECT_TRUE(o.desktop_notify);
  EXPECT_EQ(RefreshChoices()[static_cast<std::size_t>(o.refresh_index)], "10");
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(PreferencesTest, StoredValuesAsTheDialogReadsThem) {
  struct Case {
    std::string_view name;
    std::string stored;
    std::function<std::string(const PreferencesOpening&)> shown;
    std::string expected;
  };
  auto back = [](const PreferencesOpening& o) { return std::to_string(o.back.value); };
  auto size = [](const PreferencesOpening& o) { return std::to_string(o.font_size); };
  auto face = [](const PreferencesOpening& o) { return GbkToUtf8(o.face); };
  auto side = [](const PreferencesOpening& o) {
    return std::string(!o.side ? "neither" : *o.side == TreeSide::kLeft ? "left" : "right");
  };
  auto sound = [](const PreferencesOpening& o) { return std::string(o.sound ? "on" : "off"); };
  auto notify = [](const PreferencesOpening& o) {
    return std::string(o.desktop_notify ? "on" : "off");
  };
  auto refresh = [](const PreferencesOpening& o) {
    return o.refresh_index < 0 ? std::string("none")
                               : std::string(RefreshChoices()[o.refresh_index]);
  };
  const Case cases[] = {
      {kBackColor, "", back, "16777200"},
      {kBackColor, "0", back, "0"},
      {kBackColor, "abc", back, "0"},  // not a number: black, as it always was
      {kBackColor, "255", back, "255"},
      {kFontSize, "14", size, "14"},
      {kFontSize, "abc", size, "5"},  // 0 would draw invisible text
      {kFontSize, "0", size, "5"},
      {kFontSize, "72", size, "40"},
      {kFontType, Utf8ToGbk("黑体"), face, "黑体"},
      {kFontType, "", face, "宋体"},
      // Not in the list: kept as it is for the preview.
      {kFontType, Utf8ToGbk("微软雅黑"), face, "微软雅黑"},
      {kTreeCity, "Right", side, "right"},
      {kTreeCity, "", side, "left"},
      {kTreeCity, "right", side, "neither"},
      {kSound, "1", sound, "on"},
      {kSound, "yes", sound, "off"},
      {kDesktopNotify, "0", notify, "off"},
      {kDesktopNotify, "", notify, "on"},
      {kRefreshTimer, "20", refresh, "20"},
      {kRefreshTimer, "4", refresh, "none"},
      {kRefreshTimer, "0", refresh, "none"},
      {kRefreshTimer, "", refresh, "10"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteSetting(kMainKey, c.name, c.stored));
    EXPECT_EQ(c.shown(PreferencesModel().Opening()), c.expected)
        << c.name << " = \"" << GbkToUtf8(c.stored) << "\"";
    DeleteSetting(kMainKey, c.name);
  }
}

TEST_F(PreferencesTest, AppearanceIsWrittenOnlyBySave) {
  PreferencesModel model;
  model.SetBack(SettingColor::FromRgb(1, 2, 3));
  model.SetText(SettingColor::FromRgb(200, 0, 0));
  model.SetFontSize(0);  // a report without a position
  EXPECT_EQ(model.Current().font_size, 20);
  model.SetFontSize(33);
  model.SetFace(Utf8ToGbk("隶书"));
  // Cancelling is leaving without Save(): nothing of it is stored.
  for (std::string_view name : {kBackColor, kFontColor, kFontSize, kFontType}) {
    EXPECT_EQ(Stored(name), "Error") << name;
  }
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(Stored(kBackColor), "197121");
  EXPECT_EQ(Stored(kFontColor), "200");
  EXPECT_EQ(Stored(kFontSize), "33");
  EXPECT_EQ(GbkToUtf8(Stored(kFontType)), "隶书");
  // What the grids read from now on.
  EXPECT_EQ(BackColor(), SettingColor::FromRgb(1, 2, 3));
  EXPECT_EQ(FontSize(), 33);
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(PreferencesTest, SwitchesSideAndPeriodAreWrittenAtOnce) {
  {
    PreferencesModel model;
    model.SetSound(true);
    EXPECT_EQ(Stored(kSound), "1");
    model.SetSide(TreeSide::kRight);
    EXPECT_EQ(Stored(kTreeCity), "Right");
    EXPECT_TRUE(notices_.notices.empty());
    model.ChooseRefresh(6);  // "20"
    EXPECT_EQ(Stored(kRefreshTimer), "20");
    EXPECT_EQ(notices_.notices, std::vector<std::string>{kRestartNotice});
    model.SetSound(false);
    model.SetDesktopNotify(false);
    // Closed without Save().
  }
  EXPECT_EQ(Stored(kSound), "0");
  EXPECT_EQ(Stored(kDesktopNotify), "0");
  EXPECT_EQ(Stored(kTreeCity), "Right");
  EXPECT_EQ(Stored(kRefreshTimer), "20");
}

TEST_F(PreferencesTest, AnUnwritableStoreWarnsAndTheDialogGoesOn) {
  ASSERT_TRUE(WriteSetting(kMainKey, kFontSize, "18"));
  ReopenReadOnly();
  PreferencesModel model;
  EXPECT_EQ(model.Opening().font_size, 18);

  model.SetSide(TreeSide::kRight);
  EXPECT_EQ(notices_.notices, std::vector<std::string>{kWriteWarning});

  notices_.notices.clear();
  model.ChooseRefresh(0);
  EXPECT_EQ(notices_.notices, (std::vector<std::string>{kWriteWarning, kRestartNotice}));

  notices_.notices.clear();
  model.SetFontSize(25);
  EXPECT_FALSE(model.Save());
  // Each of the four writes warns; the dialog keeps its values.
  EXPECT_EQ(notices_.notices, std::vector<std::string>(4, kWriteWarning));
  EXPECT_EQ(model.Current().font_size, 25);
  EXPECT_EQ(Stored(kFontSize), "18");
}

}  // namespace
}  // namespace tv
