#pragma once
// The feed jobs: the first page after login, reloads for a changed view or
// region, the new-records poll (every refresh period) and the deleted/closed
// identifier polls (every three minutes). Each job runs its request on a worker; the answer is
// applied to the record store on the UI thread in one piece. The ready flags
// live here and are touched on the UI thread only.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "feed/feed_services.h"
#include "feed/feed_store.h"

namespace tv {

// What a live list asks the server for. The main feed's come from its view
// (region, view type, direction); a second list, the search results, sets
// its own and runs on the same jobs.
struct FeedQueries {
  // "GetTopDatas".
  std::function<std::string()> first_page;
  // "GetNewDatas" after the newest held identifier; none: not polled.
  std::function<std::optional<std::string>(const std::string& max_id)> new_records;
  // "GetCurDatas" from `start_num`, with the list's own total.
  std::function<std::string(std::int32_t start_num, std::int32_t total)> page;
};

class FeedController : public QObject {
  Q_OBJECT

 public:
  static constexpr int kIdPollPeriodMs = 180'000;

  FeedController(FeedStore& store, FeedServices services, QObject* parent = nullptr);

  FeedStore& Store() { return store_; }
  const FeedServices& Services() const { return services_; }

  const std::string& FeedHost() const { return feed_host_; }
  void SetFeedHost(std::string host);
  int RefreshPeriodMs() const { return refresh_period_ms_; }
  void SetRefreshPeriodMs(int ms) { refresh_period_ms_ = ms > 0 ? ms : 10'000; }
  // Pauses the reload, the new-records poll and the identifier polls take
  // after their fetch (pacing of the server); tests shorten them.
  void SetPacing(int reload_pause_ms, int id_pause_ms, int poll_pause_ms = 0);
  const FeedQueries& Queries() const { return queries_; }
  void SetQueries(FeedQueries queries) { queries_ = std::move(queries); }
  // The period of the identifier polls (end-to-end runs cannot wait three
  // minutes).
  void SetIdPollPeriodMs(int ms) { id_poll_period_ms_ = ms > 0 ? ms : kIdPollPeriodMs; }

  bool LoggedIn() const { return logged_in_; }
  bool ScrollingOn() const { return scrolling_on_; }
  bool NewRecordsReady() const { return new_records_ready_; }
  bool PageReady() const { return page_ready_; }
  bool PollTimerActive() const { return new_records_timer_.isActive(); }
  // A failed reload waits for its retry.
  bool ReloadRetryPending() const { return reload_retry_.isActive(); }
  // The login's first page got no answer and waits for its retry.
  bool StartRetryPending() const { return start_retry_.isActive(); }
  // The last answer of the server was a failure (the poll or the reload
  // retries by itself).
  bool ConnectionLost() const { return connection_lost_; }
  bool IdTimerActive() const { return id_lists_timer_.isActive(); }
  QString Caption() const;

  // After login: the member's own first page, then both polls. A first page
  // that gets no answer is asked for again after a refresh period.
  void StartFeed();
  // The first page of the current view. Asked while a page fetch runs, it
  // waits for that fetch to end instead of being lost. A reload that fails
  // leaves the rows shown, looks for a working server and is tried again
  // after a refresh period.
  void ReloadFirstPage();
  void PollNewRecords();
  void PollIdLists();
  void PauseFeed();
  void ResumeFeed();
  // Stops polling and drops the answers still under way: nothing reaches the
  // rows until the next reload (a list that closes).
  void Stop();
  void SetScrolling(bool on);
  void SetMasked(bool masked);
  // One of the six views: "inType" and direction, then a reload.
  void SelectView(int view_type, int direction);
  // A leaf of the region tree: reloads unless it is the region already shown
  // (a friend's messages or the whole country shown instead of it are not).
  void SelectRegion(const std::string& name);
  // "配货信息" of a friend in the tree: that member's messages.
  void ShowFriendMessages(const std::string& name);
  // The stored multi-area text "A+B": its cities become the region list,
  // shown leaving from them (or arriving at them in an arrivals view).
  void ApplyMultiArea(const std::string& text);
  // The layout changed: top of the grid, rows on screen rebuilt.
  void RebuildRowsOnScreen();
  // The member's own message, just published: a new top row, counted, as a
  // received record is (the poll never brings the member's own messages).
  void PutOwnMessage(const InfoRecord& record);

  // What the list keeps out of the way (ListNoise): folded copies, the
  // filter, blocked members. Each shows at once, without a request, and
  // the count follows (totalChanged).
  void SetFolding(bool on);
  void SetFilter(const RowFilter& filter);
  void BlockedChanged();
  // Rows came in that may have folded (a page): the count follows.
  void NoiseChanged() { emit totalChanged(store_.TotalCount()); }

  // Page fetches share the reload's ready flag.
  bool BeginPageJob();
  void EndPageJob();

 signals:
  void totalChanged(qint32 total);
  void captionChanged(const QString& caption);
  void feedHostChanged(const QString& host);
  // The server stopped answering (true) or answers again (false).
  void connectionChanged(bool lost);
  void scrollToTopRequested();
  // The rows on screen were rebuilt for masking or a new layout.
  void rowsRebuilt();
  // New deleted or closed identifiers marked the rows in view (other lists
  // built from the same marks rebuild theirs).
  void markedRowsRebuilt();
  // Completion of each job, applied or not (tests and the window wait on these).
  void startPageApplied(bool filled);
  void reloadApplied(bool filled);
  void newRecordsApplied(int inserted);
  void idListApplied(int kind);

 private:
  void FetchStartPage();
  void ApplyRegion();
  // Whether the view shows the messages of `name` as a tree click would.
  bool ShowsRegion(const std::string& name) const;
  void SetConnectionLost(bool lost);
  // A first page is in: the poll may run from it, and its timer runs while
  // scrolling is on.
  void ArmPolling();
  FeedQueries ViewQueries();
  std::string Fetch(const std::string& host, const std::string& path) const;

  FeedStore& store_;
  FeedServices services_;
  std::string feed_host_;
  int refresh_period_ms_ = 10'000;
  int id_poll_period_ms_ = kIdPollPeriodMs;
  int reload_pause_ms_ = 100;
  int id_pause_ms_ = 400;
  int poll_pause_ms_ = 0;
  FeedQueries queries_;
  bool logged_in_ = false;
  bool scrolling_on_ = true;
  bool new_records_ready_ = false;
  // A poll is under way: a first page that arms the poll meanwhile does not
  // start a second one beside it.
  bool poll_running_ = false;
  bool page_ready_ = true;
  bool reload_pending_ = false;
  bool connection_lost_ = false;
  // Raised by every reload and by Stop(): an answer asked for before is not
  // applied.
  std::uint64_t view_generation_ = 0;
  // The view generation the login's first page was asked for in.
  std::uint64_t start_generation_ = 0;
  // Raised by every identifier poll: answers of an earlier one are dropped.
  std::uint64_t id_generation_ = 0;
  QTimer new_records_timer_;
  QTimer id_lists_timer_;
  QTimer reload_retry_;
  QTimer start_retry_;
};

}  // namespace tv
