#pragma once
// The service's store: messages, the deletion and closure logs, members and
// their friends, in one SQLite file (WAL). Reads run on pooled connections in
// parallel; every write goes through the one writer connection, one at a time.
#include <atomic>
#include <cstdint>
#include <ctime>
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
};

// Which messages a list holds; unset parts do not filter.
struct MessageFilter {
  std::optional<int> type;
  std::optional<std::int64_t> flag;
  std::vector<std::string> cities;  // publishing or departure city is one of them
  std::vector<std::string> words;   // the content names one of them
  bool words_in_tel = false;        // ... or the telephone does
};

struct NewMessage {
  std::string city, start_city;
  int type = 0;
  std::string content, tel, qq, company;
  std::int64_t flag = 0;
  std::time_t created = 0;  // 0: now
};

enum class PublishResult { kAdded, kDuplicate, kQuotaFull, kNoRight };

struct PublishPolicy {
  int daily_quota = 100;  // messages per member and calendar day
  // A loop re-send repeats a message on purpose: only a repeat within this
  // many seconds counts as a duplicate. Fresh publications: within a day.
  bool loop = false;
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

class ServiceStore {
 public:
  static std::unique_ptr<ServiceStore> Open(const std::string& path, std::string* error);

  // Grows with every change of messages or logs: answers built from them may
  // be reused while it stays the same.
  std::uint64_t version() const { return version_.load(std::memory_order_acquire); }
  std::int64_t newest_message_id() const { return newest_id_.load(std::memory_order_acquire); }
  bool IsEmpty();

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
  bool DeleteFriend(std::int64_t entry_id);

  static std::string TimeText(std::time_t t);

 private:
  explicit ServiceStore(std::string path, std::unique_ptr<SqlDb> writer);
  bool CreateSchema();
  void Changed();
  std::int64_t CountSince(SqlDb& db, std::int64_t flag, std::time_t since);
  // `order` follows the filter's WHERE clause and uses ?5 and ?6 (= limit).
  std::vector<MessageRow> SelectMessages(const MessageFilter& filter, const char* order,
                                         std::int64_t p5, int limit);

  SqlPool readers_;
  std::mutex write_mutex_;
  std::unique_ptr<SqlDb> writer_;
  std::atomic<std::uint64_t> version_{1};
  std::atomic<std::int64_t> newest_id_{0};
};

}  // namespace tv
