#pragma once
// The settings store: named GBK text values under backslash-separated key paths,
// with registry semantics (paths and names compared without regard to ASCII case,
// values enumerate in first-written order, a value over 499 bytes reads as
// "Error", writes never create a key). Backed by one SQLite file in WAL mode.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv {

inline constexpr std::string_view kMainKey = "Software\\Microsoft\\Windows\\CurrentVersion\\";
inline constexpr std::string_view kHistoryKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\tavrelomin\\";
inline constexpr std::string_view kLocalSearchKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\tavrelomin_EndCity\\";
inline constexpr std::string_view kWideSearchKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\83920_EndCity\\";
inline constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

struct SettingValue {
  std::string name;
  std::string text;
};

// kReadOnly opens the file for reading only, as when the file or its folder
// cannot be written: every write then returns false. Tests use it to stage an
// unwritable store where chmod does not stop the writer (root).
enum class SettingsAccess { kReadWrite, kReadOnly };

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Opens (creating when missing, mode 0600) the store file. A damaged file is
  // moved aside and a fresh store started. Never returns null.
  static std::unique_ptr<SettingsStore> Open(const std::string& path,
                                             SettingsAccess access = SettingsAccess::kReadWrite);
  // $TARVOLO_SETTINGS, else $XDG_CONFIG_HOME/tarvolo/settings.db (~/.config).
  static std::string DefaultPath();

  virtual std::string Read(std::string_view key, std::string_view name) = 0;
  virtual bool Write(std::string_view key, std::string_view name, std::string_view text) = 0;
  virtual bool CreateKey(std::string_view key) = 0;
  virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
  virtual bool DeleteKey(std::string_view key) = 0;
  virtual std::vector<SettingValue> Enumerate(std::string_view key) = 0;

  // Whether the key exists (Enumerate cannot tell a missing key from an empty one).
  virtual bool KeyExists(std::string_view key) { return !Enumerate(key).empty(); }
  // Where a damaged file found by Open was moved; empty when none was.
  virtual std::string MovedAsidePath() const { return {}; }
};

// The process-wide store, opened on first use at DefaultPath(). Tests point it
// elsewhere with UseSettingsStore (nullptr: back to the default on next use).
SettingsStore& Settings();
void UseSettingsStore(std::unique_ptr<SettingsStore> store);

// Free functions over Settings(), as the rest of the program calls them.
std::string ReadSetting(std::string_view key, std::string_view name);
bool WriteSetting(std::string_view key, std::string_view name, std::string_view text);
bool CreateSettingKey(std::string_view key);
bool DeleteSetting(std::string_view key, std::string_view name);
bool DeleteSettingKey(std::string_view key);
std::vector<SettingValue> EnumerateSettings(std::string_view key);
bool SettingKeyExists(std::string_view key);
// WriteSetting in the main key; on failure shows the "写入注册表错误" notice.
bool WriteSettingOrWarn(std::string_view name, std::string_view text);

}  // namespace tv

// Typed readers of the single settings with their defaults: settings/values.h.
