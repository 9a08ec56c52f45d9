// The preferences dialog offscreen, over a real settings store: what it
// shows when it opens, what its controls write and when, and "保存".
#include "account/preferences_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <vector>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store.h"
#include "tests/settings/temp_store.h"
#include "widgets/color_label.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

class PreferencesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"))); }
  void TearDown() override { UseSettingsStore(nullptr); }

  // A dialog whose colour chooser answers from `choices_` (front first) and
  // records where it started.
  std::unique_ptr<PreferencesDialog> MakeDialog() {
    auto dialog = std::make_unique<PreferencesDialog>(
        [this](SettingColor start, QWidget*) -> std::optional<SettingColor> {
          starts_.push_back(start.value);
          if (choices_.empty()) return std::nullopt;
          auto choice = choices_.front();
          choices_.erase(choices_.begin());
          return choice;
        });
    dialog->show();
    return dialog;
  }
  static std::string Stored(std::string_view name) { return ReadSetting(kMainKey, name); }
  // The preview's background and text colours.
  static QColor Back(const PreferencesDialog& d) { return ToQColor(d.Preview()->Background()); }
  static QColor Text(const PreferencesDialog& d) { return ToQColor(d.Preview()->TextColour()); }

  test::TempDir dir_;
  ScopedNoticeRecorder notices_;
  std::vector<std::optional<SettingColor>> choices_;
  std::vector<std::uint32_t> starts_;
};

TEST_F(PreferencesDialogTest, OpensOnTheStoredValues) {
  {
    auto d = MakeDialog();  // nothing stored
    EXPECT_EQ(d->SizeSlider()->value(), 20);
    EXPECT_EQ(d->SizeSlider()->minimum(), 5);
    EXPECT_EQ(d->SizeSlider()->maximum(), 40);
    EXPECT_EQ(d->FaceBox()->currentText(), "宋体");
    EXPECT_TRUE(d->LeftButton()->isChecked());
    EXPECT_FALSE(d->SoundBox()->isChecked());
    EXPECT_TRUE(d->NotifyBox()->isChecked());
    EXPECT_EQ(d->RefreshBox()->currentText(), "10");
    EXPECT_EQ(Back(*d), QColor(240, 255, 255));
    EXPECT_EQ(Text(*d), QColor(0, 0, 0));
    EXPECT_EQ(d->Preview()->TextFont().pixelSize(), 20);
    EXPECT_TRUE(d->Preview()->Filled());
    EXPECT_EQ(d->Preview()->Text(), "物流信息演示");
  }
  ASSERT_TRUE(WriteSetting(kMainKey, kRefreshTimer, "4"));
  ASSERT_TRUE(WriteSetting(kMainKey, kFontType, "WenQuanYi Zen Hei"));
  ASSERT_TRUE(WriteSetting(kMainKey, kTreeCity, "middle"));
  ASSERT_TRUE(WriteSetting(kMainKey, kSound, "1"));
  ASSERT_TRUE(WriteSetting(kMainKey, kBackColor, "255"));
  ASSERT_TRUE(WriteSetting(kMainKey, kFontSize, "abc"));
  auto d = MakeDialog();
  EXPECT_EQ(d->RefreshBox()->currentIndex(), -1);
  // A face the list lacks: no entry selected, but the preview draws with it.
  EXPECT_EQ(d->FaceBox()->currentIndex(), -1);
  EXPECT_EQ(QFontInfo(d->Preview()->TextFont()).family(), "WenQuanYi Zen Hei");
  EXPECT_FALSE(d->LeftButton()->isChecked());
  EXPECT_FALSE(d->RightButton()->isChecked());
  EXPECT_TRUE(d->SoundBox()->isChecked());
  EXPECT_EQ(Back(*d), QColor(255, 0, 0));
  EXPECT_EQ(d->SizeSlider()->value(), 5);
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(PreferencesDialogTest, CancelKeepsTheAppearanceButNotTheImmediateChoices) {
  auto d = MakeDialog();
  ASSERT_TRUE(WriteSetting(kMainKey, kBackColor, "123"));
  choices_ = {SettingColor::FromRgb(10, 20, 30), SettingColor::FromRgb(200, 0, 0)};
  QTest::mouseClick(d->BackButton(), Qt::LeftButton);
  QTest::mouseClick(d->TextButton(), Qt::LeftButton);
  // The background chooser starts at the light default, the text one at the
  // current text colour; the preview follows both.
  EXPECT_EQ(starts_, (std::vector<std::uint32_t>{16777200u, 0u}));
  EXPECT_EQ(Back(*d), QColor(10, 20, 30));
  EXPECT_EQ(Text(*d), QColor(200, 0, 0));
  // A cancelled chooser changes nothing.
  QTest::mouseClick(d->TextButton(), Qt::LeftButton);
  EXPECT_EQ(Text(*d), QColor(200, 0, 0));

  QTest::mouseClick(d->RightButton(), Qt::LeftButton);
  QTest::mouseClick(d->SoundBox(), Qt::LeftButton);
  QTest::mouseClick(d->NotifyBox(), Qt::LeftButton);
  d->RefreshBox()->setCurrentIndex(0);  // not the member's choice: nothing written
  EXPECT_EQ(Stored(kRefreshTimer), "Error");
  EXPECT_TRUE(notices_.notices.empty());
  emit d->RefreshBox()->activated(d->RefreshBox()->findText("20"));
  EXPECT_EQ(Stored(kRefreshTimer), "20");
  EXPECT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(GbkToUtf8(notices_.notices.back()), "需要关闭软件,重新打开生效！");

  QSignalSpy saved(d.get(), &PreferencesDialog::saved);
  QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(saved.count(), 0);
  EXPECT_EQ(Stored(kBackColor), "123");
  EXPECT_EQ(Stored(kFontColor), "Error");
  EXPECT_EQ(Stored(kTreeCity), "Right");
  EXPECT_EQ(Stored(kSound), "1");
  EXPECT_EQ(Stored(kDesktopNotify), "0");
  EXPECT_EQ(Stored(kRefreshTimer), "20");
}

TEST_F(PreferencesDialogTest, SaveWritesTheAppearanceAndTellsTheWindow) {
  auto d = MakeDialog();
  choices_ = {SettingColor::FromRgb(1, 2, 3)};
  QTest::mouseClick(d->BackButton(), Qt::LeftButton);
  d->SizeSlider()->setValue(31);
  emit d->FaceBox()->activated(d->FaceBox()->findText("黑体"));
  EXPECT_EQ(d->Preview()->TextFont().pixelSize(), 31);
  EXPECT_EQ(QFontInfo(d->Preview()->TextFont()).family(),
            InstalledFamilies(Utf8ToGbk("黑体")).front());
  QSignalSpy saved(d.get(), &PreferencesDialog::saved);
  // The window reads the new values when it is told.
  QObject::connect(d.get(), &PreferencesDialog::saved, [&] { EXPECT_EQ(Stored(kFontSize), "31"); });
  QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
  EXPECT_EQ(saved.count(), 1);
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_EQ(Stored(kBackColor), "197121");
  EXPECT_EQ(Stored(kFontColor), "0");
  EXPECT_EQ(GbkToUtf8(Stored(kFontType)), "黑体");
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(PreferencesDialogTest, AnUnwritableStoreWarnsAndTheDialogGoesOn) {
  UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"), SettingsAccess::kReadOnly));
  auto d = MakeDialog();
  QTest::mouseClick(d->RightButton(), Qt::LeftButton);
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(GbkToUtf8(notices_.notices.back()),
            "写入注册表错误\n\n为了程序的正常运行,请检查注册表是否可写");
  EXPECT_TRUE(d->isVisible());
  EXPECT_TRUE(d->RightButton()->isChecked());

  QSignalSpy saved(d.get(), &PreferencesDialog::saved);
  QTest::mouseClick(d->SaveButton(), Qt::LeftButton);
  EXPECT_EQ(saved.count(), 1) << "each failed write warned; the dialog still closes";
  EXPECT_EQ(notices_.notices.size(), 5u);
}

}  // namespace
}  // namespace tv
