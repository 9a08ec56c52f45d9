#pragma once
// What only the PostgreSQL store needs: a lock that one server at a time may
// hold.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

struct pg_conn;  // libpq's connection

namespace tv {

// A session advisory lock held on a connection of its own for as long as it
// stays up: whoever holds it is the only one among the servers.
class PgAdvisoryLock {
 public:
  PgAdvisoryLock(std::string conninfo, std::int64_t key);
  ~PgAdvisoryLock();
  PgAdvisoryLock(const PgAdvisoryLock&) = delete;
  PgAdvisoryLock& operator=(const PgAdvisoryLock&) = delete;

  // True while this process holds the lock (tries to take it when not).
  bool Hold();

 private:
  std::string conninfo_;
  std::int64_t key_;
  std::mutex mutex_;
  ::pg_conn* conn_ = nullptr;
  bool held_ = false;
};

// A connection string from the user's forms: "postgresql://..." or
// "postgres://..." URIs.
bool IsPostgresUri(std::string_view text);

}  // namespace tv
