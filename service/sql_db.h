#pragma once
// A thin layer over SQLite for the service's store: one connection with its
// own cache of prepared statements, statements that reset themselves, and a
// pool of read connections (WAL lets readers run beside the one writer).
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tv {

class SqlDb {
 public:
  static std::unique_ptr<SqlDb> Open(const std::string& path, std::string* error);
  ~SqlDb();
  SqlDb(const SqlDb&) = delete;
  SqlDb& operator=(const SqlDb&) = delete;

  // Runs one or more statements without results; false on any error.
  bool Exec(const char* sql);
  // The cached prepared statement for this text (prepared on first use).
  sqlite3_stmt* Prepare(const std::string& sql);
  sqlite3* handle() { return db_; }
  std::string LastError() const;

 private:
  explicit SqlDb(sqlite3* db) : db_(db) {}
  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// One use of a cached statement; resets and clears it when it goes out of scope.
class SqlStmt {
 public:
  SqlStmt(SqlDb& db, const std::string& sql) : stmt_(db.Prepare(sql)) {}
  ~SqlStmt();
  SqlStmt(const SqlStmt&) = delete;
  SqlStmt& operator=(const SqlStmt&) = delete;

  bool valid() const { return stmt_ != nullptr; }
  // Binding an index the statement does not use is ignored.
  SqlStmt& Bind(int index, std::int64_t value);
  SqlStmt& Bind(int index, std::string_view text);
  // True while a row is available.
  bool Step();
  // Steps to the end; true when the statement completed.
  bool Run();
  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* stmt_;
};

// Read connections handed out one per request and returned afterwards.
class SqlPool {
 public:
  explicit SqlPool(std::string path) : path_(std::move(path)) {}

  class Lease {
   public:
    Lease(SqlPool& pool, std::unique_ptr<SqlDb> db) : pool_(pool), db_(std::move(db)) {}
    ~Lease() { pool_.Return(std::move(db_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    SqlDb& operator*() { return *db_; }
    SqlDb* operator->() { return db_.get(); }
    bool valid() const { return db_ != nullptr; }

   private:
    SqlPool& pool_;
    std::unique_ptr<SqlDb> db_;
  };

  Lease Acquire();

 private:
  void Return(std::unique_ptr<SqlDb> db);

  std::string path_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<SqlDb>> idle_;
};

}  // namespace tv
