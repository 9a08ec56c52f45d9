#pragma once
// The preferences without widgets: what the dialog opens with, its working
// values, and the writes. Colours, font size and face are written only by
// Save(); the sound, the desktop notifications, the tree's side and the
// refresh period are written the moment they are chosen. Every write warns
// on failure and the dialog goes on.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/values.h"

namespace tv {

// The dialog's own starting background when none is stored (the grids use
// the settings table's default instead).
inline constexpr SettingColor kPreferencesBackDefault{16777200};  // red 240, green 255, blue 255
// Where "背景颜色选择" starts, whatever the current colour.
inline constexpr SettingColor kBackChooserStart{16777200};

// The refresh list: seconds, as listed and stored.
std::span<const std::string_view> RefreshChoices();
// The index of the list entry for the period `text` converts to; -1 when the
// list has none (a stored "4" selects nothing).
int RefreshChoiceIndex(std::string_view text);

// Raw results of ReadSetting ("Error" when missing).
struct StoredPreferences {
  std::string back;
  std::string text;
  std::string size;
  std::string face;
  std::string tree;
  std::string sound;
  std::string refresh;
  std::string desktop_notify;
};
StoredPreferences ReadStoredPreferences();

// What the dialog shows when it opens.
struct PreferencesOpening {
  SettingColor back;
  SettingColor text;
  int font_size = 20;            // within kMinFontSize..kMaxFontSize
  std::string face;              // GBK, as stored; may be a face the list lacks
  std::optional<TreeSide> side;  // neither button for a text other than "Left"/"Right"
  bool sound = false;
  int refresh_index = -1;
  bool desktop_notify = true;
};
PreferencesOpening OpenPreferences(const StoredPreferences& stored);

// The appearance the dialog works on until "保存".
struct Appearance {
  SettingColor back;
  SettingColor text;
  int font_size = 20;
  std::string face;  // GBK
};

class PreferencesModel {
 public:
  // Reads the store.
  PreferencesModel();

  const PreferencesOpening& Opening() const { return opening_; }
  const Appearance& Current() const { return current_; }

  void SetBack(SettingColor colour) { current_.back = colour; }
  void SetText(SettingColor colour) { current_.text = colour; }
  // A slider position; 0 (a report without a position) is ignored.
  void SetFontSize(int size);
  void SetFace(std::string gbk_face) { current_.face = std::move(gbk_face); }

  // Written at once.
  void SetSound(bool on);
  void SetDesktopNotify(bool on);
  void SetSide(TreeSide side);
  // Writes the chosen entry and tells the member it takes effect next start.
  void ChooseRefresh(int index);

  // Writes text colour, background, size and face in that order; true when
  // all four were written (each failure has shown its notice).
  bool Save();

 private:
  PreferencesOpening opening_;
  Appearance current_;
};

}  // namespace tv
