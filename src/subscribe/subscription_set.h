#pragma once
// Every subscription of the member as a live list (SubscriptionFeed), run
// together so that ten of them do not multiply the load blindly: their
// polls are spread over one refresh period, a paused one shows what it kept
// and does not poll, and when the service fails they back off together:
// one list keeps trying, the others wait until it gets an answer again (or
// until the main feed, which looks for a working server, has one). The
// loss and the return are told once for all of them.
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "feed/feed_services.h"
#include "grid/row_store.h"
#include "subscribe/subscription_feed.h"
#include "subscribe/subscription_store.h"

namespace tv {

class SubscriptionSet : public QObject {
  Q_OBJECT

 public:
  // The row store a subscription's list writes; by default one of the set's
  // own (headless), the window gives its tab's grid.
  using RowsFor = std::function<RowStore&(const Subscription& subscription)>;

  SubscriptionSet(SubscriptionStore& store, FeedServices services, QObject* parent = nullptr);
  ~SubscriptionSet() override;

  void SetRowsFor(RowsFor rows_for) { rows_for_ = std::move(rows_for); }
  void SetMember(std::int64_t user_id);
  void SetHost(std::string host);
  void SetRefreshPeriodMs(int ms);
  void SetMasked(bool masked);

  // Takes the store's list: a list for each subscription (kept matches
  // first), the running ones polling, their starts spread over one refresh
  // period. Called again after the list changed, it keeps the lists that
  // are unchanged and renews the others.
  void Start();
  void StopAll();
  // Pauses or resumes one subscription (stored too).
  bool SetPaused(std::int64_t id, bool paused);
  // The main feed lost the service (true) or has it again.
  void SetMainConnectionLost(bool lost);
  bool ConnectionLost() const { return main_lost_ || !lost_.empty(); }

  // In the member's order.
  std::vector<SubscriptionFeed*> Feeds() const;
  SubscriptionFeed* FeedOf(std::int64_t id) const;
  SubscriptionStore& Kept() { return store_; }

 signals:
  void matchesArrived(qint64 id, const std::vector<InfoRecord>& records);
  void connectionChanged(bool lost);
  // Lists came or went (Start).
  void feedsChanged();

 private:
  void OnFeedConnection(SubscriptionFeed* feed, bool lost);
  void ApplyPolling();

  SubscriptionStore& store_;
  FeedServices services_;
  RowsFor rows_for_;
  std::map<std::int64_t, std::unique_ptr<RowStore>> own_rows_;
  std::vector<std::unique_ptr<SubscriptionFeed>> feeds_;
  std::int64_t user_id_ = 0;
  std::string host_;
  int refresh_period_ms_ = 10'000;
  bool masked_ = false;
  bool main_lost_ = false;
  // The lists whose last answer failed; the first of them keeps polling.
  std::set<SubscriptionFeed*> lost_;
  SubscriptionFeed* probe_ = nullptr;
  bool told_lost_ = false;
};

}  // namespace tv
