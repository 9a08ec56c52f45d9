#pragma once
// The member's subscriptions and the last matches of each, in an SQLite
// file of their own beside the settings store (the settings keep short
// named values; a few thousand records are no settings). The window and
// tarvolo-cli may have it open at the same time: WAL, and a writer waits a
// moment for the other. Every call reports failure by its return value.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"
#include "subscribe/subscription.h"

struct sqlite3;

namespace tv {

struct StoredMatch {
  InfoRecord record;
  bool seen = false;
};

class SubscriptionStore {
 public:
  // Matches kept per subscription; older ones go as new ones come.
  static constexpr int kKeptMatches = 500;

  // "subscriptions.db" in the settings store's folder (so $TARVOLO_SETTINGS
  // moves it along).
  static std::string DefaultPath();
  // Opens (creating it, mode 0600, and its folder) the file; null when it
  // cannot be opened or is not a store of ours.
  static std::unique_ptr<SubscriptionStore> Open(const std::string& path);
  ~SubscriptionStore();
  SubscriptionStore(const SubscriptionStore&) = delete;
  SubscriptionStore& operator=(const SubscriptionStore&) = delete;

  // --- subscriptions, in the member's order -------------------------------------
  std::vector<Subscription> List();
  std::optional<Subscription> Find(std::int64_t id);
  // Appends it and sets its id; false when the member has kMaxSubscriptions
  // already or the write failed.
  bool Add(Subscription& subscription);
  // Rewrites name, route, words, kind, alerts and pause. Its matches stay
  // while what they were matched by (route, kind, words) stays; otherwise
  // they go with the newest identifier seen, and the changed search starts
  // afresh.
  bool Update(const Subscription& subscription);
  // With its matches.
  bool Remove(std::int64_t id);
  bool SetPaused(std::int64_t id, bool paused);
  // Moves it to `index` in the order (clamped).
  bool Move(std::int64_t id, int index);

  // --- matches ------------------------------------------------------------------
  // Appends the records (oldest first, as a poll brings them); one already
  // kept is skipped. Returns how many were new, -1 on failure.
  int AddMatches(std::int64_t id, const std::vector<InfoRecord>& records);
  // The kept matches, newest first.
  std::vector<StoredMatch> Matches(std::int64_t id);
  bool MarkSeen(std::int64_t id, std::string_view info_id);
  int UnreadCount(std::int64_t id);
  // The newest identifier a poll of the subscription saw (matched or not):
  // the next poll goes on from it.
  std::string NewestId(std::int64_t id);
  bool SetNewestId(std::int64_t id, std::string_view info_id);

  // --- small options of the subscriptions (quiet hours) ----------------------------
  std::optional<std::string> Option(std::string_view name);
  bool SetOption(std::string_view name, std::string_view value);

 private:
  explicit SubscriptionStore(sqlite3* db) : db_(db) {}
  bool Exec(const char* sql);

  sqlite3* db_;
};

}  // namespace tv
