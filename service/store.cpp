#include "store.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <limits>
#include <thread>

#include "pg_db.h"
#include "schema.h"
#include "store_rows.h"
#include "text_match.h"

namespace tv {
namespace store_rows {

const char kMessageColumns[] =
    "SELECT id, city, start_city, type, content, tel, qq, company, flag, deal, time, deleted, "
    "resent FROM messages";

MessageRow ReadMessage(const SqlStmt& s) {
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
  r.deleted = static_cast<int>(s.Int(11));
  r.resent = static_cast<int>(s.Int(12));
  return r;
}

std::time_t LocalMidnight(std::time_t now) {
  std::tm tm{};
  localtime_r(&now, &tm);
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

}  // namespace store_rows

namespace {

using store_rows::LocalMidnight;

using store_rows::kMessageColumns;

// Advisory lock keys (PostgreSQL), the same on every server.
constexpr std::int64_t kMessageWriteLock = 7301002;
constexpr std::int64_t kSimulationLock = 7301003;
constexpr std::int64_t kFillLock = 7301004;

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
    // Appended piece by piece: GCC 12 at -O2 and above warns (-Wrestrict) on
    // the temporaries of "?" + std::to_string(...).
    std::string list;
    const std::size_t n = std::min(f.cities.size(), kMaxCities);
    for (std::size_t i = 0; i < n; ++i) {
      if (i) list += ", ";
      list += '?';
      list += std::to_string(kFirstCityParam + static_cast<int>(i));
    }
    w.append(" AND (city IN (")
        .append(list)
        .append(") OR start_city IN (")
        .append(list)
        .append("))");
  }
  if (!f.words.empty()) w += " AND tv_names_any(content, ?4)";
  return w;
}

void BindFilter(SqlStmt& s, const MessageFilter& f) {
  if (f.type) s.Bind(1, std::int64_t{*f.type});
  if (f.flag) s.Bind(2, *f.flag);
  const std::size_t n = std::min(f.cities.size(), kMaxCities);
  for (std::size_t i = 0; i < n; ++i) s.Bind(kFirstCityParam + static_cast<int>(i), f.cities[i]);
  if (!f.words.empty()) s.Bind(4, JoinList(f.words));
}

const char* LogTable(LogKind kind) {
  return kind == LogKind::kDeleted ? "deleted_log" : "closed_log";
}

bool InsertOne(SqlDb& db, const NewMessage& m, std::int64_t* id) {
  const std::time_t created = m.created ? m.created : std::time(nullptr);
  SqlStmt s(db,
            "INSERT INTO messages(city, start_city, type, content, tel, qq, company, flag, time, "
            "created) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) RETURNING id");
  s.Bind(1, m.city).Bind(2, m.start_city).Bind(3, std::int64_t{m.type}).Bind(4, m.content);
  s.Bind(5, m.tel).Bind(6, m.qq).Bind(7, m.company).Bind(8, m.flag);
  s.Bind(9, ServiceStore::TimeText(created)).Bind(10, std::int64_t{created});
  if (!s.Step()) return false;
  *id = s.Int(0);
  return true;
}

// The texts are GBK: a UTF-8 database holds them converted (made the ordinary
// way, with any locale), one without an encoding of its own (SQL_ASCII) holds
// the bytes, which needs byte-wise letter case (C) to match names.
bool CheckPostgresDatabase(SqlDb& db, std::string* error) {
  SqlStmt s(db,
            "SELECT pg_encoding_to_char(encoding), datctype FROM pg_database "
            "WHERE datname = current_database()");
  if (!s.Step()) {
    if (error) *error = db.LastError();
    return false;
  }
  const std::string encoding = s.Text(0), ctype = s.Text(1);
  if (encoding == "UTF8") return true;
  if (encoding == "SQL_ASCII" && (ctype == "C" || ctype == "POSIX")) return true;
  if (error) {
    *error = "the database has encoding " + encoding + " and LC_CTYPE " + ctype +
             "; the service needs a UTF8 database (createdb's default on a UTF-8 system)";
  }
  return false;
}

}  // namespace

std::unique_ptr<ServiceStore> ServiceStore::Open(const std::string& where, std::string* error) {
  const SqlEngine engine = IsPostgresUri(where) ? SqlEngine::kPostgres : SqlEngine::kSqlite;
  std::unique_ptr<ServiceStore> store(new ServiceStore(engine, where));
  std::unique_ptr<SqlDb> first;
  if (engine == SqlEngine::kSqlite) {
    first = OpenSqlite(where, error);
    if (!first) return nullptr;
    if (!first->Exec("PRAGMA journal_mode=WAL;")) {
      if (error) *error = first->LastError();
      return nullptr;
    }
  } else {
    first = OpenPostgres(where, error);
    if (!first || !CheckPostgresDatabase(*first, error)) return nullptr;
  }
  if (!ApplySchema(*first, engine, error)) return nullptr;
  {
    SqlStmt s(*first, "SELECT COALESCE(MAX(id), 0) FROM messages");
    if (s.Step()) store->newest_id_ = s.Int(0);
  }

  if (engine == SqlEngine::kSqlite) {
    store->writer_ = std::move(first);
  } else {
    store->simulation_lock_ = std::make_unique<PgAdvisoryLock>(where, kSimulationLock);
  }
  return store;
}

ServiceStore::ServiceStore(SqlEngine engine, std::string where)
    : engine_(engine),
      where_(std::move(where)),
      pool_(
          [engine, target = where_](std::string* error) {
            return engine == SqlEngine::kSqlite ? OpenSqlite(target, error)
                                                : OpenPostgres(target, error);
          },
          [](const std::string& line) { std::cerr << "tarvolo-service: " << line << "\n"; }) {}

ServiceStore::~ServiceStore() = default;

ServiceStore::WriteConn ServiceStore::Writer() {
  WriteConn w;
  if (engine_ == SqlEngine::kSqlite) {
    w.lock = std::unique_lock(write_mutex_);
    w.db = writer_.get();
  } else {
    w.lease.emplace(pool_.Acquire());
    if (w.lease->valid()) w.db = &**w.lease;
  }
  return w;
}

bool ServiceStore::BeginMessageWrite(SqlDb& db) {
  if (engine_ == SqlEngine::kSqlite) return db.Exec("BEGIN IMMEDIATE");
  // Identifiers come from sequences in the order servers ask; taken one at a
  // time and committed before the next, they also become visible in that
  // order, so a poll "after maxid" never skips a message that commits late.
  if (db.Exec("BEGIN; SELECT pg_advisory_xact_lock(" + std::to_string(kMessageWriteLock) + ")")) {
    return true;
  }
  db.Exec("ROLLBACK");
  return false;
}

bool ServiceStore::CommitMessageWrite(SqlDb& db, std::int64_t newest_id) {
  if (engine_ == SqlEngine::kPostgres) {
    SqlStmt s(db, "UPDATE store_state SET version = version + 1");
    if (!s.Run()) {
      db.Exec("ROLLBACK");
      return false;
    }
  }
  if (!db.Exec("COMMIT")) {
    db.Exec("ROLLBACK");
    return false;
  }
  Noticed(newest_id);
  Changed();
  return true;
}

void ServiceStore::Noticed(std::int64_t newest_id) {
  std::int64_t known = newest_id_.load(std::memory_order_acquire);
  while (newest_id > known &&
         !newest_id_.compare_exchange_weak(known, newest_id, std::memory_order_acq_rel)) {
  }
}

std::uint64_t ServiceStore::version() {
  if (engine_ == SqlEngine::kSqlite) return version_.load(std::memory_order_acquire);
  // Other servers write too: the database's own count, read after the request
  // came, so that no answer is older than a write that finished before it.
  // One read serves every request that came before it started.
  std::unique_lock lock(version_mutex_);
  const std::uint64_t ticket = ++version_requests_;
  for (;;) {
    if (version_covered_ >= ticket) return version_read_;
    if (version_reading_) {
      version_done_.wait(lock);
      continue;
    }
    version_reading_ = true;
    const std::uint64_t covers = version_requests_;
    lock.unlock();
    const std::uint64_t read = ReadSharedVersion();
    lock.lock();
    version_reading_ = false;
    version_covered_ = covers;
    version_read_ = read;
    version_done_.notify_all();
  }
}

std::uint64_t ServiceStore::ReadSharedVersion() {
  auto db = pool_.Acquire();
  if (db.valid()) {
    SqlStmt s(*db, "SELECT version FROM store_state");
    // Kept apart from the numbers handed out when the database cannot be read.
    if (s.Step()) return static_cast<std::uint64_t>(s.Int(0)) << 1;
  }
  return ((version_.fetch_add(1, std::memory_order_acq_rel) + 1) << 1) | 1;
}

std::int64_t ServiceStore::newest_message_id() const {
  // Other servers publish too: only a single server knows without asking.
  if (engine_ == SqlEngine::kPostgres) return std::numeric_limits<std::int64_t>::max();
  return newest_id_.load(std::memory_order_acquire);
}

bool ServiceStore::RunAlone(const std::function<bool()>& fn) {
  if (engine_ == SqlEngine::kSqlite) return fn();
  PgAdvisoryLock alone(where_, kFillLock);
  while (!alone.Hold()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return fn();
}

bool ServiceStore::HoldSimulation() {
  return engine_ == SqlEngine::kSqlite || simulation_lock_->Hold();
}

std::string ServiceStore::NoCaseEquals(const char* column, const char* param) const {
  if (engine_ == SqlEngine::kSqlite) return std::string(column) + " = " + param;  // NOCASE column
  return PgNoCase(column) + " = " + PgNoCase(param);
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
  auto db = pool_.Acquire();
  if (!db.valid()) return false;
  SqlStmt s(*db, "SELECT (SELECT COUNT(*) FROM messages) + (SELECT COUNT(*) FROM members)");
  return s.Step() && s.Int(0) == 0;
}

std::int64_t ServiceStore::CountMessages(const MessageFilter& filter) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COUNT(*) FROM messages" + WhereOf(filter));
  BindFilter(s, filter);
  return s.Step() ? s.Int(0) : 0;
}

std::vector<MessageRow> ServiceStore::SelectMessages(const MessageFilter& filter, const char* order,
                                                     std::int64_t p5, int limit) {
  std::vector<MessageRow> rows;
  auto db = pool_.Acquire();
  if (!db.valid()) return rows;
  SqlStmt s(*db, kMessageColumns + WhereOf(filter) + order);
  BindFilter(s, filter);
  s.Bind(5, p5).Bind(6, std::int64_t{limit});
  while (s.Step()) rows.push_back(store_rows::ReadMessage(s));
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
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, "SELECT MAX(id) FROM messages WHERE flag = ?1 AND deleted = 0");
  s.Bind(1, flag);
  if (!s.Step() || s.IsNull(0)) return std::nullopt;
  return s.Int(0);
}

Totals ServiceStore::CountTotals() {
  Totals t;
  auto db = pool_.Acquire();
  if (!db.valid()) return t;
  SqlStmt s(
      *db,
      "SELECT COUNT(*), COALESCE(SUM(CASE WHEN type = 0 THEN 1 ELSE 0 END), 0), "
      "COALESCE(SUM(CASE WHEN type = 1 THEN 1 ELSE 0 END), 0) FROM messages WHERE deleted = 0");
  if (s.Step()) {
    t.all = s.Int(0);
    t.cargo = s.Int(1);
    t.trucks = s.Int(2);
  }
  return t;
}

std::vector<std::int64_t> ServiceStore::RecentMessageIds(int limit) {
  std::vector<std::int64_t> ids;
  auto db = pool_.Acquire();
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
  auto writer = Writer();
  if (!writer.valid() || !BeginMessageWrite(*writer)) return PublishResult::kNotStored;
  SqlDb& db = *writer;
  const auto refuse = [&db](PublishResult why) {
    db.Exec("ROLLBACK");
    return why;
  };
  {
    SqlStmt s(db, "SELECT publish_right, approved, disabled FROM members WHERE id = ?1");
    s.Bind(1, message.flag);
    if (!s.Step() || s.Int(0) == 0 || s.Int(1) == 0 || s.Int(2) != 0) {
      return refuse(PublishResult::kNoRight);
    }
  }
  const std::time_t now = message.created ? message.created : std::time(nullptr);
  if (!policy.bump) {
    const std::time_t window = policy.loop ? 60 : 24 * 60 * 60;
    SqlStmt s(db,
              "SELECT 1 FROM messages WHERE flag = ?1 AND content = ?2 AND created > ?3 "
              "AND deleted = 0 LIMIT 1");
    s.Bind(1, message.flag).Bind(2, message.content).Bind(3, std::int64_t{now - window});
    if (s.Step()) return refuse(PublishResult::kDuplicate);
  }
  if (policy.daily_quota > 0 &&
      CountSince(db, message.flag, LocalMidnight(now)) >= policy.daily_quota) {
    return refuse(PublishResult::kQuotaFull);
  }
  int resent = 0;
  if ((policy.loop || policy.bump) &&
      !WithdrawLiveCopies(db, message.flag, message.content, now, &resent)) {
    return refuse(PublishResult::kNotStored);
  }
  NewMessage stored = message;
  stored.created = now;
  std::int64_t id = 0;
  if (!InsertOne(db, stored, &id)) return refuse(PublishResult::kNotStored);
  if (resent > 0) {
    SqlStmt s(db, "UPDATE messages SET resent = ?1 WHERE id = ?2");
    s.Bind(1, std::int64_t{resent}).Bind(2, id);
    if (!s.Run()) return refuse(PublishResult::kNotStored);
  }
  if (!CommitMessageWrite(db, id)) return PublishResult::kNotStored;
  if (new_id) *new_id = id;
  return PublishResult::kAdded;
}

bool ServiceStore::WithdrawLiveCopies(SqlDb& db, std::int64_t flag, const std::string& content,
                                      std::time_t now, int* resent) {
  // A loop re-send bumps the member's live copy of the text: it goes through
  // the deletion log every client polls, and the new message takes its place
  // on top. Lists then hold the text once.
  // The replaced copies are marked apart from withdrawn ones (2): the
  // member's own list shows the text once, with the count of its re-sends.
  std::vector<std::int64_t> ids;
  *resent = 0;
  {
    SqlStmt s(db,
              "SELECT id, resent FROM messages WHERE flag = ?1 AND content = ?2 AND deleted = 0");
    s.Bind(1, flag).Bind(2, content);
    while (s.Step()) {
      ids.push_back(s.Int(0));
      *resent = std::max(*resent, static_cast<int>(s.Int(1)) + 1);
    }
  }
  for (std::int64_t id : ids) {
    SqlStmt mark(db, "UPDATE messages SET deleted = 2 WHERE id = ?1");
    mark.Bind(1, id);
    if (!mark.Run()) return false;
    SqlStmt log(db, std::string("INSERT INTO ") + LogTable(LogKind::kDeleted) +
                        "(info_id, at) VALUES(?1, ?2)");
    log.Bind(1, id).Bind(2, std::int64_t{now});
    if (!log.Run()) return false;
  }
  return true;
}

bool ServiceStore::InsertMessages(const std::vector<NewMessage>& messages) {
  auto writer = Writer();
  if (!writer.valid() || !BeginMessageWrite(*writer)) return false;
  SqlDb& db = *writer;
  std::int64_t id = 0;
  for (const auto& m : messages) {
    if (!InsertOne(db, m, &id)) {
      db.Exec("ROLLBACK");
      return false;
    }
  }
  return CommitMessageWrite(db, id);
}

bool ServiceStore::MarkAndLog(const char* update, LogKind kind, std::int64_t id) {
  auto writer = Writer();
  if (!writer.valid() || !BeginMessageWrite(*writer)) return false;
  SqlDb& db = *writer;
  bool ok = false;
  {
    SqlStmt s(db, update);
    s.Bind(1, id);
    ok = s.Run() && s.Changes() == 1;
  }
  if (ok) {
    SqlStmt s(db, std::string("INSERT INTO ") + LogTable(kind) + "(info_id, at) VALUES(?1, ?2)");
    s.Bind(1, id).Bind(2, std::int64_t{std::time(nullptr)});
    ok = s.Run();
  }
  if (!ok) {
    db.Exec("ROLLBACK");
    return false;
  }
  return CommitMessageWrite(db, 0);
}

bool ServiceStore::DeleteMessage(std::int64_t id) {
  return MarkAndLog("UPDATE messages SET deleted = 1 WHERE id = ?1 AND deleted = 0",
                    LogKind::kDeleted, id);
}

bool ServiceStore::CloseMessage(std::int64_t id) {
  return MarkAndLog("UPDATE messages SET deal = 1 WHERE id = ?1 AND deal = 0 AND deleted = 0",
                    LogKind::kClosed, id);
}

std::int64_t ServiceStore::MaxLogId(LogKind kind) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, std::string("SELECT COALESCE(MAX(log_id), 0) FROM ") + LogTable(kind));
  return s.Step() ? s.Int(0) : 0;
}

std::vector<LogPair> ServiceStore::LogsAfter(LogKind kind, std::int64_t after, int limit) {
  std::vector<LogPair> out;
  auto db = pool_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db, std::string("SELECT log_id, info_id FROM ") + LogTable(kind) +
                     " WHERE log_id > ?1 ORDER BY log_id DESC LIMIT ?2");
  s.Bind(1, after).Bind(2, std::int64_t{limit});
  while (s.Step()) out.push_back({s.Int(0), s.Int(1)});
  return out;
}

}  // namespace tv
