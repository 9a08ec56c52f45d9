#pragma once
// How a subscription asks the service and what the client decides itself.
//
// The search page answers "in these regions, naming any of these words, of
// this type": departures go as `Code` (joined by ","), destinations as
// `KeyWords` (a province spelled out as its own word and its cities, since a
// message names the city it goes to), the kind as `inType`. What the page
// cannot say is checked here on every received record before it is
// inserted, counted or announced: the kind again, a destination in the
// content (not only as part of a departure), every must-have word, no
// excluded word. Texts are compared on
// GBK character boundaries, ASCII letters without regard to case.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"
#include "subscribe/subscription.h"

namespace tv {

struct SubscriptionRequest {
  std::string code;            // `Code`: the departures, "," between them
  std::string keywords;        // `KeyWords`: the destinations' words
  std::optional<int> in_type;  // `inType`: 0 cargo, 1 trucks; none for both
};

SubscriptionRequest RequestOf(const Subscription& subscription);

// The three "GetSearchInfo.asp" paths of a subscription.
std::string SubscriptionFirstPagePath(const SubscriptionRequest& request);
std::string SubscriptionNewRecordsPath(const SubscriptionRequest& request, std::string_view max_id);
std::string SubscriptionPagePath(const SubscriptionRequest& request, std::int32_t start_num,
                                 std::int32_t total_num);

// The words a destination stands for: a province as its short name and its
// prefecture cities, a city or county as itself.
std::vector<std::string> DestinationWords(std::string_view region);

// The local part of a subscription, prepared once (lowered words).
class MatchFilter {
 public:
  explicit MatchFilter(const Subscription& subscription);
  bool Matches(const InfoRecord& record) const;

 private:
  std::optional<std::string> type_;
  std::vector<std::string> destinations_;
  // The departures' words: a destination named only inside one of them is
  // where the message leaves from.
  std::vector<std::string> departures_;
  std::vector<std::string> must_;
  std::vector<std::string> excluded_;
};

}  // namespace tv
