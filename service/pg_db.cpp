#include "pg_db.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "core/gbk.h"
#include "sql_db.h"

namespace tv {
namespace {

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Results as text; parameters as text, typed by PostgreSQL from their use.
// On a UTF-8 database the GBK texts of the service are converted here, both
// ways; a database without an encoding of its own keeps the bytes as they
// come.
class PgStatement final : public SqlStatement {
 public:
  PgStatement(PGconn* conn, std::string name, std::vector<int> order, bool utf8)
      : conn_(conn),
        name_(std::move(name)),
        order_(std::move(order)),
        values_(order_.size()),
        set_(order_.size(), false),
        utf8_(utf8) {}
  ~PgStatement() override { PQclear(result_); }

  void Bind(int index, std::int64_t value) override { Bind(index, std::to_string(value)); }
  void Bind(int index, std::string_view text) override {
    for (std::size_t k = 0; k < order_.size(); ++k) {
      if (order_[k] == index) {
        if (utf8_ && !IsAscii(text)) {
          values_[k] = GbkToUtf8(text);
        } else {
          values_[k].assign(text.data(), text.size());
        }
        set_[k] = true;
      }
    }
  }
  bool Step() override {
    if (!executed_ && !Execute()) return false;
    if (PQresultStatus(result_) != PGRES_TUPLES_OK) return false;
    return ++row_ < PQntuples(result_);
  }
  bool Run() override {
    if (!executed_ && !Execute()) return false;
    const ExecStatusType status = PQresultStatus(result_);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) return false;
    changes_ = std::atoll(PQcmdTuples(result_));
    return true;
  }
  std::int64_t Changes() const override { return changes_; }
  std::int64_t Int(int column) const override {
    return std::atoll(PQgetvalue(result_, row_, column));
  }
  std::string Text(int column) const override {
    const std::string_view text(PQgetvalue(result_, row_, column),
                                static_cast<std::size_t>(PQgetlength(result_, row_, column)));
    return utf8_ && !IsAscii(text) ? Utf8ToGbk(text) : std::string(text);
  }
  bool IsNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }
  void Reset() override {
    PQclear(result_);
    result_ = nullptr;
    executed_ = false;
    row_ = -1;
    changes_ = 0;
    std::fill(set_.begin(), set_.end(), false);
  }

 private:
  bool Execute() {
    executed_ = true;
    std::vector<const char*> params(values_.size());
    for (std::size_t k = 0; k < values_.size(); ++k)
      params[k] = set_[k] ? values_[k].c_str() : nullptr;
    result_ = PQexecPrepared(conn_, name_.c_str(), static_cast<int>(params.size()), params.data(),
                             nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result_);
    return status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
  }

  PGconn* conn_;
  std::string name_;
  std::vector<int> order_;
  std::vector<std::string> values_;
  std::vector<bool> set_;
  PGresult* result_ = nullptr;
  bool executed_ = false;
  int row_ = -1;
  std::int64_t changes_ = 0;
  bool utf8_;
};

bool StoresUtf8(PGconn* conn) {
  const char* encoding = PQparameterStatus(conn, "server_encoding");
  return !encoding || std::string_view(encoding) != "SQL_ASCII";
}

class PgDb final : public SqlDb {
 public:
  explicit PgDb(PGconn* conn) : conn_(conn), utf8_(StoresUtf8(conn)) {}
  ~PgDb() override {
    statements_.clear();
    PQfinish(conn_);
  }

  bool Exec(const std::string& sql) override {
    PGresult* r = PQexec(conn_, sql.c_str());
    const ExecStatusType status = PQresultStatus(r);
    PQclear(r);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
  }
  SqlStatement* Prepare(const std::string& sql) override {
    auto it = statements_.find(sql);
    if (it != statements_.end()) return it->second.get();
    std::vector<int> order;
    const std::string text = PostgresParameters(sql, &order);
    // Appended, not "s" + ...: GCC 12 at -O3 warns of a false overlap.
    std::string name(1, 's');
    name += std::to_string(statements_.size());
    PGresult* r = PQprepare(conn_, name.c_str(), text.c_str(), 0, nullptr);
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!ok) return nullptr;
    auto& slot = statements_[sql];
    slot = std::make_unique<PgStatement>(conn_, name, std::move(order), utf8_);
    return slot.get();
  }
  std::string LastError() const override { return PQerrorMessage(conn_); }
  bool Healthy() const override { return PQstatus(conn_) == CONNECTION_OK; }

 private:
  PGconn* conn_;
  bool utf8_;
  std::unordered_map<std::string, std::unique_ptr<PgStatement>> statements_;
};

PGconn* Connect(const std::string& conninfo, std::string* error) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    if (error) *error = PQerrorMessage(conn);
    PQfinish(conn);
    return nullptr;
  }
  // A database without an encoding of its own (SQL_ASCII) keeps the GBK
  // bytes as they come; any other gets UTF-8, converted by the statements.
  // "already exists" notices of the schema's statements are no news.
  PQsetClientEncoding(conn, StoresUtf8(conn) ? "UTF8" : "SQL_ASCII");
  PQclear(PQexec(conn, "SET client_min_messages TO warning"));
  return conn;
}

}  // namespace

std::unique_ptr<SqlDb> OpenPostgres(const std::string& conninfo, std::string* error) {
  PGconn* conn = Connect(conninfo, error);
  if (!conn) return nullptr;
  return std::make_unique<PgDb>(conn);
}

bool IsPostgresUri(std::string_view text) {
  return text.starts_with("postgresql://") || text.starts_with("postgres://");
}

PgAdvisoryLock::PgAdvisoryLock(std::string conninfo, std::int64_t key)
    : conninfo_(std::move(conninfo)), key_(key) {}

PgAdvisoryLock::~PgAdvisoryLock() { PQfinish(conn_); }

bool PgAdvisoryLock::Hold() {
  std::lock_guard lock(mutex_);
  if (held_) {  // held while its connection lives
    PGresult* r = PQexec(conn_, "SELECT 1");
    const bool alive = PQresultStatus(r) == PGRES_TUPLES_OK;
    PQclear(r);
    if (alive) return true;
    held_ = false;
  }
  if (conn_ && PQstatus(conn_) != CONNECTION_OK) {
    PQfinish(conn_);
    conn_ = nullptr;
  }
  if (!conn_) conn_ = Connect(conninfo_, nullptr);
  if (!conn_) return false;
  const std::string sql = "SELECT pg_try_advisory_lock(" + std::to_string(key_) + ")";
  PGresult* r = PQexec(conn_, sql.c_str());
  held_ = PQresultStatus(r) == PGRES_TUPLES_OK && PQgetvalue(r, 0, 0)[0] == 't';
  PQclear(r);
  return held_;
}

}  // namespace tv
