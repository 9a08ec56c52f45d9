#pragma once
// A throwaway PostgreSQL cluster for tests: initdb in a temporary folder (as
// an unprivileged user when run as root), a free port on 127.0.0.1, stopped
// and removed by the destructor. The cluster is UTF-8 with the system's
// locale, as a packaged PostgreSQL makes it; databases are made as createdb
// makes them, or by the service's first recipe (SQL_ASCII, C locale).
#include <cstdint>
#include <string>
#include <vector>

namespace tv::test {

class PgCluster {
 public:
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  // False with error() set when PostgreSQL is missing or does not start.
  bool ok() const { return port_ > 0; }
  const std::string& error() const { return error_; }
  int port() const { return port_; }
  // The server goes down and comes back on the same port: `pg_ctl restart`,
  // or a stop and, later, a start. False when pg_ctl fails.
  bool Restart();
  bool Stop();
  bool Start();

  enum class Recipe { kOrdinary, kSqlAscii };
  // A new empty database; its "postgresql://" URI, or "" with error() set.
  std::string NewDatabase(Recipe recipe = Recipe::kOrdinary);
  // The URI of an existing database.
  std::string Uri(const std::string& database) const;

 private:
  bool Run(const std::string& command);
  bool StartOn(int port);
  std::string Options(int port) const;

  std::string bin_, dir_, user_, error_;
  int port_ = 0;
  int databases_ = 0;
};

// One SQL statement on the database at `uri`: the first column of every row as
// a number (NULL as 0); empty when the statement fails.
std::vector<std::int64_t> PgNumbers(const std::string& uri, const std::string& sql);
// One statement that returns no rows; false when it fails.
bool PgExec(const std::string& uri, const std::string& sql);
// The same, the first column as text, read as UTF-8 as any other tool reads it.
std::vector<std::string> PgTexts(const std::string& uri, const std::string& sql);

}  // namespace tv::test
