#pragma once
// The search results panel's behaviour: a second live list of the same kind
// as the main feed (the same record store, jobs, paging and row text), asking
// the server for the search's matches, highlighting its keywords, counting
// its matches and sounding an alert when new ones come in. Headless: the
// window shows its grid and labels (SearchAttachment).
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/own_message.h"
#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "feed/paging_controller.h"
#include "search/alert_player.h"
#include "search/search_terms.h"
#include "search/search_text.h"

namespace tv {

class SearchResultsPanel : public QObject {
  Q_OBJECT

 public:
  // The pause after a first-page fetch and after each poll (pacing of the
  // server).
  static constexpr int kRequestPauseMs = 400;

  struct Setup {
    // The network call and the display style. Discovery stays with the main
    // feed: a failed poll here only waits for the next tick.
    FeedServices services;
    // Plays the chimes (not owned; may be null: silent).
    AlertPlayer* player = nullptr;
    // Whether the member switched the sounds on; read at each alert.
    std::function<bool()> sound_on;
  };

  // `rows` is the panel grid's row store. The rows are marked deleted and
  // closed by what `main_list` learnt.
  SearchResultsPanel(RowStore& rows, const FeedStore& main_list, Setup setup,
                     QObject* parent = nullptr);
  ~SearchResultsPanel() override;

  FeedController& Feed() { return *feed_; }
  PagingController& Paging() { return *paging_; }
  FeedStore& Store() { return store_; }
  RowStoreGrid& Grid() { return grid_; }

  // --- what the main window tells the panel --------------------------------------
  // After login: the member (his own messages never come through a poll)
  // and the data server.
  void SetMember(std::int64_t user_id);
  void SetHost(std::string host);
  void SetRefreshPeriodMs(int ms) { feed_->SetRefreshPeriodMs(ms); }
  // The chimes go to `player` from now on (not owned; null: silent).
  void SetPlayer(AlertPlayer* player) { setup_.player = player; }
  // Pauses and resumes polling with the main feed's "滚动开/关". Resuming
  // polls only while a search is shown.
  void SetScrolling(bool on);
  // The telephones are masked from the next row built; RefreshVisibleRows
  // shows it on screen.
  void SetMasked(bool masked);

  // --- the search -----------------------------------------------------------------
  // Shows the search: title, first page, then polling. A search shown before
  // is replaced, and whatever it still had under way is dropped.
  void StartSearch(const SearchTerms& terms);
  // "关闭搜索": polling stops and answers still under way are dropped; the
  // rows stay until the next search.
  void Close();
  bool Active() const { return active_; }
  const SearchTerms& Terms() const { return terms_; }
  QString Title() const;
  QString CountText() const;

  enum class Refresh {
    kMasking,  // the masking switch changed: top of the grid, its rows rebuilt
    kMarks,    // the main feed learnt deleted or closed messages
  };
  // Rebuilds the row text of the rows on screen (rows without text skipped).
  void RefreshVisibleRows(Refresh reason);

  // The member's own message, just accepted by the service: on top, counted
  // and sounded when it belongs to the search and polling is on.
  bool AddPublishedMessage(const OwnMessage& message);

 signals:
  void titleChanged(const QString& title);
  void countChanged(const QString& count);
  // A first page was applied (filled: it held matches) / a poll inserted
  // `inserted` matches (tests and the window wait on these).
  void firstPageApplied(bool filled);
  void matchesInserted(int inserted);

 private:
  void Alert(std::string_view type);
  void AlertForInserted(int inserted);

  RowStoreGrid grid_;
  FeedStore store_;
  Setup setup_;
  std::unique_ptr<FeedController> feed_;
  std::unique_ptr<PagingController> paging_;
  SearchTerms terms_;
  bool active_ = false;
  bool scrolling_on_ = true;
};

}  // namespace tv
