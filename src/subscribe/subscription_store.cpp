#include "subscribe/subscription_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "settings/store.h"
#include "settings/store_space.h"

namespace tv {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE IF NOT EXISTS subscriptions ("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, position INTEGER NOT NULL,"
    "  name BLOB NOT NULL, departures BLOB NOT NULL, destinations BLOB NOT NULL,"
    "  kind INTEGER NOT NULL, must_words BLOB NOT NULL, excluded_words BLOB NOT NULL,"
    "  chime INTEGER NOT NULL, notify INTEGER NOT NULL, speech INTEGER NOT NULL,"
    "  paused INTEGER NOT NULL, newest_id BLOB NOT NULL DEFAULT '');"
    "CREATE TABLE IF NOT EXISTS matches ("
    "  seq INTEGER PRIMARY KEY AUTOINCREMENT, subscription INTEGER NOT NULL,"
    "  info_id BLOB NOT NULL, city BLOB, type BLOB, content BLOB, tel BLOB, qq BLOB,"
    "  company BLOB, flag BLOB, deal BLOB, time BLOB, seen INTEGER NOT NULL DEFAULT 0,"
    "  UNIQUE (subscription, info_id));"
    "CREATE TABLE IF NOT EXISTS options (name TEXT PRIMARY KEY, value BLOB NOT NULL);";

// One prepared statement, finalized on every path.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Stmt() { sqlite3_finalize(stmt_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  bool ok() const { return stmt_ != nullptr; }

  Stmt& Bind(int index, std::string_view text) {
    if (stmt_) {
      sqlite3_bind_blob(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return *this;
  }
  Stmt& Bind(int index, std::int64_t value) {
    if (stmt_) sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  // Runs a statement that writes; a full disk is told to the member.
  bool Done() {
    const int before = sqlite3_total_changes(db_);
    const bool done = Step() == SQLITE_DONE;
    if (stmt_) NoteStoreWrite(db_, done, before);
    return done;
  }
  std::string Text(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string();
  }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT around a change of several rows; rolled back
// unless committed. Statements inside it end before the commit.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db), changes_before_(sqlite3_total_changes(db)) {
    ok_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~Transaction() {
    if (ok_ && !committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  bool ok() const { return ok_; }
  bool Commit() {
    committed_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    NoteStoreWrite(db_, committed_, changes_before_);
    return committed_;
  }

 private:
  sqlite3* db_;
  int changes_before_;
  bool ok_ = false;
  bool committed_ = false;
};

constexpr const char* kSubscriptionColumns =
    "SELECT id, name, departures, destinations, kind, must_words, excluded_words, chime, "
    "notify, speech, paused FROM subscriptions";

Subscription SubscriptionOf(const Stmt& s) {
  Subscription out;
  out.id = s.Int(0);
  out.name = s.Text(1);
  out.departures = SplitWords(s.Text(2));
  out.destinations = SplitWords(s.Text(3));
  const std::int64_t kind = s.Int(4);
  out.kind = kind == 0   ? SubscriptionKind::kCargo
             : kind == 1 ? SubscriptionKind::kTruck
                         : SubscriptionKind::kAll;
  out.must_words = SplitWords(s.Text(5));
  out.excluded_words = SplitWords(s.Text(6));
  out.alerts.chime = s.Int(7) != 0;
  out.alerts.notify = s.Int(8) != 0;
  out.alerts.speech = s.Int(9) != 0;
  out.paused = s.Int(10) != 0;
  return out;
}

std::int64_t KindNumber(SubscriptionKind kind) {
  switch (kind) {
    case SubscriptionKind::kCargo:
      return 0;
    case SubscriptionKind::kTruck:
      return 1;
    case SubscriptionKind::kAll:
      break;
  }
  return 2;
}

// Binds ?1..?10 in the column order of the insert and the update.
void BindFields(Stmt& s, const Subscription& sub) {
  s.Bind(1, sub.name)
      .Bind(2, JoinWords(sub.departures))
      .Bind(3, JoinWords(sub.destinations))
      .Bind(4, KindNumber(sub.kind))
      .Bind(5, JoinWords(sub.must_words))
      .Bind(6, JoinWords(sub.excluded_words))
      .Bind(7, std::int64_t{sub.alerts.chime})
      .Bind(8, std::int64_t{sub.alerts.notify})
      .Bind(9, std::int64_t{sub.alerts.speech})
      .Bind(10, std::int64_t{sub.paused});
}

}  // namespace

std::string SubscriptionStore::DefaultPath() {
  const std::string dir = FolderOf(SettingsStore::DefaultPath());
  return (dir.empty() ? std::string(".") : dir) + "/subscriptions.db";
}

std::unique_ptr<SubscriptionStore> SubscriptionStore::Open(const std::string& path) {
  CreatePrivateFile(path);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) !=
      SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 3000);
  std::unique_ptr<SubscriptionStore> store(new SubscriptionStore(db));
  if (!store->Exec(kSchema)) return nullptr;
  return store;
}

SubscriptionStore::~SubscriptionStore() { sqlite3_close(db_); }

bool SubscriptionStore::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<Subscription> SubscriptionStore::List() {
  std::vector<Subscription> out;
  Stmt s(db_, (std::string(kSubscriptionColumns) + " ORDER BY position, id").c_str());
  while (s.Step() == SQLITE_ROW) out.push_back(SubscriptionOf(s));
  return out;
}

std::optional<Subscription> SubscriptionStore::Find(std::int64_t id) {
  Stmt s(db_, (std::string(kSubscriptionColumns) + " WHERE id = ?1").c_str());
  s.Bind(1, id);
  if (s.Step() != SQLITE_ROW) return std::nullopt;
  return SubscriptionOf(s);
}

bool SubscriptionStore::Add(Subscription& subscription) {
  Transaction t(db_);
  if (!t.ok()) return false;
  std::int64_t position = 0;
  {
    Stmt count(db_, "SELECT count(*), coalesce(max(position), -1) + 1 FROM subscriptions");
    if (count.Step() != SQLITE_ROW || count.Int(0) >= kMaxSubscriptions) return false;
    position = count.Int(1);
  }
  Stmt s(db_,
         "INSERT INTO subscriptions (name, departures, destinations, kind, must_words, "
         "excluded_words, chime, notify, speech, paused, position) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
  BindFields(s, subscription);
  s.Bind(11, position);
  if (!s.Done()) return false;
  const std::int64_t id = sqlite3_last_insert_rowid(db_);
  if (!t.Commit()) return false;
  subscription.id = id;
  return true;
}

bool SubscriptionStore::Update(const Subscription& subscription) {
  const std::optional<Subscription> before = Find(subscription.id);
  if (!before) return false;
  const bool same_search =
      before->departures == subscription.departures &&
      before->destinations == subscription.destinations && before->kind == subscription.kind &&
      before->must_words == subscription.must_words &&
      before->excluded_words == subscription.excluded_words;
  Transaction t(db_);
  if (!t.ok()) return false;
  Stmt s(db_,
         "UPDATE subscriptions SET name = ?1, departures = ?2, destinations = ?3, kind = ?4, "
         "must_words = ?5, excluded_words = ?6, chime = ?7, notify = ?8, speech = ?9, "
         "paused = ?10 WHERE id = ?11");
  BindFields(s, subscription);
  s.Bind(11, subscription.id);
  if (!s.Done() || sqlite3_changes(db_) != 1) return false;
  if (!same_search) {
    Stmt m(db_, "DELETE FROM matches WHERE subscription = ?1");
    m.Bind(1, subscription.id);
    Stmt n(db_, "UPDATE subscriptions SET newest_id = '' WHERE id = ?1");
    n.Bind(1, subscription.id);
    if (!m.Done() || !n.Done()) return false;
  }
  return t.Commit();
}

bool SubscriptionStore::Remove(std::int64_t id) {
  Transaction t(db_);
  if (!t.ok()) return false;
  Stmt s(db_, "DELETE FROM subscriptions WHERE id = ?1");
  s.Bind(1, id);
  if (!s.Done() || sqlite3_changes(db_) != 1) return false;
  Stmt m(db_, "DELETE FROM matches WHERE subscription = ?1");
  m.Bind(1, id);
  return m.Done() && t.Commit();
}

bool SubscriptionStore::SetPaused(std::int64_t id, bool paused) {
  Stmt s(db_, "UPDATE subscriptions SET paused = ?1 WHERE id = ?2");
  s.Bind(1, std::int64_t{paused}).Bind(2, id);
  return s.Done() && sqlite3_changes(db_) == 1;
}

bool SubscriptionStore::Move(std::int64_t id, int index) {
  Transaction t(db_);
  if (!t.ok()) return false;
  std::vector<std::int64_t> order;
  {
    Stmt s(db_, "SELECT id FROM subscriptions ORDER BY position, id");
    while (s.Step() == SQLITE_ROW) order.push_back(s.Int(0));
  }
  const auto at = std::find(order.begin(), order.end(), id);
  if (at == order.end()) return false;
  order.erase(at);
  const int clamped = std::clamp(index, 0, static_cast<int>(order.size()));
  order.insert(order.begin() + clamped, id);
  for (std::size_t i = 0; i < order.size(); ++i) {
    Stmt s(db_, "UPDATE subscriptions SET position = ?1 WHERE id = ?2");
    s.Bind(1, static_cast<std::int64_t>(i)).Bind(2, order[i]);
    if (!s.Done()) return false;
  }
  return t.Commit();
}

int SubscriptionStore::AddMatches(std::int64_t id, const std::vector<InfoRecord>& records) {
  Transaction t(db_);
  if (!t.ok()) return -1;
  int added = 0;
  for (const InfoRecord& r : records) {
    Stmt s(db_,
           "INSERT OR IGNORE INTO matches (subscription, info_id, city, type, content, tel, qq, "
           "company, flag, deal, time) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    s.Bind(1, id).Bind(2, r.InfoID).Bind(3, r.City).Bind(4, r.Type).Bind(5, r.Content);
    s.Bind(6, r.Tel).Bind(7, r.QQ).Bind(8, r.Company).Bind(9, r.Flag).Bind(10, r.Deal);
    s.Bind(11, r.Time);
    if (!s.Done()) return -1;
    added += sqlite3_changes(db_);
  }
  Stmt trim(db_,
            "DELETE FROM matches WHERE subscription = ?1 AND seq <= "
            "(SELECT seq FROM matches WHERE subscription = ?1 ORDER BY seq DESC "
            "LIMIT 1 OFFSET ?2)");
  trim.Bind(1, id).Bind(2, std::int64_t{kKeptMatches});
  if (!trim.Done() || !t.Commit()) return -1;
  return added;
}

std::vector<StoredMatch> SubscriptionStore::Matches(std::int64_t id) {
  std::vector<StoredMatch> out;
  Stmt s(db_,
         "SELECT info_id, city, type, content, tel, qq, company, flag, deal, time, seen "
         "FROM matches WHERE subscription = ?1 ORDER BY seq DESC");
  s.Bind(1, id);
  while (s.Step() == SQLITE_ROW) {
    StoredMatch m;
    InfoRecord& r = m.record;
    r.InfoID = s.Text(0);
    r.City = s.Text(1);
    r.Type = s.Text(2);
    r.Content = s.Text(3);
    r.Tel = s.Text(4);
    r.QQ = s.Text(5);
    r.Company = s.Text(6);
    r.Flag = s.Text(7);
    r.Deal = s.Text(8);
    r.Time = s.Text(9);
    m.seen = s.Int(10) != 0;
    out.push_back(std::move(m));
  }
  return out;
}

bool SubscriptionStore::MarkSeen(std::int64_t id, std::string_view info_id) {
  Stmt s(db_, "UPDATE matches SET seen = 1 WHERE subscription = ?1 AND info_id = ?2");
  s.Bind(1, id).Bind(2, info_id);
  return s.Done();
}

int SubscriptionStore::UnreadCount(std::int64_t id) {
  Stmt s(db_, "SELECT count(*) FROM matches WHERE subscription = ?1 AND seen = 0");
  s.Bind(1, id);
  return s.Step() == SQLITE_ROW ? static_cast<int>(s.Int(0)) : 0;
}

std::string SubscriptionStore::NewestId(std::int64_t id) {
  Stmt s(db_, "SELECT newest_id FROM subscriptions WHERE id = ?1");
  s.Bind(1, id);
  return s.Step() == SQLITE_ROW ? s.Text(0) : std::string();
}

bool SubscriptionStore::SetNewestId(std::int64_t id, std::string_view info_id) {
  Stmt s(db_, "UPDATE subscriptions SET newest_id = ?1 WHERE id = ?2");
  s.Bind(1, info_id).Bind(2, id);
  return s.Done() && sqlite3_changes(db_) == 1;
}

std::optional<std::string> SubscriptionStore::Option(std::string_view name) {
  Stmt s(db_, "SELECT value FROM options WHERE name = ?1");
  s.Bind(1, name);
  if (s.Step() != SQLITE_ROW) return std::nullopt;
  return s.Text(0);
}

bool SubscriptionStore::SetOption(std::string_view name, std::string_view value) {
  Stmt s(db_, "INSERT OR REPLACE INTO options (name, value) VALUES (?1, ?2)");
  s.Bind(1, name).Bind(2, value);
  return s.Done();
}

}  // namespace tv
