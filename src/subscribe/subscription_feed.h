#pragma once
// One subscription as a live list: the feed's own store, jobs and paging,
// asking the search page with the subscription's request. Every answer
// passes the subscription's local filter on its way in, so a record that
// does not match is never inserted, counted or announced; what does is kept
// in the subscription store. The list starts from the kept matches and
// polls on from the newest identifier any answer brought (a record the
// filter dropped is not asked for again). Headless: the window shows its
// rows in a tab, tarvolo-cli prints them.
#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/info_record.h"
#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/feed_services.h"
#include "feed/feed_store.h"
#include "feed/paging_controller.h"
#include "subscribe/subscription.h"
#include "subscribe/subscription_store.h"

namespace tv {

class SubscriptionFeed : public QObject {
  Q_OBJECT

 public:
  // `rows` is the row store its grid shows; `store` keeps its matches.
  // Both outlive the feed.
  SubscriptionFeed(const Subscription& subscription, RowStore& rows, FeedServices services,
                   SubscriptionStore& store, QObject* parent = nullptr);
  ~SubscriptionFeed() override;

  const Subscription& Info() const { return subscription_; }
  FeedController& Feed() { return *feed_; }
  PagingController& Paging() { return *paging_; }
  FeedStore& Store() { return store_; }
  RowStoreGrid& Grid() { return grid_; }

  void SetMember(std::int64_t user_id) { store_.Member().user_id = user_id; }
  void SetHost(std::string host) { feed_->SetFeedHost(std::move(host)); }
  void SetRefreshPeriodMs(int ms) { feed_->SetRefreshPeriodMs(ms); }
  void SetMasked(bool masked) { store_.View().masked = masked; }

  // Shows the kept matches (the first page of the search when it never ran)
  // and polls from there while polling is on.
  void Start();
  // Stops polling and drops answers under way; the rows stay.
  void Stop();
  // Polling on or off (paused, backing off) without dropping the rows.
  void SetPolling(bool on);
  bool Started() const { return started_; }
  // The newest identifier an answer brought (the next poll goes on from it).
  std::int64_t NewestSeen() const;

 signals:
  // New matches, oldest first, after they were put in the list and kept.
  void matchesArrived(const std::vector<InfoRecord>& records);
  // The start's list is shown: kept matches or the search's first page.
  void started(int rows);

 private:
  struct Shared;
  void TakeArrived(int rows_on_top, bool announce);

  Subscription subscription_;
  SubscriptionStore& kept_;
  RowStoreGrid grid_;
  FeedStore store_;
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<FeedController> feed_;
  std::unique_ptr<PagingController> paging_;
  bool started_ = false;
  bool polling_ = true;
  // The newest identifier as last written to the store.
  std::string stored_newest_;
  // Some matches of this run could not be kept: the mark is not moved again.
  bool unkept_ = false;
};

}  // namespace tv
