#include "feed/paging_controller.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/background_job.h"
#include "feed/paging_plan.h"
#include "net/answers.h"

namespace tv {

PagingController::PagingController(FeedController& feed, QObject* parent)
    : QObject(parent), feed_(feed) {}

void PagingController::LoadMissingRows() {
  FeedStore& store = feed_.Store();
  FeedGrid& grid = store.Grid();
  const MissingRowsPlan plan = PlanMissingRows(
      grid.ScrollMark(), [&grid](int row) { return !grid.CellText(row, kColRowText).empty(); });
  for (int row : plan.rebuild) store.RebuildRow(row);
  if (plan.redraw) grid.Redraw();
  report_pending_ = plan.fetch_start && !StartPage(*plan.fetch_start, std::nullopt);
}

void PagingController::FetchPageAt(std::int32_t start_num) { StartPage(start_num, std::nullopt); }

bool PagingController::StartPage(std::int32_t start_num, std::optional<Retry> retry) {
  if (!feed_.BeginPageJob()) return false;
  start_num_ = start_num;
  FeedStore& store = feed_.Store();
  // The server numbers its list without the deleted messages the rows above
  // still hold.
  const std::int32_t server_start =
      retry ? retry->server_start : start_num - store.DeletedRowsAbove(start_num - 1);
  const std::string path = feed_.Queries().page(server_start, store.TotalCount());
  const std::string host = feed_.FeedHost();
  auto fetch = feed_.Services().fetch;
  const std::uint64_t inserts_then = retry ? retry->inserts_then : store.TopInserts();
  const bool is_retry = retry.has_value();
  std::vector<InfoRecord> later = retry ? std::move(retry->later) : std::vector<InfoRecord>();
  RunInBackground(
      this,
      [host, path, fetch] {
        const std::string body = fetch(host, path);
        return HasItems(body) ? std::optional(ParseRecords(body)) : std::nullopt;
      },
      [this, start_num, inserts_then, server_start, is_retry,
       later = std::move(later)](std::optional<std::vector<InfoRecord>> records) mutable {
        bool applied = true;
        if (records) {
          FeedStore& s = feed_.Store();
          s.SetRowStyle(feed_.Services().row_style());
          if (is_retry) {
            // The page before, then the one that began past the rows held.
            const std::string last = records->empty() ? std::string() : records->back().InfoID;
            for (InfoRecord& r : later) {
              if (last.empty() || r.InfoID.size() < last.size() ||
                  (r.InfoID.size() == last.size() && r.InfoID < last)) {
                records->push_back(std::move(r));
              }
            }
          }
          applied = s.ApplyPage(start_num, *records, inserts_then, is_retry || server_start <= 1);
          feed_.NoiseChanged();  // copies in the page fold into rows above
        }
        feed_.EndPageJob();
        // Messages may lie between the rows held and this page: the page
        // before in the server's numbering is asked for, and both are
        // applied together.
        if (!applied) {
          const std::int32_t earlier = std::max(server_start - kPageBack, 1);
          QMetaObject::invokeMethod(
              this,
              [this, start_num, earlier, inserts_then, first_try = std::move(*records)]() mutable {
                if (StartPage(start_num, Retry{earlier, inserts_then, first_try})) return;
                feed_.Store().ApplyPage(start_num, first_try, inserts_then, true);
                emit pageApplied(start_num, true);
              },
              Qt::QueuedConnection);
          return;
        }
        emit pageApplied(start_num, records.has_value());
        // The member scrolled on while this page was under way.
        if (report_pending_) LoadMissingRows();
      });
  return true;
}

}  // namespace tv
