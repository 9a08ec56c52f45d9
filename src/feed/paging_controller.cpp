#include "feed/paging_controller.h"

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
  report_pending_ = plan.fetch_start && !StartPage(*plan.fetch_start);
}

void PagingController::FetchPageAt(std::int32_t start_num) { StartPage(start_num); }

bool PagingController::StartPage(std::int32_t start_num) {
  if (!feed_.BeginPageJob()) return false;
  start_num_ = start_num;
  FeedStore& store = feed_.Store();
  const std::string path = feed_.Queries().page(start_num, store.TotalCount());
  const std::string host = feed_.FeedHost();
  auto fetch = feed_.Services().fetch;
  const std::uint64_t inserts_then = store.TopInserts();
  RunInBackground(
      this,
      [host, path, fetch] {
        const std::string body = fetch(host, path);
        return HasItems(body) ? std::optional(ParseRecords(body)) : std::nullopt;
      },
      [this, start_num, inserts_then](std::optional<std::vector<InfoRecord>> records) {
        if (records) {
          FeedStore& s = feed_.Store();
          s.SetRowStyle(feed_.Services().row_style());
          s.ApplyPage(start_num, *records, inserts_then);
        }
        feed_.EndPageJob();
        emit pageApplied(start_num, records.has_value());
        // The member scrolled on while this page was under way.
        if (report_pending_) LoadMissingRows();
      });
  return true;
}

}  // namespace tv
