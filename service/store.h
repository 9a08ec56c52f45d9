#pragma once
// The service's store: messages, the deletion and closure logs, members and
// their friends. Either one SQLite file (WAL; reads on pooled connections in
// parallel, every write through the one writer connection) or a PostgreSQL
// database that several servers share (a pool of connections; writes of
// messages and logs one at a time across all servers, so identifiers become
// visible in the order they are handed out; a count of changes kept in the
// database tells every server when its cached answers are stale).
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sql_db.h"

namespace tv {

struct MessageRow {
  std::int64_t id = 0;
  std::string city;        // publishing city ("Msg_Code")
  std::string start_city;  // departure city ("Msg_StartCity")
  int type = 0;            // 0 cargo, 1 trucks, other: general
  std::string content, tel, qq, company;
  std::int64_t flag = 0;  // publishing member, 0 for staff entries
  int deal = 0;
  std::string time;  // "YYYY-MM-DD HH:MM:SS"
  // Read only by the console's own queries (store_console.cpp).
  int deleted = 0;  // 1 withdrawn or deleted, 2 replaced by a re-send
  int resent = 0;   // re-sends of the text before this copy
};

// Which messages a list holds; unset parts do not filter.
struct MessageFilter {
  std::optional<int> type;
  std::optional<std::int64_t> flag;
  std::vector<std::string> cities;  // publishing or departure city is one of them
  std::vector<std::string> words;   // the content names one of them
};

struct NewMessage {
  std::string city, start_city;
  int type = 0;
  std::string content, tel, qq, company;
  std::int64_t flag = 0;
  std::time_t created = 0;  // 0: now
};

// kNotStored: the database did not take the message (full, gone, locked up):
// nothing of it was kept, and the publisher may try again.
enum class PublishResult { kAdded, kDuplicate, kQuotaFull, kNoRight, kNotStored };

struct PublishPolicy {
  int daily_quota = 100;  // messages per member and calendar day
  // A loop re-send repeats a message on purpose: only a repeat within this
  // many seconds counts as a duplicate (fresh publications: within a day),
  // and it bumps the member's live copy of the text: that one is deleted
  // (logged) as the new one is stored.
  bool loop = false;
  // The member's own "publish again now" from its page: the live copy gives
  // way as for a loop re-send, without the repeat window (the member's
  // interval between publications applies instead).
  bool bump = false;
};

struct Member {
  std::int64_t id = 0;
  std::string username;
  std::string real_name, sex, company, phone, mobile, net_phone, extension, city, province;
  std::string url, email, address, post, town;
  int member_status = 1;  // negative: ordinary member
  int contact_wait_flag = 0;
  int contact_wait_seconds = 0;
  bool contact_right = true;
  bool approved = true;
  int publish_right = 1;
  int publish_wait_seconds = 0;
  int info_num = 1;
  int content_limit = 100;
  int daily_quota = -1;  // -1: the service's own
  bool disabled = false;
  std::int64_t created = 0, last_login = 0;  // seconds since the epoch; 0: never
};

// What the operator searches messages by; unset parts do not filter.
struct MessageSearch {
  std::string words;  // ","-separated: the content names one of them
  std::optional<std::int64_t> flag;
  std::string city;  // publishing or departure city
  std::optional<int> type;
  std::time_t from = 0, to = 0;  // created within [from, to); 0: open
  bool with_deleted = false;
};

struct MemberListRow {
  Member member;
  std::int64_t today = 0;  // messages since midnight
};

struct AuditEntry {
  std::int64_t id = 0;
  std::time_t at = 0;
  std::string op, action, target, before, after;
};

struct HourCount {
  std::time_t hour = 0;  // start of the hour
  int type = 0;
  std::int64_t count = 0;
};

struct StoreFigures {
  std::int64_t file_bytes = -1;  // SQLite: the file and its log; -1 elsewhere
  std::size_t pool_in_use = 0, pool_idle = 0;
};

struct FriendEntry {
  std::int64_t entry_id = 0;
  std::string company, qq, net_phone;
  std::int64_t friend_id = 0;
};

struct LogPair {
  std::int64_t log_id = 0;
  std::int64_t info_id = 0;
};
enum class LogKind { kDeleted, kClosed };

struct Totals {
  std::int64_t all = 0, cargo = 0, trucks = 0;
};

class PgAdvisoryLock;

class ServiceStore {
 public:
  // `where`: a SQLite file path, or a "postgresql://" URI.
  static std::unique_ptr<ServiceStore> Open(const std::string& where, std::string* error);
  ~ServiceStore();

  SqlEngine engine() const { return engine_; }
  // Changes with every change of messages or logs, here or (PostgreSQL) on
  // another server: answers built from them may be reused while it stays the
  // same. PostgreSQL: read from the database, so not on an event loop.
  std::uint64_t version();
  // Whether version() is known here without asking the database.
  bool version_is_local() const { return engine_ == SqlEngine::kSqlite; }
  // The newest message identifier, where it is known without asking the
  // database (else the largest number).
  std::int64_t newest_message_id() const;
  bool IsEmpty();
  // Runs `fn` while no other server on the same database runs one (SQLite:
  // at once). For filling a new database once.
  bool RunAlone(const std::function<bool()>& fn);
  // Whether this server is the one that runs the live traffic (PostgreSQL:
  // one among those that share the database; it moves on when that one stops).
  bool HoldSimulation();

  // Messages, newest first / oldest first after an identifier.
  std::int64_t CountMessages(const MessageFilter& filter);
  std::vector<MessageRow> PageMessages(const MessageFilter& filter, std::int64_t offset, int limit);
  std::vector<MessageRow> NewerMessages(const MessageFilter& filter, std::int64_t after_id,
                                        int limit);
  std::optional<std::int64_t> NewestIdOf(std::int64_t flag);
  Totals CountTotals();
  std::vector<std::int64_t> RecentMessageIds(int limit);

  // Checks the member's right, duplicates and the daily quota, then stores.
  PublishResult Publish(const NewMessage& message, const PublishPolicy& policy,
                        std::int64_t* new_id);
  // Stores without checks, all in one transaction (demo data).
  bool InsertMessages(const std::vector<NewMessage>& messages);
  bool DeleteMessage(std::int64_t id);
  bool CloseMessage(std::int64_t id);

  std::int64_t MaxLogId(LogKind kind);
  std::vector<LogPair> LogsAfter(LogKind kind, std::int64_t after, int limit);

  // Members. AddMember returns the new id, or 0 when the name is taken.
  std::int64_t AddMember(const Member& member, const std::string& password_hash);
  std::optional<Member> FindMember(std::int64_t id);
  // The member and its stored password hash.
  std::optional<std::pair<Member, std::string>> FindLogin(const std::string& username);

  // Friends. AddFriend: nullopt when either member is unknown or already listed.
  std::vector<FriendEntry> Friends(std::int64_t owner);
  std::optional<std::int64_t> AddFriend(std::int64_t owner, const FriendEntry& entry);
  // Whose list an entry is on.
  std::optional<std::int64_t> FriendOwner(std::int64_t entry_id);
  // Only from `owner`'s list.
  bool DeleteFriend(std::int64_t owner, std::int64_t entry_id);

  // Member sessions, by the hash of their key (session_key.h). AddSession
  // also forgets the sessions that have run out.
  bool AddSession(std::int64_t member, const std::string& key_hash, std::time_t expires);
  // The member of a session that runs at `now`.
  std::optional<std::int64_t> SessionMember(const std::string& key_hash, std::time_t now);

  static std::string TimeText(std::time_t t);

  // Failed logins by key (a user name or a client address; store_throttle.cpp).
  // Times in milliseconds since the epoch. A count lapses when `window` has
  // passed since its last failure.
  struct LoginFailures {
    int failures = 0;
    std::int64_t held_until = 0;  // a held attempt is answered then
  };
  LoginFailures FailuresOf(const std::string& key, std::int64_t now, std::int64_t window);
  // Takes the key's one held attempt until `until`: false while another one
  // is held (here or on another server).
  bool HoldLoginAttempt(const std::string& key, std::int64_t now, std::int64_t until);
  void CountLoginFailure(const std::string& key, std::int64_t now, std::int64_t window);
  void ForgetLoginFailures(const std::string& key);

  // The member pages and the operator's console (store_console.cpp).
  std::optional<MessageRow> FindMessage(std::int64_t id);
  // The member's messages, withdrawn ones too (not copies a re-send
  // replaced), newest first.
  std::vector<MessageRow> MemberMessages(std::int64_t flag, std::int64_t offset, int limit);
  std::int64_t CountMemberMessages(std::int64_t flag);
  // When the member last published (0: never).
  std::time_t LastPublished(std::int64_t flag);
  std::vector<MessageRow> SearchMessages(const MessageSearch& search, std::int64_t offset,
                                         int limit);
  std::int64_t CountSearch(const MessageSearch& search);
  // Members whose name, real name, company, city or telephone names `words`
  // ("": all), by number.
  std::vector<MemberListRow> SearchMembers(const std::string& words, std::int64_t offset,
                                           int limit);
  std::int64_t CountMembers(const std::string& words);
  std::optional<Member> FindMemberByName(const std::string& username);
  // Writes approval, disabling and rights; a disabled member loses its
  // sessions.
  bool UpdateMemberRights(const Member& member);
  // A new password hash; the member's sessions end.
  bool SetMemberPassword(std::int64_t id, const std::string& password_hash);
  void NoteLogin(std::int64_t id);
  // Operators: Add is false when the name is taken.
  bool AddOperator(const std::string& name, const std::string& password_hash);
  bool RemoveOperator(const std::string& name);
  std::vector<std::pair<std::string, std::time_t>> Operators();
  std::optional<std::string> OperatorHash(const std::string& name);
  bool AddOperatorSession(const std::string& name, const std::string& key_hash,
                          std::time_t expires);
  // The operator of a session that runs at `now`; its expiry moves to
  // `now + idle`.
  std::optional<std::string> TouchOperatorSession(const std::string& key_hash, std::time_t now,
                                                  std::time_t idle);
  void EndOperatorSession(const std::string& key_hash);
  void EndMemberSession(const std::string& key_hash);
  bool AddAudit(const AuditEntry& entry);
  std::vector<AuditEntry> Audit(std::int64_t offset, int limit);
  std::int64_t CountAudit();
  // Publications per hour and type since `since`; members that logged in or
  // published since `since`.
  std::vector<HourCount> PublicationsPerHour(std::time_t since);
  std::int64_t MembersSeenSince(std::time_t since);
  StoreFigures Figures();

 private:
  // The connection writes go through: SQLite's one writer under the write
  // mutex, or a pooled PostgreSQL connection.
  struct WriteConn {
    std::unique_lock<std::mutex> lock;
    std::optional<SqlPool::Lease> lease;
    SqlDb* db = nullptr;
    SqlDb& operator*() { return *db; }
    bool valid() const { return db != nullptr; }
  };

  ServiceStore(SqlEngine engine, std::string where);
  WriteConn Writer();
  // A transaction for messages and logs: one at a time across the servers.
  bool BeginMessageWrite(SqlDb& db);
  // Commits and tells the other servers; `newest_id` 0 when no message came.
  bool CommitMessageWrite(SqlDb& db, std::int64_t newest_id);
  // Marks a message and logs the mark in one transaction.
  bool MarkAndLog(const char* update, LogKind kind, std::int64_t id);
  void Changed();
  // A message identifier written here: the newest is at least it.
  void Noticed(std::int64_t newest_id);
  std::int64_t CountSince(SqlDb& db, std::int64_t flag, std::time_t since);
  // Deletes (and logs) the member's live messages of exactly this text.
  // `resent` becomes the count the new copy carries.
  bool WithdrawLiveCopies(SqlDb& db, std::int64_t flag, const std::string& content, std::time_t now,
                          int* resent);
  // `order` follows the filter's WHERE clause and uses ?5 and ?6 (= limit).
  std::vector<MessageRow> SelectMessages(const MessageFilter& filter, const char* order,
                                         std::int64_t p5, int limit);
  // "column = ?N" without regard to ASCII letter case.
  std::string NoCaseEquals(const char* column, const char* param) const;

  SqlEngine engine_;
  std::string where_;
  SqlPool pool_;  // SQLite: the readers; PostgreSQL: every use
  std::mutex write_mutex_;
  std::unique_ptr<SqlDb> writer_;  // SQLite only
  std::atomic<std::uint64_t> version_{1};
  std::atomic<std::int64_t> newest_id_{0};
  std::unique_ptr<PgAdvisoryLock> simulation_lock_;
  // PostgreSQL: the shared count of changes, read for waiting requests.
  std::uint64_t ReadSharedVersion();
  std::mutex version_mutex_;
  std::condition_variable version_done_;
  std::uint64_t version_requests_ = 0, version_covered_ = 0, version_read_ = 0;
  bool version_reading_ = false;
};

}  // namespace tv
