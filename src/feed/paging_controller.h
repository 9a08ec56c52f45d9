#pragma once
// Paging: after every scroll report of the main grid, the rows that came into
// view and are still empty are fetched one page at a time. Shares the
// reload's ready flag, so a page fetch and a reload never overlap.
#include <QObject>
#include <cstdint>
#include <optional>
#include <vector>

#include "feed/feed_controller.h"

namespace tv {

class PagingController : public QObject {
  Q_OBJECT

 public:
  explicit PagingController(FeedController& feed, QObject* parent = nullptr);

  // The scroll report: rebuild the filled rows after the mark, fetch from the
  // first empty one. A report that comes while a page fetch runs is looked at
  // again when that fetch is done, so rows scrolled to meanwhile still load.
  void LoadMissingRows();
  // Dropped when a reload or another page fetch runs.
  void FetchPageAt(std::int32_t start_num);
  std::int32_t StartNum() const { return start_num_; }

 signals:
  void pageApplied(qint32 start_num, bool had_items);

 private:
  // How far back in the server's numbering a page is asked for again when
  // it began past the rows held.
  static constexpr std::int32_t kPageBack = 30;
  struct Retry {
    std::int32_t server_start;
    std::uint64_t inserts_then;
    std::vector<InfoRecord> later;  // the page that began past the rows held
  };
  // Returns false when the fetch was dropped.
  bool StartPage(std::int32_t start_num, std::optional<Retry> retry);

  FeedController& feed_;
  std::int32_t start_num_ = 0;
  bool report_pending_ = false;
};

}  // namespace tv
