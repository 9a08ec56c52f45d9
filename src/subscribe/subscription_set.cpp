#include "subscribe/subscription_set.h"

#include <QTimer>
#include <algorithm>

#include "feed/feed_grid.h"

namespace tv {

SubscriptionSet::SubscriptionSet(SubscriptionStore& store, FeedServices services, QObject* parent)
    : QObject(parent), store_(store), services_(std::move(services)) {
  rows_for_ = [this](const Subscription& subscription) -> RowStore& {
    auto& rows = own_rows_[subscription.id];
    if (!rows) {
      rows = std::make_unique<RowStore>();
      SetFeedColumns(*rows, 600);
    }
    return *rows;
  };
}

SubscriptionSet::~SubscriptionSet() = default;

void SubscriptionSet::SetMember(std::int64_t user_id) {
  user_id_ = user_id;
  for (auto& feed : feeds_) feed->SetMember(user_id);
}

void SubscriptionSet::SetHost(std::string host) {
  host_ = std::move(host);
  for (auto& feed : feeds_) feed->SetHost(host_);
}

void SubscriptionSet::SetRefreshPeriodMs(int ms) {
  refresh_period_ms_ = ms > 0 ? ms : 10'000;
  for (auto& feed : feeds_) feed->SetRefreshPeriodMs(refresh_period_ms_);
}

void SubscriptionSet::SetMasked(bool masked) {
  masked_ = masked;
  for (auto& feed : feeds_) feed->SetMasked(masked);
}

void SubscriptionSet::Start() {
  const std::vector<Subscription> list = store_.List();
  std::vector<std::unique_ptr<SubscriptionFeed>> next;
  std::vector<SubscriptionFeed*> to_start;
  for (const Subscription& subscription : list) {
    auto same = std::find_if(feeds_.begin(), feeds_.end(), [&](const auto& feed) {
      return feed && feed->Info() == subscription;
    });
    if (same != feeds_.end() && (*same)->Started()) {
      next.push_back(std::move(*same));
      continue;
    }
    auto feed = std::make_unique<SubscriptionFeed>(subscription, rows_for_(subscription), services_,
                                                   store_, this);
    feed->SetMember(user_id_);
    feed->SetHost(host_);
    feed->SetRefreshPeriodMs(refresh_period_ms_);
    feed->SetMasked(masked_);
    const std::int64_t id = subscription.id;
    SubscriptionFeed* raw = feed.get();
    connect(
        raw, &SubscriptionFeed::matchesArrived, this,
        [this, id](const std::vector<InfoRecord>& records) { emit matchesArrived(id, records); });
    connect(&raw->Feed(), &FeedController::connectionChanged, this,
            [this, raw](bool lost) { OnFeedConnection(raw, lost); });
    to_start.push_back(raw);
    next.push_back(std::move(feed));
  }
  // The lists that are gone (removed, or changed and renewed) stop here.
  for (auto& old : feeds_) {
    if (!old) continue;
    lost_.erase(old.get());
    if (probe_ == old.get()) probe_ = nullptr;
    old->Stop();
  }
  feeds_ = std::move(next);
  for (auto it = own_rows_.begin(); it != own_rows_.end();) {
    it = FeedOf(it->first) ? std::next(it) : own_rows_.erase(it);
  }
  // Spread over one period: the polls keep the spacing of their starts.
  const int count = static_cast<int>(to_start.size());
  for (int i = 0; i < count; ++i) {
    SubscriptionFeed* feed = to_start[static_cast<std::size_t>(i)];
    feed->SetPolling(!feed->Info().paused && !ConnectionLost());
    const int delay = refresh_period_ms_ / count * i;
    if (delay == 0) {
      feed->Start();
    } else {
      QTimer::singleShot(delay, feed, [feed] { feed->Start(); });
    }
  }
  ApplyPolling();
  emit feedsChanged();
}

void SubscriptionSet::StopAll() {
  for (auto& feed : feeds_) feed->Stop();
}

bool SubscriptionSet::SetPaused(std::int64_t id, bool paused) {
  if (!store_.SetPaused(id, paused)) return false;
  SubscriptionFeed* feed = FeedOf(id);
  if (feed == nullptr) return true;
  // The list stays: only its polling follows.
  const_cast<Subscription&>(feed->Info()).paused = paused;
  ApplyPolling();
  return true;
}

void SubscriptionSet::SetMainConnectionLost(bool lost) {
  if (main_lost_ == lost) return;
  main_lost_ = lost;
  ApplyPolling();
}

std::vector<SubscriptionFeed*> SubscriptionSet::Feeds() const {
  std::vector<SubscriptionFeed*> out;
  for (const auto& feed : feeds_) out.push_back(feed.get());
  return out;
}

SubscriptionFeed* SubscriptionSet::FeedOf(std::int64_t id) const {
  for (const auto& feed : feeds_) {
    if (feed && feed->Info().id == id) return feed.get();
  }
  return nullptr;
}

void SubscriptionSet::OnFeedConnection(SubscriptionFeed* feed, bool lost) {
  if (lost) {
    lost_.insert(feed);
    if (probe_ == nullptr) probe_ = feed;
  } else {
    lost_.erase(feed);
    // Whoever answers, the service is back for all of them.
    if (feed == probe_ || lost_.empty()) {
      lost_.clear();
      probe_ = nullptr;
    }
  }
  ApplyPolling();
}

void SubscriptionSet::ApplyPolling() {
  for (auto& feed : feeds_) {
    bool on = !feed->Info().paused;
    // Backing off: while the main feed has no server, none polls; while the
    // lists' own answers fail, only the one that failed first does.
    if (main_lost_) on = false;
    if (probe_ != nullptr && feed.get() != probe_) on = false;
    feed->SetPolling(on);
  }
  if (ConnectionLost() != told_lost_) {
    told_lost_ = ConnectionLost();
    emit connectionChanged(told_lost_);
  }
}

}  // namespace tv
