#pragma once
// The two counts under the grid: the total of the current view ("共 %ld 条信息")
// and the number of messages in the whole country, fetched once after login
// and then every minute from the current host.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

#include "feed/feed_controller.h"

namespace tv {

class CountsController : public QObject {
  Q_OBJECT

 public:
  static constexpr int kCountsPeriodMs = 60'000;

  explicit CountsController(FeedController& feed, QObject* parent = nullptr);

  // After login: one fetch now, then one a minute.
  void Start();
  void LoadNationalCounts();
  // The count label for `total` (the national count stands in for the
  // whole-country view "全国信息"). Nothing before login.
  void ShowTotal(std::int32_t total);
  std::int32_t NationalCount() const { return national_count_; }
  bool TimerActive() const { return counts_timer_.isActive(); }

  // "共 %ld 条信息"
  static QString CountText(std::int64_t n);

 signals:
  void countTextChanged(const QString& text);
  void nationalTextChanged(const QString& text);
  void countsLoaded(bool changed);

 private:
  FeedController& feed_;
  std::int32_t national_count_ = 0;
  bool started_ = false;
  bool fetching_ = false;
  QTimer counts_timer_;
};

}  // namespace tv
