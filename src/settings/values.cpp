#include "settings/values.h"

#include <array>
#include <climits>
#include <vector>

#include "core/gbk.h"
#include "settings/key_path.h"
#include "settings/store.h"

namespace tv {
namespace {

constexpr std::array<SettingDefault, 27> kTable = {{
    {kProgramName, "", false},
    {kStoredHost, "", false},
    {kStoredServerList, "", false},
    {kUserName, "", false},
    {kPassword, "", false},
    {kRememberPassword, "", false},
    {kAutoLogin, "", false},
    {kContactAlwaysMasked, "0", true},
    {kRefreshTimer, "10", true},
    {kTreeCity, "Left", true},
    {kMultiArea, "", false},
    {kBackColor, "16775143", true},  // 0xFFF7E7: red E7, green F7, blue FF
    {kFontColor, "0", true},
    {kFontSize, "20", true},
    {kFontType, "宋体", true},
    {kSound, "0", true},
    {kContactName, "1", true},
    {kContactCompany, "1", true},
    {kContactTel, "1", true},
    {kContactExtension, "1", true},
    {kContactMobile, "1", true},
    {kContactNetPhone, "1", true},
    {kHistoryCount, "0", false},
    {kTreeWidth, "126", true},
    {kDesktopNotify, "1", true},
    {kTlsCaFile, "", false},
    {kFoldRepeats, "1", true},
}};

// The defaults in GBK, converted once.
const std::string& DefaultGbk(std::size_t row) {
  static const std::vector<std::string> kGbk = [] {
    std::vector<std::string> texts;
    for (const SettingDefault& entry : kTable) texts.push_back(Utf8ToGbk(entry.default_utf8));
    return texts;
  }();
  return kGbk[row];
}

// The longest period a millisecond timer of int width can hold.
constexpr long kLongestRefreshSeconds = INT_MAX / 1000;
constexpr int kDefaultRefreshSeconds = 10;

bool IsOne(std::string_view name) { return ReadSettingOrDefault(name) == "1"; }

const char* FlagText(bool on) { return on ? "1" : "0"; }

}  // namespace

std::span<const SettingDefault> SettingDefaults() { return kTable; }

const SettingDefault* FindSettingDefault(std::string_view name) {
  std::string folded = FoldSettingName(name);
  for (const SettingDefault& entry : kTable) {
    if (FoldSettingName(entry.name) == folded) return &entry;
  }
  return nullptr;
}

std::string ApplySettingDefault(std::string_view name, std::string_view stored) {
  const SettingDefault* entry = FindSettingDefault(name);
  bool absent = stored == kError;
  if (entry == nullptr) return absent ? std::string() : std::string(stored);
  if (absent || (entry->also_when_empty && stored.empty())) {
    return DefaultGbk(static_cast<std::size_t>(entry - kTable.data()));
  }
  return std::string(stored);
}

std::string ReadSettingOrDefault(std::string_view name) {
  return ApplySettingDefault(name, ReadSetting(kMainKey, name));
}

long ParseSettingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturate instead of overflowing on a long run of digits.
    if (value > (LONG_MAX - (text[i] - '0')) / 10) {
      value = LONG_MAX;
      break;
    }
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

int RefreshPeriodFromText(std::string_view text) {
  long seconds = ParseSettingNumber(text);
  if (seconds <= 0) return kDefaultRefreshSeconds;
  return static_cast<int>(seconds > kLongestRefreshSeconds ? kLongestRefreshSeconds : seconds);
}

int TreeWidthFromText(std::string_view text) {
  const long width = ParseSettingNumber(text);
  if (width < kMinTreeWidth) return width <= 0 ? kDefaultTreeWidth : kMinTreeWidth;
  return width > kMaxTreeWidth ? kMaxTreeWidth : static_cast<int>(width);
}

int FontSizeFromText(std::string_view text) {
  const long size = ParseSettingNumber(text);
  if (size < kMinFontSize) return kMinFontSize;
  if (size > kMaxFontSize) return kMaxFontSize;
  return static_cast<int>(size);
}

SettingColor ColorFromText(std::string_view text) {
  return {static_cast<std::uint32_t>(ParseSettingNumber(text)) & 0x00FFFFFFu};
}

std::string_view ContactItemSettingName(ContactItem item) {
  switch (item) {
    case ContactItem::kName:
      return kContactName;
    case ContactItem::kCompany:
      return kContactCompany;
    case ContactItem::kTel:
      return kContactTel;
    case ContactItem::kExtension:
      return kContactExtension;
    case ContactItem::kMobile:
      return kContactMobile;
    case ContactItem::kNetPhone:
      return kContactNetPhone;
  }
  return kContactName;
}

int RefreshPeriodSeconds() { return RefreshPeriodFromText(ReadSettingOrDefault(kRefreshTimer)); }
SettingColor BackColor() { return ColorFromText(ReadSettingOrDefault(kBackColor)); }
SettingColor FontColor() { return ColorFromText(ReadSettingOrDefault(kFontColor)); }
int FontSize() { return FontSizeFromText(ReadSettingOrDefault(kFontSize)); }
std::string FontFace() { return ReadSettingOrDefault(kFontType); }
TreeSide TreeCitySide() {
  return ReadSettingOrDefault(kTreeCity) == "Right" ? TreeSide::kRight : TreeSide::kLeft;
}
bool SoundOn() { return IsOne(kSound); }
bool ContactItemChecked(ContactItem item) { return IsOne(ContactItemSettingName(item)); }
bool ContactAlwaysMasked() { return IsOne(kContactAlwaysMasked); }
bool AutoLoginChecked() { return IsOne(kAutoLogin); }
bool RememberPasswordChecked() { return IsOne(kRememberPassword); }
std::string StoredUserName() { return ReadSettingOrDefault(kUserName); }
std::string StoredPassword() { return ReadSettingOrDefault(kPassword); }
std::string StoredHost() { return ReadSettingOrDefault(kStoredHost); }
std::string StoredServerList() { return ReadSettingOrDefault(kStoredServerList); }
std::string MultiArea() { return ReadSettingOrDefault(kMultiArea); }
long HistoryCount() { return ParseSettingNumber(ReadSettingOrDefault(kHistoryCount)); }
int TreeWidth() { return TreeWidthFromText(ReadSettingOrDefault(kTreeWidth)); }
bool DesktopNotifyOn() { return IsOne(kDesktopNotify); }
std::string TlsCaFile() { return ReadSettingOrDefault(kTlsCaFile); }
bool FoldRepeatsOn() { return IsOne(kFoldRepeats); }

bool SetRefreshPeriodSeconds(int seconds) {
  return WriteSettingOrWarn(kRefreshTimer, std::to_string(seconds));
}
bool SetBackColor(SettingColor color) {
  return WriteSettingOrWarn(kBackColor, std::to_string(color.value));
}
bool SetFontColor(SettingColor color) {
  return WriteSettingOrWarn(kFontColor, std::to_string(color.value));
}
bool SetFontSize(int size) { return WriteSettingOrWarn(kFontSize, std::to_string(size)); }
bool SetFontFace(std::string_view gbk_face) { return WriteSettingOrWarn(kFontType, gbk_face); }
bool SetTreeCitySide(TreeSide side) {
  return WriteSettingOrWarn(kTreeCity, side == TreeSide::kRight ? "Right" : "Left");
}
bool SetSoundOn(bool on) { return WriteSettingOrWarn(kSound, FlagText(on)); }
bool SetContactItemChecked(ContactItem item, bool checked) {
  return WriteSettingOrWarn(ContactItemSettingName(item), FlagText(checked));
}
bool SetAutoLoginChecked(bool checked) { return WriteSettingOrWarn(kAutoLogin, FlagText(checked)); }
bool SetRememberPasswordChecked(bool checked) {
  return WriteSettingOrWarn(kRememberPassword, FlagText(checked));
}
bool SetStoredUserName(std::string_view gbk_name) {
  return WriteSettingOrWarn(kUserName, gbk_name);
}
bool SetStoredPassword(std::string_view gbk_password) {
  return WriteSettingOrWarn(kPassword, gbk_password);
}
bool SetMultiArea(std::string_view gbk_areas) { return WriteSettingOrWarn(kMultiArea, gbk_areas); }
bool SetDesktopNotifyOn(bool on) { return WriteSettingOrWarn(kDesktopNotify, FlagText(on)); }
bool SetFoldRepeatsOn(bool on) { return WriteSettingOrWarn(kFoldRepeats, FlagText(on)); }

bool RecordProgramName(std::string_view name) { return WriteSetting(kMainKey, kProgramName, name); }
bool RecordStoredHost(std::string_view host) { return WriteSetting(kMainKey, kStoredHost, host); }
bool RecordStoredServerList(std::string_view list) {
  return WriteSetting(kMainKey, kStoredServerList, list);
}
bool RecordHistoryCount(long count) {
  return WriteSetting(kMainKey, kHistoryCount, std::to_string(count));
}
bool RecordTreeWidth(int width) {
  return WriteSetting(kMainKey, kTreeWidth, std::to_string(width));
}

}  // namespace tv
