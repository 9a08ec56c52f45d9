#include "sql_db.h"

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

}  // namespace

std::unique_ptr<SqlDb> SqlDb::Open(const std::string& path, std::string* error) {
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
  std::unique_ptr<SqlDb> out(new SqlDb(db));
  out->Exec("PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  return out;
}

SqlDb::~SqlDb() {
  for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  sqlite3_close(db_);
}

bool SqlDb::Exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3_stmt* SqlDb::Prepare(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt, nullptr) != SQLITE_OK) {
    return nullptr;
  }
  statements_.emplace(sql, stmt);
  return stmt;
}

std::string SqlDb::LastError() const { return sqlite3_errmsg(db_); }

SqlStmt::~SqlStmt() {
  if (stmt_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
}

SqlStmt& SqlStmt::Bind(int index, std::int64_t value) {
  if (stmt_ && index <= sqlite3_bind_parameter_count(stmt_)) {
    sqlite3_bind_int64(stmt_, index, value);
  }
  return *this;
}

SqlStmt& SqlStmt::Bind(int index, std::string_view text) {
  if (stmt_ && index <= sqlite3_bind_parameter_count(stmt_)) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  return *this;
}

bool SqlStmt::Step() { return stmt_ && sqlite3_step(stmt_) == SQLITE_ROW; }

bool SqlStmt::Run() {
  if (!stmt_) return false;
  int rc;
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
  }
  return rc == SQLITE_DONE;
}

std::int64_t SqlStmt::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string SqlStmt::Text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
           : std::string();
}

SqlPool::Lease SqlPool::Acquire() {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      auto db = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(db));
    }
  }
  return Lease(*this, SqlDb::Open(path_, nullptr));
}

void SqlPool::Return(std::unique_ptr<SqlDb> db) {
  if (!db) return;
  std::lock_guard lock(mutex_);
  idle_.push_back(std::move(db));
}

}  // namespace tv
