#include "account/preferences.h"

#include <algorithm>
#include <array>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store.h"

namespace tv {
namespace {

constexpr std::array<std::string_view, 9> kRefreshChoices = {"1",  "2",  "3",  "5", "10",
                                                             "15", "20", "25", "30"};

bool Absent(std::string_view stored) { return stored == kError || stored.empty(); }

}  // namespace

std::span<const std::string_view> RefreshChoices() { return kRefreshChoices; }

int RefreshChoiceIndex(std::string_view text) {
  const long seconds = ParseSettingNumber(text);
  for (std::size_t i = 0; i < kRefreshChoices.size(); ++i) {
    if (ParseSettingNumber(kRefreshChoices[i]) == seconds) return static_cast<int>(i);
  }
  return -1;
}

StoredPreferences ReadStoredPreferences() {
  auto read = [](std::string_view name) { return ReadSetting(kMainKey, name); };
  return {read(kBackColor), read(kFontColor), read(kFontSize),     read(kFontType),
          read(kTreeCity),  read(kSound),     read(kRefreshTimer), read(kDesktopNotify)};
}

PreferencesOpening OpenPreferences(const StoredPreferences& stored) {
  PreferencesOpening o;
  o.back = Absent(stored.back) ? kPreferencesBackDefault : ColorFromText(stored.back);
  o.text = ColorFromText(ApplySettingDefault(kFontColor, stored.text));
  o.font_size = FontSizeFromText(ApplySettingDefault(kFontSize, stored.size));
  o.face = ApplySettingDefault(kFontType, stored.face);
  const std::string tree = ApplySettingDefault(kTreeCity, stored.tree);
  if (tree == "Left") o.side = TreeSide::kLeft;
  if (tree == "Right") o.side = TreeSide::kRight;
  o.sound = ApplySettingDefault(kSound, stored.sound) == "1";
  o.refresh_index = RefreshChoiceIndex(ApplySettingDefault(kRefreshTimer, stored.refresh));
  o.desktop_notify = ApplySettingDefault(kDesktopNotify, stored.desktop_notify) == "1";
  return o;
}

PreferencesModel::PreferencesModel() : opening_(OpenPreferences(ReadStoredPreferences())) {
  current_ = {opening_.back, opening_.text, opening_.font_size, opening_.face};
}

void PreferencesModel::SetFontSize(int size) {
  if (size == 0) return;
  current_.font_size = std::clamp(size, kMinFontSize, kMaxFontSize);
}

void PreferencesModel::SetSound(bool on) { SetSoundOn(on); }

void PreferencesModel::SetDesktopNotify(bool on) { SetDesktopNotifyOn(on); }

void PreferencesModel::SetSide(TreeSide side) { SetTreeCitySide(side); }

void PreferencesModel::ChooseRefresh(int index) {
  if (index < 0 || index >= static_cast<int>(kRefreshChoices.size())) return;
  WriteSettingOrWarn(kRefreshTimer, kRefreshChoices[static_cast<std::size_t>(index)]);
  ShowNotice(TV_TEXT("需要关闭软件,重新打开生效！"));
}

bool PreferencesModel::Save() {
  // The store's writers (the member functions share some of their names).
  bool all = tv::SetFontColor(current_.text);
  all = tv::SetBackColor(current_.back) && all;
  all = tv::SetFontSize(current_.font_size) && all;
  all = tv::SetFontFace(current_.face) && all;
  return all;
}

}  // namespace tv
