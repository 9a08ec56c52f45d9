#include "feed/feed_controller.h"

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "core/background_job.h"
#include "core/qt_gbk.h"
#include "feed/paging_plan.h"
#include "net/answers.h"

namespace tv {
namespace {

void Pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

FeedController::FeedController(FeedStore& store, FeedServices services, QObject* parent)
    : QObject(parent), store_(store), services_(WithDefaults(std::move(services))) {
  new_records_timer_.setSingleShot(false);
  id_lists_timer_.setSingleShot(false);
  connect(&new_records_timer_, &QTimer::timeout, this, &FeedController::PollNewRecords);
  connect(&id_lists_timer_, &QTimer::timeout, this, &FeedController::PollIdLists);
  reload_retry_.setSingleShot(true);
  connect(&reload_retry_, &QTimer::timeout, this, &FeedController::ReloadFirstPage);
  start_retry_.setSingleShot(true);
  connect(&start_retry_, &QTimer::timeout, this, &FeedController::FetchStartPage);
  queries_ = ViewQueries();
}

FeedQueries FeedController::ViewQueries() {
  // The reload and the poll switch to the whole country for its region
  // names; the page fetch takes the direction as it finds it.
  FeedQueries q;
  q.first_page = [this] {
    const std::string code = store_.Code();
    store_.View().direction = DeriveDirection(store_.View().direction, code);
    return FirstPagePath(store_.Query(code, false));
  };
  q.new_records = [this](const std::string& max_id) -> std::optional<std::string> {
    if (store_.View().direction == kFriend) return std::nullopt;
    const std::string code = store_.Code();
    store_.View().direction = DeriveDirection(store_.View().direction, code);
    return NewRecordsPath(store_.Query(code, false), max_id);
  };
  q.page = [this](std::int32_t start_num, std::int32_t total) {
    return PagePath(store_.Query(store_.Code(), false), start_num, total);
  };
  return q;
}

void FeedController::SetFeedHost(std::string host) {
  if (host == feed_host_) return;
  feed_host_ = std::move(host);
  emit feedHostChanged(QString::fromStdString(feed_host_));
}

void FeedController::SetPacing(int reload_pause_ms, int id_pause_ms, int poll_pause_ms) {
  reload_pause_ms_ = reload_pause_ms;
  id_pause_ms_ = id_pause_ms;
  poll_pause_ms_ = poll_pause_ms;
}

QString FeedController::Caption() const {
  const FeedView& view = store_.View();
  // A friend's messages are named by the friend, as a click on the friend in
  // the tree names them, not by the region list kept behind them.
  if (view.direction == kFriend && !view.friend_name.empty()) {
    return FromGbk(RegionCaption({view.friend_name}, services_.area_code_of));
  }
  return FromGbk(RegionCaption(view.regions, services_.area_code_of));
}

void FeedController::SetConnectionLost(bool lost) {
  if (lost == connection_lost_) return;
  connection_lost_ = lost;
  emit connectionChanged(lost);
}

std::string FeedController::Fetch(const std::string& host, const std::string& path) const {
  return services_.fetch(host, path);
}

void FeedController::ArmPolling() {
  // The poll goes on from this page whether scrolling is on now or is
  // switched on later: resuming only starts the timer.
  new_records_ready_ = true;
  if (scrolling_on_) new_records_timer_.start(refresh_period_ms_);
}

void FeedController::StartFeed() {
  logged_in_ = true;
  start_generation_ = view_generation_;
  FetchStartPage();
}

void FeedController::FetchStartPage() {
  struct Answer {
    CountedPage page;
    bool answered = false;
    std::optional<std::string> new_host;
    std::string deleted_max, closed_max;
  };
  const std::string host = feed_host_;
  const std::string path = StartFeedPath(store_.Member().city, store_.View().view_type);
  auto services = services_;
  RunInBackground(
      this,
      [host, path, services] {
        Answer a;
        const std::string body = services.fetch(host, path);
        a.page = ParseCountedPage(body);
        a.answered = HasItems(body);
        if (!a.answered) {
          // As for a failed reload: find a working server for the retry.
          if (services.discover && services.discover()) a.new_host = services.current_host();
        } else if (CappedTotal(a.page.total) != 0) {
          a.deleted_max = services.fetch(host, MaxIdPath(IdListKind::kDeleted));
          a.closed_max = services.fetch(host, MaxIdPath(IdListKind::kClosed));
        }
        return a;
      },
      [this](Answer a) {
        if (!a.answered) {
          // No answer at all is no empty city: the first page is asked for
          // again after a refresh period, or the feed would never start.
          if (a.new_host && !a.new_host->empty()) SetFeedHost(std::move(*a.new_host));
          SetConnectionLost(true);
          start_retry_.start(refresh_period_ms_);
          emit startPageApplied(false);
          return;
        }
        // A reload the member started meanwhile shows a newer view: its rows
        // and the newest identifier the polls go on from are not replaced.
        const bool current = start_generation_ == view_generation_;
        if (current) SetConnectionLost(false);
        bool filled = CappedTotal(a.page.total) != 0;
        if (current) {
          store_.SetRowStyle(services_.row_style());
          filled = store_.ApplyStartPage(a.page);
          emit captionChanged(Caption());
          emit totalChanged(store_.TotalCount());
        }
        if (filled) {
          if (current) ArmPolling();
          // Stored as they come, "Error" included: those polls then find
          // nothing for the rest of the run.
          store_.SetMaxId(IdListKind::kDeleted, std::move(a.deleted_max));
          store_.SetMaxId(IdListKind::kClosed, std::move(a.closed_max));
          id_lists_timer_.start(id_poll_period_ms_);
        }
        emit startPageApplied(filled);
      });
}

void FeedController::ReloadFirstPage() {
  if (!page_ready_) {
    reload_pending_ = true;
    return;
  }
  page_ready_ = false;
  reload_pending_ = false;
  reload_retry_.stop();
  new_records_timer_.stop();
  const std::uint64_t generation = ++view_generation_;
  const std::string path = queries_.first_page();
  const std::string host = feed_host_;
  auto services = services_;
  const int pause = reload_pause_ms_;
  struct Answer {
    CountedPage page;
    bool has_items = false;
    std::optional<std::string> new_host;
  };
  RunInBackground(
      this,
      [host, path, services, pause] {
        const std::string body = services.fetch(host, path);
        Answer a{ParseCountedPage(body), HasItems(body), std::nullopt};
        if (!a.has_items) {
          // As for a failed poll: find a working server for the retry.
          if (services.discover && services.discover()) a.new_host = services.current_host();
          return a;
        }
        Pause(pause);
        return a;
      },
      [this, generation](Answer a) {
        page_ready_ = true;
        if (generation != view_generation_) {  // stopped meanwhile
          if (reload_pending_) ReloadFirstPage();
          return;
        }
        if (!a.has_items) {
          // The server did not answer: the rows, the total and the caption
          // stay as they are, and the reload is tried again by itself.
          if (a.new_host && !a.new_host->empty()) SetFeedHost(std::move(*a.new_host));
          SetConnectionLost(true);
          emit reloadApplied(false);
          if (reload_pending_) {
            ReloadFirstPage();
          } else {
            reload_retry_.start(refresh_period_ms_);
          }
          return;
        }
        SetConnectionLost(false);
        store_.SetRowStyle(services_.row_style());
        const bool filled = store_.ApplyReloadPage(a.page, a.has_items);
        emit captionChanged(Caption());
        emit totalChanged(store_.TotalCount());
        if (filled) ArmPolling();
        emit reloadApplied(filled);
        if (reload_pending_) ReloadFirstPage();
      });
}

void FeedController::PollNewRecords() {
  if (!new_records_ready_ || poll_running_) return;
  new_records_ready_ = false;
  const auto path = queries_.new_records(store_.NewestId());
  if (!path) {  // a friend's messages are never polled
    new_records_ready_ = true;
    return;
  }
  struct Answer {
    std::vector<InfoRecord> records;
    bool failed = false;
    std::optional<std::string> new_host;
  };
  const std::string host = feed_host_;
  const std::uint64_t generation = view_generation_;
  auto services = services_;
  const int pause = poll_pause_ms_;
  poll_running_ = true;
  RunInBackground(
      this,
      [host, path = *path, services, pause] {
        Answer a;
        const std::string body = services.fetch(host, path);
        Pause(pause);
        if (body == "@@") return a;
        if (!HasItems(body)) {
          // The server is lost: find a working one for the next tick and
          // move the feed there.
          a.failed = true;
          if (services.discover && services.discover()) a.new_host = services.current_host();
          return a;
        }
        a.records = ParseRecords(body);
        return a;
      },
      [this, generation](Answer a) {
        poll_running_ = false;
        new_records_ready_ = true;
        SetConnectionLost(a.failed);
        if (a.new_host && !a.new_host->empty()) SetFeedHost(std::move(*a.new_host));
        int inserted = 0;
        // An answer asked for before the last reload belongs to another view.
        if (generation == view_generation_ && !a.records.empty()) {
          store_.SetRowStyle(services_.row_style());
          const std::int32_t total_before = store_.TotalCount();
          inserted = store_.ApplyNewRecords(a.records);
          if (store_.TotalCount() != total_before) emit totalChanged(store_.TotalCount());
        }
        emit newRecordsApplied(inserted);
      });
}

void FeedController::PollIdLists() {
  const std::uint64_t generation = ++id_generation_;
  for (IdListKind kind : {IdListKind::kDeleted, IdListKind::kClosed}) {
    const std::string path = IdListPath(kind, store_.MaxId(kind));
    const std::string host = feed_host_;
    auto fetch = services_.fetch;
    const int pause = id_pause_ms_;
    RunInBackground(
        this,
        [host, path, fetch, pause] {
          const std::string body = fetch(host, path);
          Pause(pause);
          return HasItems(body) ? std::optional(ParseIdList(body)) : std::nullopt;
        },
        [this, generation, kind](std::optional<std::vector<IdPair>> pairs) {
          if (generation != id_generation_) return;  // abandoned by a later tick
          if (pairs) {
            store_.ApplyIdList(kind, *pairs);
            emit markedRowsRebuilt();
          }
          emit idListApplied(static_cast<int>(kind));
        });
  }
}

void FeedController::PauseFeed() { new_records_timer_.stop(); }

void FeedController::ResumeFeed() { new_records_timer_.start(refresh_period_ms_); }

void FeedController::Stop() {
  new_records_timer_.stop();
  reload_retry_.stop();
  ++view_generation_;
}

void FeedController::SetScrolling(bool on) {
  scrolling_on_ = on;
  if (on) {
    ResumeFeed();
  } else {
    PauseFeed();
  }
}

void FeedController::SetMasked(bool masked) {
  store_.View().masked = masked;
  store_.RebuildRowsOnScreen();
  emit rowsRebuilt();
}

void FeedController::RebuildRowsOnScreen() {
  emit scrollToTopRequested();
  store_.RebuildRowsOnScreen();
  emit rowsRebuilt();
}

void FeedController::SelectView(int view_type, int direction) {
  store_.View().view_type = view_type;
  store_.View().direction = direction;
  ReloadFirstPage();
  emit scrollToTopRequested();
}

bool FeedController::ShowsRegion(const std::string& name) const {
  const FeedView& view = store_.View();
  if (name != store_.Code()) return false;
  // "配货信息" of a friend, or the whole country, shown in place of the region.
  if (view.direction == kFriend) return view.friend_name == name;
  return view.direction != kWholeCountry || IsWholeCountryRegion(name);
}

void FeedController::SelectRegion(const std::string& name) {
  if (ShowsRegion(name)) return;
  store_.View().regions = {name};
  ApplyRegion();
}

void FeedController::ApplyRegion() {
  FeedView& view = store_.View();
  const std::string code = store_.Code();
  view.direction = kDeparting;
  if (IsWholeCountryRegion(code)) {
    view.direction = kWholeCountry;
  } else if (view.regions.size() == 1) {
    if (const FriendRow* row = services_.find_friend(view.regions.front())) {
      view.friend_id = row->user_id;
      view.friend_name = view.regions.front();
      view.direction = kFriend;
    }
  }
  if (code.empty()) {
    store_.Grid().RemoveAllRows();
    store_.Grid().Redraw();
    return;
  }
  ReloadFirstPage();
  emit scrollToTopRequested();
}

void FeedController::SetFolding(bool on) {
  store_.SetFolding(on);
  emit totalChanged(store_.TotalCount());
}

void FeedController::SetFilter(const RowFilter& filter) {
  store_.SetFilter(filter);
  store_.Grid().Redraw();
  emit totalChanged(store_.TotalCount());
}

void FeedController::BlockedChanged() {
  store_.BlockedChanged();
  store_.Grid().Redraw();
  emit totalChanged(store_.TotalCount());
}

void FeedController::PutOwnMessage(const InfoRecord& record) {
  store_.PutOwnRecord(record);
  store_.Grid().Redraw();
  emit totalChanged(store_.TotalCount());
}

void FeedController::ShowFriendMessages(const std::string& name) {
  const FriendRow* row = services_.find_friend(name);
  if (row == nullptr) return;
  store_.View().friend_id = row->user_id;
  store_.View().friend_name = name;
  store_.View().direction = kFriend;
  ReloadFirstPage();
  // Another list: it starts at its top, as a region chosen in the tree does.
  emit scrollToTopRequested();
}

void FeedController::ApplyMultiArea(const std::string& text) {
  FeedView& view = store_.View();
  view.regions = SplitMultiArea(text);
  // The cities' messages, not the whole country's or a friend's: arrivals
  // stay arrivals, every other view departs from them (the whole-country
  // rule of the reload still applies to "全国信息" among them).
  if (view.direction != kArriving) view.direction = kDeparting;
  ReloadFirstPage();
  emit scrollToTopRequested();
}

bool FeedController::BeginPageJob() {
  if (!page_ready_) return false;
  page_ready_ = false;
  return true;
}

void FeedController::EndPageJob() {
  page_ready_ = true;
  if (reload_pending_) ReloadFirstPage();
}

}  // namespace tv
