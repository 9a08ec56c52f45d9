#pragma once
// Every single setting of the main key: its name, its default, and a typed
// reader (and, for what the member changes, a writer) over the settings store.
// Names are spelled exactly as they are stored.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tv {

inline constexpr std::string_view kProgramName = "PName";
inline constexpr std::string_view kStoredHost = "initloginurltavrelomin2";
inline constexpr std::string_view kStoredServerList = "GetServerUrltavrelomin2";
inline constexpr std::string_view kUserName = "usernametavrelomin";
inline constexpr std::string_view kPassword = "passwordtavrelomin";
inline constexpr std::string_view kRememberPassword = "nopasstavrelomin";
inline constexpr std::string_view kAutoLogin = "autologintavrelomin";
// "1": contact data are always masked and the masking toggle is locked.
inline constexpr std::string_view kContactAlwaysMasked = "pwdtavrelomin";
inline constexpr std::string_view kRefreshTimer = "RefreshTimertavrelomin";
inline constexpr std::string_view kTreeCity = "TreeCitytavrelomin";
// The multi-area text "A+B"; the stored name keeps its historical spelling.
inline constexpr std::string_view kMultiArea = "MutiArea_tavrelomin";
inline constexpr std::string_view kBackColor = "BackColortavrelomin";
inline constexpr std::string_view kFontColor = "FontColortavrelomin";
inline constexpr std::string_view kFontSize = "FontSizetavrelomin";
inline constexpr std::string_view kFontType = "FontTypetavrelomin";
inline constexpr std::string_view kSound = "Soundtavrelomin";
inline constexpr std::string_view kContactName = "strName1tavrelomin";
inline constexpr std::string_view kContactCompany = "strCompanytavrelomin";
inline constexpr std::string_view kContactTel = "strTeltavrelomin";
inline constexpr std::string_view kContactExtension = "strTel1tavrelomin";
inline constexpr std::string_view kContactMobile = "strSjtavrelomin";
inline constexpr std::string_view kContactNetPhone = "strSj1tavrelomin";
inline constexpr std::string_view kHistoryCount = "strCounttavrelomin";
// Our own: the width the member dragged the region tree to.
inline constexpr std::string_view kTreeWidth = "TreeWidthtavrelomin";
// Our own: "1" (the default) shows a desktop notification for new search
// matches while the main window is not in front; "0" never does.
inline constexpr std::string_view kDesktopNotify = "DesktopNotifytavrelomin";
// Our own: a CA certificate file (PEM) that TLS connections to the service
// trust beside the system's store, for a self-hosted service; empty: none.
inline constexpr std::string_view kTlsCaFile = "TlsCaFiletavrelomin";
// Our own: "1" (the default) folds the copies of a message in the lists into
// one row; "0" shows every copy.
inline constexpr std::string_view kFoldRepeats = "FoldRepeatstavrelomin";

// One row of the table. `default_utf8` is converted to GBK when used.
// `also_when_empty`: an empty stored text counts as absent too.
struct SettingDefault {
  std::string_view name;
  std::string_view default_utf8;
  bool also_when_empty;
};

// The whole table, in the order of the value names above.
std::span<const SettingDefault> SettingDefaults();
// The row of `name` (compared as the store compares names), or nullptr.
const SettingDefault* FindSettingDefault(std::string_view name);

// What a reader makes of a stored text (`stored` is ReadSetting's result):
// "Error", or for the rows marked also-when-empty the empty text, gives the
// default (GBK). A name without a row gives the stored text, "Error" as empty.
std::string ApplySettingDefault(std::string_view name, std::string_view stored);
// ReadSetting in the main key with ApplySettingDefault.
std::string ReadSettingOrDefault(std::string_view name);

// Conversions of the table's texts (pure, for tests and for callers that hold
// a text already).
// Decimal conversion as the stored numbers have always been read: leading
// blanks, a sign, digits up to the first other character; no digits give 0.
long ParseSettingNumber(std::string_view text);
// A period that is not a positive number counts as 10 seconds.
int RefreshPeriodFromText(std::string_view text);
// The font height in pixels, kept within the size slider's range: a stored
// text that is not a number converts to 0, which would draw invisible text.
inline constexpr int kMinFontSize = 5;
inline constexpr int kMaxFontSize = 40;
int FontSizeFromText(std::string_view text);
// The region tree's width in pixels, kept within what still shows a name and
// leaves the list its room; a text that is no positive number gives the
// default.
inline constexpr int kDefaultTreeWidth = 126;
inline constexpr int kMinTreeWidth = 80;
inline constexpr int kMaxTreeWidth = 480;
int TreeWidthFromText(std::string_view text);

// A colour as stored: 0x00BBGGRR, red in the low byte.
struct SettingColor {
  std::uint32_t value = 0;
  int red() const { return static_cast<int>(value & 0xFF); }
  int green() const { return static_cast<int>((value >> 8) & 0xFF); }
  int blue() const { return static_cast<int>((value >> 16) & 0xFF); }
  static SettingColor FromRgb(int red, int green, int blue) {
    return {static_cast<std::uint32_t>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16)};
  }
  friend bool operator==(SettingColor, SettingColor) = default;
};
SettingColor ColorFromText(std::string_view text);

enum class TreeSide { kLeft, kRight };
// The six items of the contact block, each with its own check box.
enum class ContactItem { kName, kCompany, kTel, kExtension, kMobile, kNetPhone };
std::string_view ContactItemSettingName(ContactItem item);

// Typed readers (main key, defaults applied). Safe on worker threads.
int RefreshPeriodSeconds();
SettingColor BackColor();
SettingColor FontColor();
int FontSize();
std::string FontFace();  // GBK
TreeSide TreeCitySide();
bool SoundOn();
bool ContactItemChecked(ContactItem item);
bool ContactAlwaysMasked();  // "pwdtavrelomin"
bool AutoLoginChecked();
bool RememberPasswordChecked();
std::string StoredUserName();
std::string StoredPassword();
std::string StoredHost();
std::string StoredServerList();
std::string MultiArea();
long HistoryCount();
int TreeWidth();
bool DesktopNotifyOn();
std::string TlsCaFile();
bool FoldRepeatsOn();

// Writers of what the member changes: through WriteSettingOrWarn, so a failure
// shows the notice; the caller keeps the new value for the run either way.
bool SetRefreshPeriodSeconds(int seconds);
bool SetBackColor(SettingColor color);
bool SetFontColor(SettingColor color);
bool SetFontSize(int size);
bool SetFontFace(std::string_view gbk_face);
bool SetTreeCitySide(TreeSide side);
bool SetSoundOn(bool on);
bool SetContactItemChecked(ContactItem item, bool checked);
bool SetAutoLoginChecked(bool checked);
bool SetRememberPasswordChecked(bool checked);
bool SetStoredUserName(std::string_view gbk_name);
bool SetStoredPassword(std::string_view gbk_password);
bool SetMultiArea(std::string_view gbk_areas);
bool SetDesktopNotifyOn(bool on);
bool SetFoldRepeatsOn(bool on);

// Writes the program does on its own: a failure is ignored by the callers, and
// nothing is shown.
bool RecordProgramName(std::string_view name);
bool RecordStoredHost(std::string_view host);
bool RecordStoredServerList(std::string_view list);
bool RecordHistoryCount(long count);
bool RecordTreeWidth(int width);

}  // namespace tv
