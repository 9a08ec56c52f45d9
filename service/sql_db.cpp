#include "sql_db.h"

#include <sqlite3.h>

#include <cctype>
#include <unordered_map>

#include "text_match.h"

namespace tv {
namespace {

std::string_view ArgText(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

// tv_names_any(text, list): the text names one of the listed words (GBK-aware).
void NamesAny(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_result_int(ctx, ContainsAnyGbk(ArgText(argv[0]), ArgText(argv[1])));
}

class SqliteStatement final : public SqlStatement {
 public:
  SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  ~SqliteStatement() override { sqlite3_finalize(stmt_); }

  void Bind(int index, std::int64_t value) override {
    if (index <= sqlite3_bind_parameter_count(stmt_)) sqlite3_bind_int64(stmt_, index, value);
  }
  void Bind(int index, std::string_view text) override {
    if (index <= sqlite3_bind_parameter_count(stmt_)) {
      sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
  }
  bool Step() override { return sqlite3_step(stmt_) == SQLITE_ROW; }
  bool Run() override {
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    changes_ = sqlite3_changes(db_);
    return rc == SQLITE_DONE;
  }
  std::int64_t Changes() const override { return changes_; }
  std::int64_t Int(int column) const override { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const override {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
  }
  bool IsNull(int column) const override {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
  }
  void Reset() override {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  std::int64_t changes_ = 0;
};

class SqliteDb final : public SqlDb {
 public:
  explicit SqliteDb(sqlite3* db) : db_(db) {}
  ~SqliteDb() override {
    statements_.clear();
    sqlite3_close(db_);
  }

  bool Exec(const std::string& sql) override {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  SqlStatement* Prepare(const std::string& sql) override {
    auto it = statements_.find(sql);
    if (it != statements_.end()) return it->second.get();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
      return nullptr;
    }
    auto& slot = statements_[sql];
    slot = std::make_unique<SqliteStatement>(db_, stmt);
    return slot.get();
  }
  std::string LastError() const override { return sqlite3_errmsg(db_); }

 private:
  sqlite3* db_;
  std::unordered_map<std::string, std::unique_ptr<SqliteStatement>> statements_;
};

}  // namespace

std::unique_ptr<SqlDb> OpenSqlite(const std::string& path, std::string* error) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    if (error) *error = db ? sqlite3_errmsg(db) : "cannot open database";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 10000);
  const int fn_flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  sqlite3_create_function_v2(db, "tv_names_any", 2, fn_flags, nullptr, NamesAny, nullptr, nullptr,
                             nullptr);
  auto out = std::make_unique<SqliteDb>(db);
  out->Exec("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  return out;
}

SqlPool::Lease SqlPool::Acquire() {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      Idle idle = std::move(idle_.back());
      idle_.pop_back();
      ++in_use_;
      return Lease(*this, std::move(idle.db), idle.era);
    }
  }
  std::string error;
  auto db = open_(&error);
  std::lock_guard lock(mutex_);
  if (!db) {
    LostLocked(error);
    return Lease(*this, nullptr, era_);
  }
  if (down_) BackLocked();
  ++in_use_;
  return Lease(*this, std::move(db), era_);
}

void SqlPool::Return(std::unique_ptr<SqlDb> db, std::uint64_t era) {
  if (!db) return;
  std::lock_guard lock(mutex_);
  --in_use_;
  if (db->Healthy()) {
    idle_.push_back({std::move(db), era});
  } else if (era == era_) {
    LostLocked(db->LastError());
  }
}

void SqlPool::LostLocked(const std::string& why) {
  if (down_) return;
  down_ = true;
  down_since_ = std::chrono::steady_clock::now();
  ++era_;
  // The connections kept for later went the same way.
  idle_.clear();
  if (report_) {
    // libpq's message spans lines: one line of the log, blanks folded.
    std::string line;
    for (const char c : why) {
      const bool blank = c == '\n' || c == '\t' || c == ' ';
      if (!blank) {
        line += c;
      } else if (!line.empty() && line.back() != ' ') {
        line += ' ';
      }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    report_("the database is out of reach: " + line);
  }
}

void SqlPool::BackLocked() {
  down_ = false;
  ++era_;
  idle_.clear();
  if (report_) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - down_since_)
                             .count();
    report_("the database answers again, after " + std::to_string(seconds) + " s");
  }
}

SqlPool::Figures SqlPool::figures() {
  std::lock_guard lock(mutex_);
  return {in_use_, idle_.size()};
}

std::string PostgresParameters(std::string_view sql, std::vector<int>* order) {
  std::string out;
  order->clear();
  for (std::size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] != '?' || i + 1 >= sql.size() ||
        !std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      out += sql[i];
      continue;
    }
    int number = 0;
    while (i + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
      number = number * 10 + (sql[++i] - '0');
    }
    std::size_t k = 0;
    while (k < order->size() && (*order)[k] != number) ++k;
    if (k == order->size()) order->push_back(number);
    out += '$';
    out += std::to_string(k + 1);
  }
  return out;
}

}  // namespace tv
