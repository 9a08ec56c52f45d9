#pragma once
// The members whose messages the lists never show, kept in a small SQLite
// file of their own beside the settings file (not among the settings'
// values): a member blocked once stays blocked in every list, in this run and
// the next. Base layer; the lists ask Blocked() for every row they write, so
// the numbers are also held in memory.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct sqlite3;

namespace tv {

struct BlockedMember {
  std::string number;           // the member number ("Flag" of his messages)
  std::string company;          // GBK, as last seen on one of his messages
  std::string tel;              // GBK, as last seen
  std::int64_t blocked_at = 0;  // seconds since the epoch
};

class BlockedMembers {
 public:
  // The file beside the settings file ("blocked.db" in its folder).
  static std::string DefaultPath();
  // Opens (creates) the file; when that fails the list lives in memory only
  // for this run and Persistent() says so.
  explicit BlockedMembers(const std::string& path);
  ~BlockedMembers();
  BlockedMembers(const BlockedMembers&) = delete;
  BlockedMembers& operator=(const BlockedMembers&) = delete;

  bool Persistent() const { return db_ != nullptr; }
  bool Blocked(std::string_view number) const;
  // Adds (or refreshes the company and telephone of) a member. False when
  // the number is empty.
  bool Block(const BlockedMember& member);
  void Unblock(std::string_view number);
  // Every blocked member, the most recently blocked first.
  const std::vector<BlockedMember>& List() const { return list_; }

  // The one list of the program, opened at DefaultPath() on first use (UI
  // thread only).
  static BlockedMembers& Shared();

 private:
  void Load();
  bool Exec(const char* sql, const std::vector<std::string>& texts, std::int64_t last_int = 0);
  // Stores one change; after a change that could not be stored (a full
  // disk) the whole list in memory is written instead, so the file catches
  // up with the member's blocks once it can be written again.
  void Store(const char* sql, const std::vector<std::string>& texts, std::int64_t last_int = 0);
  bool Rewrite();

  sqlite3* db_ = nullptr;
  std::vector<BlockedMember> list_;
  std::unordered_set<std::string> numbers_;
  bool unsaved_ = false;  // the file lags behind list_
};

}  // namespace tv
