#pragma once
// The SQLite implementation of SettingsStore. One writer connection guarded by a
// mutex (only the UI thread writes, the mutex keeps a stray second writer safe)
// and a pool of reader connections: in WAL mode a reader never waits for the
// writer, so workers reading the display settings do not stall on a write.
#include <sqlite3.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "settings/store.h"

namespace tv {

// A value is read into a buffer of this size, terminator included: a text of
// 500 bytes or more reads as "Error".
inline constexpr std::size_t kSettingBufferSize = 500;

class SettingsConnection;

class SqliteSettingsStore : public SettingsStore {
 public:
  enum class OpenResult { kOk, kDamaged, kUnavailable };

  // `uri` is a "file:" URI; `writable` selects the writer connection.
  SqliteSettingsStore(std::string uri, int reader_flags, bool writable);
  ~SqliteSettingsStore() override;
  SqliteSettingsStore(const SqliteSettingsStore&) = delete;
  SqliteSettingsStore& operator=(const SqliteSettingsStore&) = delete;

  // Opens the database, checks it and (when writable) sets up WAL, the tables
  // and the keys that always exist. kDamaged: the file is not a sound database.
  OpenResult Start();

  std::string Read(std::string_view key, std::string_view name) override;
  bool Write(std::string_view key, std::string_view name, std::string_view text) override;
  bool CreateKey(std::string_view key) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool EraseValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<SettingValue> Enumerate(std::string_view key) override;
  bool KeyExists(std::string_view key) override;
  std::string MovedAsidePath() const override { return moved_aside_; }

  void SetMovedAsidePath(std::string path) { moved_aside_ = std::move(path); }

 private:
  std::unique_ptr<SettingsConnection> AcquireReader();
  void ReleaseReader(std::unique_ptr<SettingsConnection> connection);
  bool CreateKeyLocked(const std::string& folded, std::string_view path);

  std::string uri_;
  int reader_flags_;
  bool writable_;
  std::string moved_aside_;

  std::mutex write_mutex_;
  std::unique_ptr<SettingsConnection> writer_;

  std::mutex pool_mutex_;
  std::vector<std::unique_ptr<SettingsConnection>> idle_readers_;
};

}  // namespace tv
