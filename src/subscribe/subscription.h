#pragma once
// A route subscription: a live search the member keeps across restarts, for
// the messages of one or more departure regions to one or more destinations,
// of one kind, with words that must and must not appear. Plain C++, GBK
// texts, as the rest of the base layer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The most subscriptions a member runs at once.
inline constexpr int kMaxSubscriptions = 10;

// What a subscription watches: "货源", "车源" or "全部".
enum class SubscriptionKind { kCargo, kTruck, kAll };

// The alerts a subscription gives, each on or off.
struct SubscriptionAlerts {
  bool chime = true;
  bool notify = true;
  bool speech = false;
  friend bool operator==(const SubscriptionAlerts&, const SubscriptionAlerts&) = default;
};

struct Subscription {
  std::int64_t id = 0;  // the store's number; 0 until stored
  std::string name;
  // Region names as the region directory spells them (province, city or
  // county); no departure means the whole country.
  std::vector<std::string> departures;
  std::vector<std::string> destinations;
  SubscriptionKind kind = SubscriptionKind::kAll;
  std::vector<std::string> must_words;      // every one must appear
  std::vector<std::string> excluded_words;  // none may appear
  SubscriptionAlerts alerts;
  bool paused = false;
  friend bool operator==(const Subscription&, const Subscription&) = default;
};

// "货源", "车源", "全部".
std::string KindWord(SubscriptionKind kind);
// The kind a word names ("货源"/"车源"/"全部"; also "cargo", "truck", "all").
std::optional<SubscriptionKind> KindOfWord(std::string_view gbk);

// "济宁→北京 货源": the departures and destinations joined by "、", "全国"
// for a side left open.
std::string ProposedName(const Subscription& subscription);

// A subscription as the member typed it: UTF-8, the edge where a character
// GBK cannot hold is still visible (a QString's text or a terminal argument).
struct SubscriptionInput {
  std::string name;  // empty: the proposed name
  std::vector<std::string> departures;
  std::vector<std::string> destinations;
  SubscriptionKind kind = SubscriptionKind::kAll;
  std::vector<std::string> must_words;
  std::vector<std::string> excluded_words;
  SubscriptionAlerts alerts;
};

// The subscription, or the reason it is refused (a GBK notice text).
struct SubscriptionCheck {
  std::optional<Subscription> subscription;
  std::string fault;
};

// Checks and converts: a route with a departure or a destination, regions
// the directory knows, texts GBK can hold, words without ","; `others` is the
// number of subscriptions the member already has besides this one (an
// eleventh is refused). Blanks around names and words go; empty words and
// repeats are dropped.
SubscriptionCheck CheckSubscription(const SubscriptionInput& input, int others);

// The words a list of GBK items is stored and passed as: joined by ",".
std::string JoinWords(const std::vector<std::string>& words);
std::vector<std::string> SplitWords(std::string_view joined);

}  // namespace tv
