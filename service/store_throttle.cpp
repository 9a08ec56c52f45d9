// Failed logins of the service's store: one row per user name or client
// address, so that every server on a shared database sees the same counts.
#include "store.h"

namespace tv {

ServiceStore::LoginFailures ServiceStore::FailuresOf(const std::string& key, std::int64_t now,
                                                     std::int64_t window) {
  auto db = pool_.Acquire();
  if (!db.valid()) return {};
  SqlStmt s(*db,
            "SELECT failures, last_failure, held_until FROM login_failures WHERE login_key = ?1");
  s.Bind(1, key);
  if (!s.Step()) return {};
  LoginFailures found;
  if (s.Int(1) >= now - window) found.failures = static_cast<int>(s.Int(0));
  found.held_until = s.Int(2);
  return found;
}

bool ServiceStore::HoldLoginAttempt(const std::string& key, std::int64_t now, std::int64_t until) {
  auto writer = Writer();
  if (!writer.valid()) return true;
  // One statement: of two servers asking at once, one takes the hold.
  SqlStmt s(*writer,
            "UPDATE login_failures SET held_until = ?3 WHERE login_key = ?1 AND held_until <= ?2");
  s.Bind(1, key).Bind(2, now).Bind(3, until);
  return s.Run() && s.Changes() == 1;
}

void ServiceStore::CountLoginFailure(const std::string& key, std::int64_t now,
                                     std::int64_t window) {
  auto writer = Writer();
  if (!writer.valid()) return;
  SqlStmt s(*writer,
            "INSERT INTO login_failures(login_key, failures, last_failure) VALUES(?1, 1, ?2) "
            "ON CONFLICT(login_key) DO UPDATE SET failures = CASE WHEN "
            "login_failures.last_failure < ?3 THEN 1 ELSE login_failures.failures + 1 END, "
            "last_failure = ?2");
  s.Bind(1, key).Bind(2, now).Bind(3, now - window);
  s.Run();
  // Keys whose count has lapsed go, so that names tried once do not pile up.
  SqlStmt prune(*writer, "DELETE FROM login_failures WHERE last_failure < ?1 AND held_until < ?2");
  prune.Bind(1, now - window).Bind(2, now);
  prune.Run();
}

void ServiceStore::ForgetLoginFailures(const std::string& key) {
  auto writer = Writer();
  if (!writer.valid()) return;
  SqlStmt s(*writer, "DELETE FROM login_failures WHERE login_key = ?1");
  s.Bind(1, key);
  s.Run();
}

}  // namespace tv
