#include "settings/blocked_members.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>

#include "settings/store.h"
#include "settings/store_space.h"

namespace tv {
namespace {

// The number is kept as text: member numbers are compared as written.
constexpr const char* kInsertSql =
    "INSERT OR REPLACE INTO blocked(number, company, tel, blocked_at) "
    "VALUES(CAST(?1 AS TEXT), ?2, ?3, ?4)";

}  // namespace

std::string BlockedMembers::DefaultPath() {
  const std::string settings = SettingsStore::DefaultPath();
  const std::size_t slash = settings.rfind('/');
  return (slash == std::string::npos ? std::string() : settings.substr(0, slash + 1)) +
         "blocked.db";
}

BlockedMembers& BlockedMembers::Shared() {
  static BlockedMembers list(DefaultPath());
  return list;
}

BlockedMembers::BlockedMembers(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  sqlite3_busy_timeout(db_, 2000);
  if (sqlite3_exec(db_,
                   "PRAGMA journal_mode=WAL;"
                   "CREATE TABLE IF NOT EXISTS blocked(number TEXT PRIMARY KEY, company BLOB "
                   "NOT NULL, tel BLOB NOT NULL, blocked_at INTEGER NOT NULL)",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  Load();
}

BlockedMembers::~BlockedMembers() {
  if (db_ != nullptr) sqlite3_close(db_);
}

void BlockedMembers::Load() {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_,
                         "SELECT number, company, tel, blocked_at FROM blocked "
                         "ORDER BY blocked_at DESC, rowid DESC",
                         -1, &s, nullptr) != SQLITE_OK) {
    return;
  }
  const auto text = [s](int column) {
    const void* bytes = sqlite3_column_blob(s, column);
    return std::string(static_cast<const char*>(bytes),
                       bytes ? static_cast<std::size_t>(sqlite3_column_bytes(s, column)) : 0);
  };
  while (sqlite3_step(s) == SQLITE_ROW) {
    BlockedMember m{text(0), text(1), text(2), sqlite3_column_int64(s, 3)};
    if (numbers_.insert(m.number).second) list_.push_back(std::move(m));
  }
  sqlite3_finalize(s);
}

bool BlockedMembers::Exec(const char* sql, const std::vector<std::string>& texts,
                          std::int64_t last_int) {
  if (db_ == nullptr) return false;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) return false;
  int i = 1;
  for (const std::string& t : texts) {
    // GBK bytes go in as they are (blobs): SQLite's text functions expect UTF-8.
    sqlite3_bind_blob(s, i++, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
  if (last_int != 0) sqlite3_bind_int64(s, i, last_int);
  const int before = sqlite3_total_changes(db_);
  const bool ok = sqlite3_step(s) == SQLITE_DONE;
  NoteStoreWrite(db_, ok, before);
  sqlite3_finalize(s);
  return ok;
}

void BlockedMembers::Store(const char* sql, const std::vector<std::string>& texts,
                           std::int64_t last_int) {
  if (db_ == nullptr) return;
  unsaved_ = unsaved_ ? !Rewrite() : !Exec(sql, texts, last_int);
}

bool BlockedMembers::Rewrite() {
  const int before = sqlite3_total_changes(db_);
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  bool ok = sqlite3_exec(db_, "DELETE FROM blocked", nullptr, nullptr, nullptr) == SQLITE_OK;
  // Oldest first: the list reads back newest first, ties by insertion.
  for (auto m = list_.rbegin(); ok && m != list_.rend(); ++m) {
    ok = Exec(kInsertSql, {m->number, m->company, m->tel}, m->blocked_at);
  }
  ok = ok && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  NoteStoreWrite(db_, ok, before);
  if (!ok) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return ok;
}

bool BlockedMembers::Blocked(std::string_view number) const {
  return !number.empty() && numbers_.count(std::string(number)) > 0;
}

bool BlockedMembers::Block(const BlockedMember& member) {
  if (member.number.empty()) return false;
  BlockedMember m = member;
  if (m.blocked_at == 0) m.blocked_at = static_cast<std::int64_t>(std::time(nullptr));
  const auto same = [&m](const BlockedMember& b) { return b.number == m.number; };
  list_.erase(std::remove_if(list_.begin(), list_.end(), same), list_.end());
  list_.insert(list_.begin(), m);
  numbers_.insert(m.number);
  Store(kInsertSql, {m.number, m.company, m.tel}, m.blocked_at);
  return true;
}

void BlockedMembers::Unblock(std::string_view number) {
  const std::string key(number);
  if (numbers_.erase(key) == 0) return;
  list_.erase(std::remove_if(list_.begin(), list_.end(),
                             [&key](const BlockedMember& b) { return b.number == key; }),
              list_.end());
  Store("DELETE FROM blocked WHERE number = CAST(?1 AS TEXT)", {key});
}

}  // namespace tv
