#include "feed/counts_controller.h"

#include <optional>

#include "core/background_job.h"
#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "net/totals_answer.h"

namespace tv {

CountsController::CountsController(FeedController& feed, QObject* parent)
    : QObject(parent), feed_(feed) {
  connect(&counts_timer_, &QTimer::timeout, this, &CountsController::LoadNationalCounts);
  connect(&feed_, &FeedController::totalChanged, this, [this](qint32 total) { ShowTotal(total); });
}

QString CountsController::CountText(std::int64_t n) {
  return QString::fromUtf8("共 %1 条信息").arg(n);
}

void CountsController::Start() {
  started_ = true;
  LoadNationalCounts();
  counts_timer_.start(kCountsPeriodMs);
}

void CountsController::LoadNationalCounts() {
  if (fetching_) return;  // the last minute's request has not come back yet
  fetching_ = true;
  const auto& services = feed_.Services();
  auto fetch = services.fetch;
  auto current_host = services.current_host;
  RunInBackground(
      this,
      [fetch, current_host] { return ParseTotalsAnswer(fetch(current_host(), TotalsPath())); },
      [this](std::optional<TotalsAnswer> answer) {
        fetching_ = false;
        if (answer) {
          national_count_ = answer->national;
          emit nationalTextChanged(QString::number(national_count_));
        }
        emit countsLoaded(answer.has_value());
      });
}

void CountsController::ShowTotal(std::int32_t total) {
  if (!started_ && !feed_.LoggedIn()) return;
  const FeedStore& store = feed_.Store();
  std::int64_t n = total;
  if (store.View().direction == kWholeCountry && store.Code() == TV_TEXT("全国信息")) {
    n = national_count_;
  }
  emit countTextChanged(FromGbk(ListCountText(ToGbk(CountText(n)), store.Noise(), n)));
}

}  // namespace tv
