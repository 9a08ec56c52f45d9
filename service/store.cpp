#include "store.h"

#include <algorithm>

#include "text_match.h"

namespace tv {
namespace {

constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS messages(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  city TEXT NOT NULL,
  start_city TEXT NOT NULL,
  type INTEGER NOT NULL,
  content TEXT NOT NULL,
  tel TEXT NOT NULL,
  qq TEXT NOT NULL DEFAULT '',
  company TEXT NOT NULL DEFAULT '',
  flag INTEGER NOT NULL DEFAULT 0,
  deal INTEGER NOT NULL DEFAULT 0,
  time TEXT NOT NULL,
  created INTEGER NOT NULL,
  deleted INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS messages_by_flag ON messages(flag, created);
CREATE INDEX IF NOT EXISTS messages_city_view ON messages(city, deleted, type);
CREATE INDEX IF NOT EXISTS messages_start_city_view ON messages(start_city, deleted, type);
CREATE TABLE IF NOT EXISTS deleted_log(
  log_id INTEGER PRIMARY KEY AUTOINCREMENT,
  info_id INTEGER NOT NULL,
  at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS closed_log(
  log_id INTEGER PRIMARY KEY AUTOINCREMENT,
  info_id INTEGER NOT NULL,
  at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS members(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  username TEXT NOT NULL UNIQUE COLLATE NOCASE,
  pass_hash TEXT NOT NULL,
  real_name TEXT NOT NULL DEFAULT '', sex TEXT NOT NULL DEFAULT '',
  company TEXT NOT NULL DEFAULT '', phone TEXT NOT NULL DEFAULT '',
  mobile TEXT NOT NULL DEFAULT '', net_phone TEXT NOT NULL DEFAULT '',
  extension TEXT NOT NULL DEFAULT '', city TEXT NOT NULL DEFAULT '',
  province TEXT NOT NULL DEFAULT '', url TEXT NOT NULL DEFAULT '',
  email TEXT NOT NULL DEFAULT '', address TEXT NOT NULL DEFAULT '',
  post TEXT NOT NULL DEFAULT '', town TEXT NOT NULL DEFAULT '',
  member_status INTEGER NOT NULL DEFAULT 1,
  contact_wait_flag INTEGER NOT NULL DEFAULT 0,
  contact_wait_seconds INTEGER NOT NULL DEFAULT 0,
  contact_right INTEGER NOT NULL DEFAULT 1,
  approved INTEGER NOT NULL DEFAULT 1,
  publish_right INTEGER NOT NULL DEFAULT 1,
  publish_wait_seconds INTEGER NOT NULL DEFAULT 0,
  info_num INTEGER NOT NULL DEFAULT 1,
  content_limit INTEGER NOT NULL DEFAULT 100,
  created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS friends(
  entry_id INTEGER PRIMARY KEY AUTOINCREMENT,
  owner INTEGER NOT NULL REFERENCES members(id),
  friend_id INTEGER NOT NULL REFERENCES members(id),
  company TEXT NOT NULL DEFAULT '',
  qq TEXT NOT NULL DEFAULT '',
  net_phone TEXT NOT NULL DEFAULT '',
  UNIQUE(owner, friend_id));
)sql";

constexpr char kMessageColumns[] =
    "SELECT id, city, start_city, type, content, tel, qq, company, flag, deal, time FROM messages";

// Parameters: ?1 type, ?2 flag, ?4 words, ?5 offset or identifier, ?6 limit,
// ?10 on the cities. The cities are spelled out as an IN list so the city
// indexes serve it; one statement per list length stays in the cache.
constexpr int kFirstCityParam = 10;
constexpr std::size_t kMaxCities = 200;

std::string WhereOf(const MessageFilter& f) {
  std::string w = " WHERE deleted = 0";
  if (f.type) w += " AND type = ?1";
  if (f.flag) w += " AND flag = ?2";
  if (!f.cities.empty()) {
    std::string list;
    const std::size_t n = std::min(f.cities.size(), kMaxCities);
    for (std::size_t i = 0; i < n; ++i) {
      if (i) list += ", ";
      list += "?" + std::to_string(kFirstCityParam + static_cast<int>(i));
    }
    w += " AND (city IN (" + list + ") OR start_city IN (" + list + "))";
  }
  if (!f.words.empty()) {
    w += f.words_in_tel ? " AND (tv_names_any(content, ?4) OR tv_names_any(tel, ?4))"
                        : " AND tv_names_any(content, ?4)";
  }
  return w;
}

void BindFilter(SqlStmt& s, const MessageFilter& f) {
  if (f.type) s.Bind(1, std::int64_t{*f.type});
  if (f.flag) s.Bind(2, *f.flag);
  const std::size_t n = std::min(f.cities.size(), kMaxCities);
  for (std::size_t i = 0; i < n; ++i) s.Bind(kFirstCityParam + static_cast<int>(i), f.cities[i]);
  if (!f.words.empty()) s.Bind(4, JoinList(f.words));
}

MessageRow ReadRow(const SqlStmt& s) {
  MessageRow r;
  r.id = s.Int(0);
  r.city = s.Text(1);
  r.start_city = s.Text(2);
  r.type = static_cast<int>(s.Int(3));
  r.content = s.Text(4);
  r.tel = s.Text(5);
  r.qq = s.Text(6);
  r.company = s.Text(7);
  r.flag = s.Int(8);
  r.deal = static_cast<int>(s.Int(9));
  r.time = s.Text(10);
  return r;
}

std::time_t LocalMidnight(std::time_t now) {
  std::tm tm{};
  localtime_r(&now, &tm);
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

const char* LogTable(LogKind kind) {
  return kind == LogKind::kDeleted ? "deleted_log" : "closed_log";
}

bool InsertOne(SqlDb& db, const NewMessage& m, std::int64_t* id) {
  const std::time_t created = m.created ? m.created : std::time(nullptr);
  SqlStmt s(db,
            "INSERT INTO messages(city, start_city, type, content, tel, qq, company, flag, time, "
            "created) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  s.Bind(1, m.city).Bind(2, m.start_city).Bind(3, std::int64_t{m.type}).Bind(4, m.content);
  s.Bind(5, m.tel).Bind(6, m.qq).Bind(7, m.company).Bind(8, m.flag);
  s.Bind(9, ServiceStore::TimeText(created)).Bind(10, std::int64_t{created});
  if (!s.Run()) return false;
  *id = sqlite3_last_insert_rowid(db.handle());
  return true;
}

}  // namespace

std::unique_ptr<ServiceStore> ServiceStore::Open(const std::string& path, std::string* error) {
  auto writer = SqlDb::Open(path, error);
  if (!writer) return nullptr;
  if (!writer->Exec("PRAGMA journal_mode=WAL;")) {
    if (error) *error = writer->LastError();
    return nullptr;
  }
  std::unique_ptr<ServiceStore> store(new ServiceStore(path, std::move(writer)));
  if (!store->CreateSchema()) {
    if (error) *error = store->writer_->LastError();
    return nullptr;
  }
  SqlStmt s(*store->writer_, "SELECT COALESCE(MAX(id), 0) FROM messages");
  if (s.Step()) store->newest_id_ = s.Int(0);
  return store;
}

ServiceStore::ServiceStore(std::string path, std::unique_ptr<SqlDb> writer)
    : readers_(std::move(path)), writer_(std::move(writer)) {}

bool ServiceStore::CreateSchema() {
  if (!writer_->Exec(kSchema)) return false;
  // Member numbers start at 10001, as the service's numbers always looked.
  return writer_->Exec(
      "INSERT INTO sqlite_sequence(name, seq) SELECT 'members', 10000 "
      "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'members');");
}

void ServiceStore::Changed() { version_.fetch_add(1, std::memory_order_acq_rel); }

std::string ServiceStore::TimeText(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

bool ServiceStore::IsEmpty() {
  auto db = readers_.Acquire();
  if (!db.valid()) return false;
  SqlStmt s(*db, "SELECT (SELECT COUNT(*) FROM messages) + (SELECT COUNT(*) FROM members)");
  return s.Step() && s.Int(0) == 0;
}

std::int64_t ServiceStore::CountMessages(const MessageFilter& filter) {
  auto db = readers_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COUNT(*) FROM messages" + WhereOf(filter));
  BindFilter(s, filter);
  return s.Step() ? s.Int(0) : 0;
}

std::vector<MessageRow> ServiceStore::SelectMessages(const MessageFilter& filter, const char* order,
                                                     std::int64_t p5, int limit) {
  std::vector<MessageRow> rows;
  auto db = readers_.Acquire();
  if (!db.valid()) return rows;
  SqlStmt s(*db, kMessageColumns + WhereOf(filter) + order);
  BindFilter(s, filter);
  s.Bind(5, p5).Bind(6, std::int64_t{limit});
  while (s.Step()) rows.push_back(ReadRow(s));
  return rows;
}

std::vector<MessageRow> ServiceStore::PageMessages(const MessageFilter& filter, std::int64_t offset,
                                                   int limit) {
  return SelectMessages(filter, " ORDER BY id DESC LIMIT ?6 OFFSET ?5", offset, limit);
}

std::vector<MessageRow> ServiceStore::NewerMessages(const MessageFilter& filter,
                                                    std::int64_t after_id, int limit) {
  return SelectMessages(filter, " AND id > ?5 ORDER BY id ASC LIMIT ?6", after_id, limit);
}

std::optional<std::int64_t> ServiceStore::NewestIdOf(std::int64_t flag) {
  auto db = readers_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, "SELECT MAX(id) FROM messages WHERE flag = ?1 AND deleted = 0");
  s.Bind(1, flag);
  if (!s.Step() || s.IsNull(0)) return std::nullopt;
  return s.Int(0);
}

Totals ServiceStore::CountTotals() {
  Totals t;
  auto db = readers_.Acquire();
  if (!db.valid()) return t;
  SqlStmt s(*db,
            "SELECT COUNT(*), COALESCE(SUM(type = 0), 0), COALESCE(SUM(type = 1), 0) "
            "FROM messages WHERE deleted = 0");
  if (s.Step()) {
    t.all = s.Int(0);
    t.cargo = s.Int(1);
    t.trucks = s.Int(2);
  }
  return t;
}

std::vector<std::int64_t> ServiceStore::RecentMessageIds(int limit) {
  std::vector<std::int64_t> ids;
  auto db = readers_.Acquire();
  if (!db.valid()) return ids;
  SqlStmt s(*db, "SELECT id FROM messages WHERE deleted = 0 ORDER BY id DESC LIMIT ?1");
  s.Bind(1, std::int64_t{limit});
  while (s.Step()) ids.push_back(s.Int(0));
  return ids;
}

std::int64_t ServiceStore::CountSince(SqlDb& db, std::int64_t flag, std::time_t since) {
  SqlStmt s(db, "SELECT COUNT(*) FROM messages WHERE flag = ?1 AND created >= ?2");
  s.Bind(1, flag).Bind(2, std::int64_t{since});
  return s.Step() ? s.Int(0) : 0;
}

PublishResult ServiceStore::Publish(const NewMessage& message, const PublishPolicy& policy,
                                    std::int64_t* new_id) {
  std::lock_guard lock(write_mutex_);
  SqlDb& db = *writer_;
  {
    SqlStmt s(db, "SELECT publish_right, approved FROM members WHERE id = ?1");
    s.Bind(1, message.flag);
    if (!s.Step() || s.Int(0) == 0 || s.Int(1) == 0) return PublishResult::kNoRight;
  }
  const std::time_t now = message.created ? message.created : std::time(nullptr);
  {
    const std::time_t window = policy.loop ? 60 : 24 * 60 * 60;
    SqlStmt s(db,
              "SELECT 1 FROM messages WHERE flag = ?1 AND content = ?2 AND created > ?3 "
              "AND deleted = 0 LIMIT 1");
    s.Bind(1, message.flag).Bind(2, message.content).Bind(3, std::int64_t{now - window});
    if (s.Step()) return PublishResult::kDuplicate;
  }
  if (policy.daily_quota > 0 &&
      CountSince(db, message.flag, LocalMidnight(now)) >= policy.daily_quota) {
    return PublishResult::kQuotaFull;
  }
  NewMessage stored = message;
  stored.created = now;
  std::int64_t id = 0;
  if (!InsertOne(db, stored, &id)) return PublishResult::kNoRight;
  newest_id_.store(id, std::memory_order_release);
  Changed();
  if (new_id) *new_id = id;
  return PublishResult::kAdded;
}

bool ServiceStore::InsertMessages(const std::vector<NewMessage>& messages) {
  std::lock_guard lock(write_mutex_);
  SqlDb& db = *writer_;
  if (!db.Exec("BEGIN IMMEDIATE")) return false;
  std::int64_t id = 0;
  for (const auto& m : messages) {
    if (!InsertOne(db, m, &id)) {
      db.Exec("ROLLBACK");
      return false;
    }
  }
  if (!db.Exec("COMMIT")) {
    db.Exec("ROLLBACK");
    return false;
  }
  if (!messages.empty()) newest_id_.store(id, std::memory_order_release);
  Changed();
  return true;
}

namespace {

// Marks a message and logs the mark in one transaction.
bool MarkAndLog(SqlDb& db, const char* update, const char* log_table, std::int64_t id) {
  if (!db.Exec("BEGIN IMMEDIATE")) return false;
  bool ok = false;
  {
    SqlStmt s(db, update);
    s.Bind(1, id);
    ok = s.Run() && sqlite3_changes(db.handle()) == 1;
  }
  if (ok) {
    SqlStmt s(db, std::string("INSERT INTO ") + log_table + "(info_id, at) VALUES(?1, ?2)");
    s.Bind(1, id).Bind(2, std::int64_t{std::time(nullptr)});
    ok = s.Run();
  }
  if (!ok || !db.Exec("COMMIT")) {
    db.Exec("ROLLBACK");
    return false;
  }
  return true;
}

}  // namespace

bool ServiceStore::DeleteMessage(std::int64_t id) {
  std::lock_guard lock(write_mutex_);
  if (!MarkAndLog(*writer_, "UPDATE messages SET deleted = 1 WHERE id = ?1 AND deleted = 0",
                  LogTable(LogKind::kDeleted), id)) {
    return false;
  }
  Changed();
  return true;
}

bool ServiceStore::CloseMessage(std::int64_t id) {
  std::lock_guard lock(write_mutex_);
  if (!MarkAndLog(*writer_,
                  "UPDATE messages SET deal = 1 WHERE id = ?1 AND deal = 0 AND deleted = 0",
                  LogTable(LogKind::kClosed), id)) {
    return false;
  }
  Changed();
  return true;
}

std::int64_t ServiceStore::MaxLogId(LogKind kind) {
  auto db = readers_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, std::string("SELECT COALESCE(MAX(log_id), 0) FROM ") + LogTable(kind));
  return s.Step() ? s.Int(0) : 0;
}

std::vector<LogPair> ServiceStore::LogsAfter(LogKind kind, std::int64_t after, int limit) {
  std::vector<LogPair> out;
  auto db = readers_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db, std::string("SELECT log_id, info_id FROM ") + LogTable(kind) +
                     " WHERE log_id > ?1 ORDER BY log_id DESC LIMIT ?2");
  s.Bind(1, after).Bind(2, std::int64_t{limit});
  while (s.Step()) out.push_back({s.Int(0), s.Int(1)});
  return out;
}

}  // namespace tv
