#pragma once
// A thin layer over the service's two database engines: SQLite (one file, the
// default) and PostgreSQL (shared by several servers). The store writes its
// statements once, with "?N" parameters; each connection prepares a statement
// on first use and keeps it. A statement resets itself when its use ends.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

enum class SqlEngine { kSqlite, kPostgres };

// One prepared statement of a connection (the engine's own).
class SqlStatement {
 public:
  virtual ~SqlStatement() = default;
  // Binding an index the statement does not use is ignored.
  virtual void Bind(int index, std::int64_t value) = 0;
  virtual void Bind(int index, std::string_view text) = 0;
  // True while a row is available.
  virtual bool Step() = 0;
  // Runs to the end; true when the statement completed.
  virtual bool Run() = 0;
  // Rows changed by the last Run().
  virtual std::int64_t Changes() const = 0;
  virtual std::int64_t Int(int column) const = 0;
  virtual std::string Text(int column) const = 0;
  virtual bool IsNull(int column) const = 0;
  virtual void Reset() = 0;
};

class SqlDb {
 public:
  virtual ~SqlDb() = default;
  // Runs one or more statements without parameters or results.
  virtual bool Exec(const std::string& sql) = 0;
  // The connection's prepared statement for this text (prepared on first use);
  // nullptr when it does not prepare.
  virtual SqlStatement* Prepare(const std::string& sql) = 0;
  virtual std::string LastError() const = 0;
  // False once the connection is lost for good (it is then not pooled again).
  virtual bool Healthy() const { return true; }
};

// SQLite: opens (creating) the file, read-write.
std::unique_ptr<SqlDb> OpenSqlite(const std::string& path, std::string* error);
// PostgreSQL: connects with a libpq connection string or URI.
std::unique_ptr<SqlDb> OpenPostgres(const std::string& conninfo, std::string* error);

// One use of a cached statement; resets it when it goes out of scope.
class SqlStmt {
 public:
  SqlStmt(SqlDb& db, const std::string& sql) : stmt_(db.Prepare(sql)) {}
  ~SqlStmt() {
    if (stmt_) stmt_->Reset();
  }
  SqlStmt(const SqlStmt&) = delete;
  SqlStmt& operator=(const SqlStmt&) = delete;

  bool valid() const { return stmt_ != nullptr; }
  SqlStmt& Bind(int index, std::int64_t value) {
    if (stmt_) stmt_->Bind(index, value);
    return *this;
  }
  SqlStmt& Bind(int index, std::string_view text) {
    if (stmt_) stmt_->Bind(index, text);
    return *this;
  }
  bool Step() { return stmt_ && stmt_->Step(); }
  bool Run() { return stmt_ && stmt_->Run(); }
  std::int64_t Changes() const { return stmt_ ? stmt_->Changes() : 0; }
  std::int64_t Int(int column) const { return stmt_->Int(column); }
  std::string Text(int column) const { return stmt_->Text(column); }
  bool IsNull(int column) const { return stmt_->IsNull(column); }

 private:
  SqlStatement* stmt_;
};

// Connections handed out one per use and returned afterwards.
// Connections for the store's requests, kept for the next use. A database
// that goes away (a connection lost, a connection refused) and comes back is
// told to `report` once each way, however many requests meet it meanwhile.
class SqlPool {
 public:
  using Opener = std::function<std::unique_ptr<SqlDb>(std::string* error)>;
  using Reporter = std::function<void(const std::string& line)>;
  explicit SqlPool(Opener open, Reporter report = nullptr)
      : open_(std::move(open)), report_(std::move(report)) {}

  class Lease {
   public:
    Lease(SqlPool& pool, std::unique_ptr<SqlDb> db, std::uint64_t era)
        : pool_(pool), db_(std::move(db)), era_(era) {}
    ~Lease() { pool_.Return(std::move(db_), era_); }
    Lease(Lease&&) = default;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    SqlDb& operator*() { return *db_; }
    SqlDb* operator->() { return db_.get(); }
    bool valid() const { return db_ != nullptr; }

   private:
    SqlPool& pool_;
    std::unique_ptr<SqlDb> db_;
    std::uint64_t era_;  // the pool's era when the connection was opened
  };

  Lease Acquire();

  // Connections leased now, and those waiting for the next use.
  struct Figures {
    std::size_t in_use = 0, idle = 0;
  };
  Figures figures();

 private:
  void Return(std::unique_ptr<SqlDb> db, std::uint64_t era);
  // Under mutex_: the database went away or came back.
  void LostLocked(const std::string& why);
  void BackLocked();

  Opener open_;
  Reporter report_;
  std::mutex mutex_;
  struct Idle {
    std::unique_ptr<SqlDb> db;
    std::uint64_t era;
  };
  std::vector<Idle> idle_;
  std::size_t in_use_ = 0;  // under mutex_
  // Each loss and each return of the database starts an era; a connection of
  // an earlier era that fails tells nothing new.
  std::uint64_t era_ = 0;
  bool down_ = false;
  std::chrono::steady_clock::time_point down_since_;
};

// "?N" parameters as PostgreSQL writes them ("$N"), numbered densely in the
// order of first use; `order[k]` is the "?N" number of parameter k + 1.
std::string PostgresParameters(std::string_view sql, std::vector<int>* order);

}  // namespace tv
