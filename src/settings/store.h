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
  // Opens (creating it and its folder when missing, mode 0600) the store file,
  // with the main key and the logon list key in it. A file that cannot be
  // written is opened for reading; a damaged file is moved aside to
  // PATH.damaged-YYYYMMDD-HHMMSS and a fresh store started (when it cannot be
  // moved, nothing is read or written). Never returns null, never throws.
  static std::unique_ptr<SettingsStore> Open(const std::string& path,
                                             SettingsAccess access = SettingsAccess::kReadWrite);
  // $TARVOLO_SETTINGS, else $XDG_CONFIG_HOME/tarvolo/settings.db (~/.config).
  static std::string DefaultPath();

  // "Error" for a missing key or value, or a text of 500 bytes or more.
  // Safe from any thread.
  virtual std::string Read(std::string_view key, std::string_view name) = 0;
  // False when the key does not exist (never creates it) or the store cannot
  // be written. Names and texts end at a zero byte, as C strings do. A rewrite
  // keeps the value's place in the enumeration and its first spelling.
  virtual bool Write(std::string_view key, std::string_view name, std::string_view text) = 0;
  // Creates the key and the keys above it; true when it exists afterwards.
  virtual bool CreateKey(std::string_view key) = 0;
  // False when the value is missing.
  virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
  // Deletes a value that must not linger in the file (a password): its bytes
  // are overwritten before the row goes, and the write-ahead log is folded
  // into the file and emptied, so no copy stays behind in either. False when
  // the value is missing or the store cannot be written.
  virtual bool EraseValue(std::string_view key, std::string_view name) {
    return DeleteValue(key, name);
  }
  // Removes the key with its values. False when it is missing or still has a
  // key below it (as the registry refuses; so the main key never takes the
  // history keys along).
  virtual bool DeleteKey(std::string_view key) = 0;
  // The key's values in the order they were first written.
  virtual std::vector<SettingValue> Enumerate(std::string_view key) = 0;

  // Whether the key exists (Enumerate cannot tell a missing key from an empty one).
  virtual bool KeyExists(std::string_view key) { return !Enumerate(key).empty(); }
  // Where a damaged file found by Open was moved; empty when none was.
  virtual std::string MovedAsidePath() const { return {}; }
};

// The folder part of a path ("" when it has none, "/" at the root).
std::string FolderOf(const std::string& path);
// Creates `path` empty with mode 0600 when missing, and its folders with mode
// 0700: a file of the program's is private from its first byte.
void CreatePrivateFile(const std::string& path);

// The process-wide store, opened on first use at DefaultPath(). Tests point it
// elsewhere with UseSettingsStore (nullptr: back to the default on next use).
SettingsStore& Settings();
void UseSettingsStore(std::unique_ptr<SettingsStore> store);

// Free functions over Settings(), as the rest of the program calls them.
std::string ReadSetting(std::string_view key, std::string_view name);
bool WriteSetting(std::string_view key, std::string_view name, std::string_view text);
bool CreateSettingKey(std::string_view key);
bool DeleteSetting(std::string_view key, std::string_view name);
bool EraseSetting(std::string_view key, std::string_view name);
bool DeleteSettingKey(std::string_view key);
std::vector<SettingValue> EnumerateSettings(std::string_view key);
bool SettingKeyExists(std::string_view key);
// WriteSetting in the main key; on failure shows the "写入注册表错误" notice.
bool WriteSettingOrWarn(std::string_view name, std::string_view text);

}  // namespace tv

// Typed readers of the single settings with their defaults: settings/values.h.
