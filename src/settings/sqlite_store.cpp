#include "settings/sqlite_store.h"

#include <array>

#include "core/gbk.h"
#include "settings/key_path.h"
#include "settings/store_space.h"

namespace tv {

namespace {

enum Sql {
  kReadSql,
  kEnumerateSql,
  kKeyExistsSql,
  kWriteSql,
  kCreateKeySql,
  kDeleteValueSql,
  kBlankValueSql,
  kHasSubkeysSql,
  kDeleteKeyValuesSql,
  kDeleteKeySql,
  kSqlCount
};

// ?1 is always the folded key path. Values keep their first-written position:
// the upsert rewrites the text in place, so seq (the rowid) does not move.
constexpr std::array<const char*, kSqlCount> kSqlText = {
    "SELECT v.text FROM setting_values v JOIN setting_keys k ON k.id = v.key_id"
    " WHERE k.folded = ?1 AND v.folded = ?2",
    "SELECT v.name, v.text FROM setting_values v JOIN setting_keys k ON k.id = v.key_id"
    " WHERE k.folded = ?1 ORDER BY v.seq",
    "SELECT 1 FROM setting_keys WHERE folded = ?1",
    "INSERT INTO setting_values(key_id, folded, name, text)"
    " SELECT id, ?2, ?3, ?4 FROM setting_keys WHERE folded = ?1"
    " ON CONFLICT(key_id, folded) DO UPDATE SET text = excluded.text",
    "INSERT OR IGNORE INTO setting_keys(folded, path) VALUES(?1, ?2)",
    "DELETE FROM setting_values"
    " WHERE folded = ?2 AND key_id = (SELECT id FROM setting_keys WHERE folded = ?1)",
    "UPDATE setting_values SET text = zeroblob(length(text))"
    " WHERE folded = ?2 AND key_id = (SELECT id FROM setting_keys WHERE folded = ?1)",
    // Subkeys of k sort between "k\" and "k]" (']' follows '\').
    "SELECT 1 FROM setting_keys WHERE folded >= ?1 AND folded < ?2 LIMIT 1",
    "DELETE FROM setting_values WHERE key_id = (SELECT id FROM setting_keys WHERE folded = ?1)",
    "DELETE FROM setting_keys WHERE folded = ?1",
};

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS setting_keys("
    " id INTEGER PRIMARY KEY, folded BLOB NOT NULL UNIQUE, path BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS setting_values("
    " seq INTEGER PRIMARY KEY, key_id INTEGER NOT NULL, folded BLOB NOT NULL,"
    " name BLOB NOT NULL, text BLOB NOT NULL, UNIQUE(key_id, folded));";

std::string ColumnBytes(sqlite3_stmt* stmt, int column) {
  const void* data = sqlite3_column_blob(stmt, column);
  int size = sqlite3_column_bytes(stmt, column);
  if (data == nullptr || size <= 0) return {};
  return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

void Bind(sqlite3_stmt* stmt, int index, std::string_view bytes) {
  // SQLITE_STATIC: every bound text outlives the step that reads it.
  sqlite3_bind_blob(stmt, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()),
                    SQLITE_STATIC);
}

// A file that is not a sound database.
bool IsDamage(int rc) {
  int primary = rc & 0xFF;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_FORMAT;
}

SqliteSettingsStore::OpenResult FromCheck(int rc) {
  return IsDamage(rc) ? SqliteSettingsStore::OpenResult::kDamaged
                      : SqliteSettingsStore::OpenResult::kUnavailable;
}

// Setting up the tables: a sound database whose tables are not laid out as
// ours (SQLITE_ERROR) counts as damaged too, since it cannot be used.
SqliteSettingsStore::OpenResult FromLayout(int rc) {
  return IsDamage(rc) || (rc & 0xFF) == SQLITE_ERROR
             ? SqliteSettingsStore::OpenResult::kDamaged
             : SqliteSettingsStore::OpenResult::kUnavailable;
}

}  // namespace

// One SQLite connection with its prepared statements. Used by one thread at a
// time (the writer under its mutex, a reader while it is out of the pool).
class SettingsConnection {
 public:
  static std::unique_ptr<SettingsConnection> Open(const std::string& uri, int flags, int* rc) {
    sqlite3* db = nullptr;
    *rc = sqlite3_open_v2(uri.c_str(), &db, flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (*rc != SQLITE_OK) {
      sqlite3_close_v2(db);
      return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    // Another process (tarvolo-cli beside the client) may hold the write lock.
    sqlite3_busy_timeout(db, 5000);
    return std::unique_ptr<SettingsConnection>(new SettingsConnection(db));
  }

  ~SettingsConnection() {
    for (sqlite3_stmt* stmt : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
  }
  SettingsConnection(const SettingsConnection&) = delete;
  SettingsConnection& operator=(const SettingsConnection&) = delete;

  sqlite3* db() const { return db_; }

  // The cached statement, or nullptr when it cannot be prepared (no tables).
  sqlite3_stmt* Statement(Sql which) {
    sqlite3_stmt*& stmt = statements_[which];
    if (stmt == nullptr) {
      if (sqlite3_prepare_v3(db_, kSqlText[which], -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
          SQLITE_OK) {
        stmt = nullptr;
      }
    }
    return stmt;
  }

  int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

  // SQLITE_OK when the file checks as a sound database.
  int QuickCheck() {
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
      rc = sqlite3_step(stmt);
      if (rc == SQLITE_ROW) {
        const unsigned char* verdict = sqlite3_column_text(stmt, 0);
        rc = verdict != nullptr && std::string_view(reinterpret_cast<const char*>(verdict)) == "ok"
                 ? SQLITE_OK
                 : SQLITE_CORRUPT;
      }
    }
    sqlite3_finalize(stmt);
    return rc;
  }

 private:
  explicit SettingsConnection(sqlite3* db) : db_(db) {}

  sqlite3* db_;
  std::array<sqlite3_stmt*, kSqlCount> statements_{};
};

namespace {

// Resets and unbinds a cached statement when a call is done with it.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~StatementUse() {
    if (stmt_ != nullptr) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;
  sqlite3_stmt* get() const { return stmt_; }
  explicit operator bool() const { return stmt_ != nullptr; }

 private:
  sqlite3_stmt* stmt_;
};

// Runs a statement that returns no rows; true when it ran to the end.
bool StepDone(sqlite3_stmt* stmt) { return sqlite3_step(stmt) == SQLITE_DONE; }

}  // namespace

SqliteSettingsStore::SqliteSettingsStore(std::string uri, int reader_flags, bool writable)
    : uri_(std::move(uri)), reader_flags_(reader_flags), writable_(writable) {}

SqliteSettingsStore::~SqliteSettingsStore() {
  idle_readers_.clear();
  writer_.reset();
}

SqliteSettingsStore::OpenResult SqliteSettingsStore::Start() {
  int rc = SQLITE_OK;
  if (!writable_) {
    std::unique_ptr<SettingsConnection> reader = SettingsConnection::Open(uri_, reader_flags_, &rc);
    if (!reader) return OpenResult::kUnavailable;
    rc = reader->QuickCheck();
    if (rc != SQLITE_OK) return FromCheck(rc);
    ReleaseReader(std::move(reader));
    return OpenResult::kOk;
  }

  // Check through a reading connection before anything is written: a damaged
  // file (and its log) is moved aside as found.
  {
    std::unique_ptr<SettingsConnection> reader = SettingsConnection::Open(uri_, reader_flags_, &rc);
    if (reader) rc = reader->QuickCheck();
    if (rc != SQLITE_OK) return FromCheck(rc);
    ReleaseReader(std::move(reader));
  }
  writer_ = SettingsConnection::Open(uri_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &rc);
  if (!writer_) return OpenResult::kUnavailable;
  // SQLite quietly opens a write-protected file for reading only.
  if (sqlite3_db_readonly(writer_->db(), "main") != 0) return OpenResult::kUnavailable;
  rc = writer_->Exec("PRAGMA journal_mode=WAL");
  // An error other than damage here: the file or its folder cannot be written.
  if (rc != SQLITE_OK) return FromCheck(rc);
  // A write that reported success must survive the process being killed at any
  // moment, and a power cut too: settings are written rarely, the fsync is cheap.
  rc = writer_->Exec("PRAGMA synchronous=FULL");
  // What is deleted or rewritten is zeroed in the file, not only unlinked: an
  // old password must not stay readable in a free block of a page.
  if (rc == SQLITE_OK) rc = writer_->Exec("PRAGMA secure_delete=ON");
  if (rc == SQLITE_OK) rc = writer_->Exec(kSchema);
  if (rc != SQLITE_OK) return FromLayout(rc);
  for (Sql sql : {kReadSql, kEnumerateSql, kWriteSql, kCreateKeySql, kDeleteKeySql}) {
    if (writer_->Statement(sql) == nullptr) return FromLayout(sqlite3_errcode(writer_->db()));
  }
  // The main key always exists; the logon list exists so that cleaning it at
  // start-up has something to look at.
  std::lock_guard lock(write_mutex_);
  if (!CreateKeyLocked(FoldKeyPath(kMainKey), TrimKeyPath(kMainKey)) ||
      !CreateKeyLocked(FoldKeyPath(kRunKey), TrimKeyPath(kRunKey))) {
    return OpenResult::kUnavailable;
  }
  return OpenResult::kOk;
}

std::unique_ptr<SettingsConnection> SqliteSettingsStore::AcquireReader() {
  {
    std::lock_guard lock(pool_mutex_);
    if (!idle_readers_.empty()) {
      std::unique_ptr<SettingsConnection> reader = std::move(idle_readers_.back());
      idle_readers_.pop_back();
      return reader;
    }
  }
  int rc = SQLITE_OK;
  return SettingsConnection::Open(uri_, reader_flags_, &rc);
}

void SqliteSettingsStore::ReleaseReader(std::unique_ptr<SettingsConnection> connection) {
  if (!connection) return;
  std::lock_guard lock(pool_mutex_);
  idle_readers_.push_back(std::move(connection));
}

std::string SqliteSettingsStore::Read(std::string_view key, std::string_view name) {
  std::string folded_key = FoldKeyPath(key);
  std::string folded_name = FoldSettingName(CutAtZero(name));
  if (folded_key.empty()) return std::string(kError);
  std::unique_ptr<SettingsConnection> reader = AcquireReader();
  if (!reader) return std::string(kError);
  std::string result(kError);
  {
    StatementUse stmt(reader->Statement(kReadSql));
    if (stmt) {
      Bind(stmt.get(), 1, folded_key);
      Bind(stmt.get(), 2, folded_name);
      if (sqlite3_step(stmt.get()) == SQLITE_ROW &&
          static_cast<std::size_t>(sqlite3_column_bytes(stmt.get(), 0)) < kSettingBufferSize) {
        result = ColumnBytes(stmt.get(), 0);
      }
    }
  }
  ReleaseReader(std::move(reader));
  return result;
}

std::vector<SettingValue> SqliteSettingsStore::Enumerate(std::string_view key) {
  std::vector<SettingValue> values;
  std::string folded_key = FoldKeyPath(key);
  if (folded_key.empty()) return values;
  std::unique_ptr<SettingsConnection> reader = AcquireReader();
  if (!reader) return values;
  {
    StatementUse stmt(reader->Statement(kEnumerateSql));
    if (stmt) {
      Bind(stmt.get(), 1, folded_key);
      while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        values.push_back({ColumnBytes(stmt.get(), 0), ColumnBytes(stmt.get(), 1)});
      }
    }
  }
  ReleaseReader(std::move(reader));
  return values;
}

bool SqliteSettingsStore::KeyExists(std::string_view key) {
  std::string folded_key = FoldKeyPath(key);
  if (folded_key.empty()) return false;
  std::unique_ptr<SettingsConnection> reader = AcquireReader();
  if (!reader) return false;
  bool exists = false;
  {
    StatementUse stmt(reader->Statement(kKeyExistsSql));
    if (stmt) {
      Bind(stmt.get(), 1, folded_key);
      exists = sqlite3_step(stmt.get()) == SQLITE_ROW;
    }
  }
  ReleaseReader(std::move(reader));
  return exists;
}

bool SqliteSettingsStore::Write(std::string_view key, std::string_view name,
                                std::string_view text) {
  if (!writable_) return false;
  std::string folded_key = FoldKeyPath(key);
  name = CutAtZero(name);
  std::string folded_name = FoldSettingName(name);
  text = CutAtZero(text);
  if (folded_key.empty()) return false;
  std::lock_guard lock(write_mutex_);
  StatementUse stmt(writer_->Statement(kWriteSql));
  if (!stmt) return false;
  Bind(stmt.get(), 1, folded_key);
  Bind(stmt.get(), 2, folded_name);
  Bind(stmt.get(), 3, name);
  Bind(stmt.get(), 4, text);
  const int before = sqlite3_total_changes(writer_->db());
  const bool done = StepDone(stmt.get());
  NoteStoreWrite(writer_->db(), done, before);
  // No row is written when the key is missing: writes never create keys.
  return done && sqlite3_changes(writer_->db()) > 0;
}

bool SqliteSettingsStore::CreateKeyLocked(const std::string& folded, std::string_view path) {
  StatementUse stmt(writer_->Statement(kCreateKeySql));
  if (!stmt) return false;
  Bind(stmt.get(), 1, folded);
  Bind(stmt.get(), 2, path);
  return StepDone(stmt.get());
}

bool SqliteSettingsStore::CreateKey(std::string_view key) {
  if (!writable_) return false;
  std::string_view path = TrimKeyPath(key);
  if (path.empty()) return false;
  std::lock_guard lock(write_mutex_);
  // As in a registry, the keys on the way down come into being too.
  const int before = sqlite3_total_changes(writer_->db());
  if (writer_->Exec("BEGIN IMMEDIATE") != SQLITE_OK) return false;
  bool ok = true;
  for (std::string_view ancestor : KeyPathAncestors(path)) {
    if (!ancestor.empty()) ok = ok && CreateKeyLocked(FoldSettingName(ancestor), ancestor);
  }
  ok = ok && CreateKeyLocked(FoldSettingName(path), path);
  ok = ok && writer_->Exec("COMMIT") == SQLITE_OK;
  NoteStoreWrite(writer_->db(), ok, before);
  if (ok) return true;
  writer_->Exec("ROLLBACK");
  return false;
}

bool SqliteSettingsStore::DeleteValue(std::string_view key, std::string_view name) {
  if (!writable_) return false;
  std::string folded_key = FoldKeyPath(key);
  std::string folded_name = FoldSettingName(CutAtZero(name));
  if (folded_key.empty()) return false;
  std::lock_guard lock(write_mutex_);
  StatementUse stmt(writer_->Statement(kDeleteValueSql));
  if (!stmt) return false;
  Bind(stmt.get(), 1, folded_key);
  Bind(stmt.get(), 2, folded_name);
  const int before = sqlite3_total_changes(writer_->db());
  const bool done = StepDone(stmt.get());
  NoteStoreWrite(writer_->db(), done, before);
  return done && sqlite3_changes(writer_->db()) > 0;
}

bool SqliteSettingsStore::EraseValue(std::string_view key, std::string_view name) {
  if (!writable_) return false;
  std::string folded_key = FoldKeyPath(key);
  std::string folded_name = FoldSettingName(CutAtZero(name));
  if (folded_key.empty()) return false;
  std::lock_guard lock(write_mutex_);
  const int before = sqlite3_total_changes(writer_->db());
  if (writer_->Exec("BEGIN IMMEDIATE") != SQLITE_OK) return false;
  bool ok = false;
  {
    // Zeros of the same length first, so the text is overwritten in place
    // whatever the page does with the freed cell afterwards.
    StatementUse blank(writer_->Statement(kBlankValueSql));
    StatementUse remove(writer_->Statement(kDeleteValueSql));
    if (blank && remove) {
      for (sqlite3_stmt* stmt : {blank.get(), remove.get()}) {
        Bind(stmt, 1, folded_key);
        Bind(stmt, 2, folded_name);
      }
      ok = StepDone(blank.get()) && StepDone(remove.get()) && sqlite3_changes(writer_->db()) > 0;
    }
  }
  ok = ok && writer_->Exec("COMMIT") == SQLITE_OK;
  NoteStoreWrite(writer_->db(), ok, before);
  if (!ok) {
    writer_->Exec("ROLLBACK");
    return false;
  }
  // The log still holds the pages as they were before: fold it into the file
  // and cut it to nothing. A reader of another process may hold it for a
  // moment (the busy timeout waits for that); the value is gone either way.
  writer_->Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  return true;
}

bool SqliteSettingsStore::DeleteKey(std::string_view key) {
  if (!writable_) return false;
  std::string folded_key = FoldKeyPath(key);
  if (folded_key.empty()) return false;
  std::string subkeys_from = folded_key + '\\';
  std::string subkeys_to = folded_key + ']';
  std::lock_guard lock(write_mutex_);
  const int before = sqlite3_total_changes(writer_->db());
  if (writer_->Exec("BEGIN IMMEDIATE") != SQLITE_OK) return false;
  bool ok = false;
  {
    // A key that still has subkeys stays, as the registry refuses it: dropping
    // the main key must never take the history keys below it along.
    StatementUse subkeys(writer_->Statement(kHasSubkeysSql));
    StatementUse values(writer_->Statement(kDeleteKeyValuesSql));
    StatementUse keys(writer_->Statement(kDeleteKeySql));
    if (subkeys && values && keys) {
      Bind(subkeys.get(), 1, subkeys_from);
      Bind(subkeys.get(), 2, subkeys_to);
      Bind(values.get(), 1, folded_key);
      Bind(keys.get(), 1, folded_key);
      ok = sqlite3_step(subkeys.get()) == SQLITE_DONE && StepDone(values.get()) &&
           StepDone(keys.get()) && sqlite3_changes(writer_->db()) > 0;
    }
  }
  ok = ok && writer_->Exec("COMMIT") == SQLITE_OK;
  NoteStoreWrite(writer_->db(), ok, before);
  if (ok) return true;
  writer_->Exec("ROLLBACK");
  return false;
}

}  // namespace tv
