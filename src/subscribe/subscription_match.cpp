#include "subscribe/subscription_match.h"

#include <algorithm>

#include "core/gbk.h"
#include "regions/region_directory.h"
#include "search/search_terms.h"
#include "search/search_text.h"

namespace tv {
namespace {

void AddOnce(std::vector<std::string>& words, std::string word) {
  if (word.empty() || std::find(words.begin(), words.end(), word) != words.end()) return;
  words.push_back(std::move(word));
}

bool IsProvince(std::string_view region) {
  const auto provinces = Provinces(ProvinceOrder::kBrowse);
  return std::find(provinces.begin(), provinces.end(), region) != provinces.end();
}

std::vector<std::string> Lowered(const std::vector<std::string>& words) {
  std::vector<std::string> out;
  out.reserve(words.size());
  for (const std::string& word : words) out.push_back(GbkAsciiLower(word));
  return out;
}

// Whether `word` occurs in `text` somewhere no word of `covering` covers:
// with a departure of 济宁 and a destination of 山东省, "济宁到上海" names
// 济宁 only as where it leaves from.
bool OccursUncovered(std::string_view text, std::string_view word,
                     const std::vector<std::string>& covering) {
  for (std::size_t at = FindWholeChars(text, word); at != std::string_view::npos;
       at = FindWholeChars(text, word, at + CharWidthAt(text, at))) {
    bool covered = false;
    for (const std::string& other : covering) {
      // Any occurrence of `other` that starts at or before `at` and reaches
      // over the whole of this one.
      const std::size_t earliest =
          at + word.size() > other.size() ? at + word.size() - other.size() : 0;
      for (std::size_t o = FindWholeChars(text, other, 0); o != std::string_view::npos && o <= at;
           o = FindWholeChars(text, other, o + CharWidthAt(text, o))) {
        if (o >= earliest) {
          covered = true;
          break;
        }
      }
      if (covered) break;
    }
    if (!covered) return true;
  }
  return false;
}

std::string TypeSuffix(const SubscriptionRequest& request) {
  return request.in_type ? "&inType=" + std::to_string(*request.in_type) : std::string();
}

}  // namespace

std::vector<std::string> DestinationWords(std::string_view region) {
  std::vector<std::string> words;
  if (!IsProvince(region)) {
    words.emplace_back(region);
    return words;
  }
  AddOnce(words, ProvinceKeyword(region));
  for (std::string& city : ListChildren(RegionTable::kPrefectureDirectory, region)) {
    AddOnce(words, std::move(city));
  }
  return words;
}

SubscriptionRequest RequestOf(const Subscription& subscription) {
  SubscriptionRequest request;
  request.code = JoinWords(subscription.departures);
  std::vector<std::string> words;
  for (const std::string& destination : subscription.destinations) {
    for (std::string& word : DestinationWords(destination)) AddOnce(words, std::move(word));
  }
  request.keywords = JoinWords(words);
  if (subscription.kind == SubscriptionKind::kCargo) request.in_type = 0;
  if (subscription.kind == SubscriptionKind::kTruck) request.in_type = 1;
  return request;
}

std::string SubscriptionFirstPagePath(const SubscriptionRequest& request) {
  return SearchFirstPagePath(request.code, request.keywords) + TypeSuffix(request);
}

std::string SubscriptionNewRecordsPath(const SubscriptionRequest& request,
                                       std::string_view max_id) {
  return SearchNewRecordsPath(max_id, request.code, request.keywords) + TypeSuffix(request);
}

std::string SubscriptionPagePath(const SubscriptionRequest& request, std::int32_t start_num,
                                 std::int32_t total_num) {
  return SearchPagePath(request.code, start_num, total_num, request.keywords) + TypeSuffix(request);
}

MatchFilter::MatchFilter(const Subscription& subscription)
    : must_(Lowered(subscription.must_words)), excluded_(Lowered(subscription.excluded_words)) {
  if (subscription.kind == SubscriptionKind::kCargo) type_ = "0";
  if (subscription.kind == SubscriptionKind::kTruck) type_ = "1";
  std::vector<std::string> destinations;
  for (const std::string& destination : subscription.destinations) {
    for (std::string& word : DestinationWords(destination)) AddOnce(destinations, std::move(word));
  }
  destinations_ = Lowered(destinations);
  std::vector<std::string> departures;
  for (const std::string& departure : subscription.departures) {
    for (std::string& word : DestinationWords(departure)) AddOnce(departures, std::move(word));
  }
  departures_ = Lowered(departures);
}

bool MatchFilter::Matches(const InfoRecord& record) const {
  if (type_ && record.Type != *type_) return false;
  const std::string content = GbkAsciiLower(record.Content);
  const auto in_content = [&content](const std::string& word) {
    return ContainsWholeChars(content, word);
  };
  const auto names_destination = [this, &content](const std::string& word) {
    return OccursUncovered(content, word, departures_);
  };
  if (!destinations_.empty() &&
      std::none_of(destinations_.begin(), destinations_.end(), names_destination)) {
    return false;
  }
  if (!std::all_of(must_.begin(), must_.end(), in_content)) return false;
  return std::none_of(excluded_.begin(), excluded_.end(), in_content);
}

}  // namespace tv
