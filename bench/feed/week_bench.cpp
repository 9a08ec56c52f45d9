// A week of the national view without a restart, as fast as it goes: a first
// page, then polls of five messages (one poll a second at five messages a
// second), re-sends among them, a deletion now and then, the view at the top.
// Private memory is read at every hour of traffic; the figure is how far it
// rose above its level after the first hour. Then rows all over the list are
// scrolled to, filled again from the pages a server would answer and checked
// against the message each row stood for.
//
// Usage: week_bench [--records N] [--hours-only H] [--keep-all]
//   --keep-all    every row keeps its texts (the baseline)
//   --hours-only  stop after H hours of traffic
// Prints one "key value" line per figure.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/sample_records.h"
#include "core/gbk.h"
#include "feed/feed_store.h"
#include "grid/text_measure.h"

namespace tv {
namespace {

constexpr int kPerSecond = 5;
constexpr int kPerHour = kPerSecond * 3600;
constexpr int kFirstPageTotal = 3000;

// Private memory of this process in kB (what it alone holds).
long PrivateKb() {
  std::ifstream in("/proc/self/smaps_rollup");
  long total = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Private_Clean:") || line.starts_with("Private_Dirty:")) {
      total += std::atol(line.c_str() + line.find(':') + 1);
    }
  }
  return total;
}

// Message `id` as the server holds it. One in eight re-sends the text of a
// message sent a little earlier (a copy the list folds); 300 members.
InfoRecord Message(std::int64_t id) {
  std::int64_t text = id;
  if (id % 8 == 0 && id > 400) text = id - 1 - (id * 7919) % 300;
  static const char* const kRoutes[] = {"济宁到上海 有货", "郑州到广州 求车", "临沂发往江浙沪 ",
                                        "北京到成都 整车", "青岛回程车 找货"};
  const std::string content = std::string(kRoutes[text % 5]) + std::to_string(text % 9973) +
                              "吨 求9.6米高栏车 价格面议 长期合作 编号" + std::to_string(text);
  InfoRecord r = bench::SampleRecord(static_cast<int>(id % 1'000'000'000), content.c_str());
  r.InfoID = std::to_string(id);
  r.Flag = std::to_string(100 + text % 300);
  return r;
}

struct Options {
  std::int64_t records = 3'000'000;
  int hours_only = 0;
  bool keep_all = false;
};

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--records" && i + 1 < argc) o.records = std::atoll(argv[++i]);
    if (arg == "--hours-only" && i + 1 < argc) o.hours_only = std::atoi(argv[++i]);
    if (arg == "--keep-all") o.keep_all = true;
  }
  return o;
}

int Run(const Options& o) {
  RowStore rows(kMessageColumns, std::make_shared<FixedTextMeasure>(6, 12));
  SetFeedColumns(rows, 1200);
  RowStoreGrid grid(rows);
  grid.SetScrollMark(1);
  FeedStore feed(grid);
  feed.View().masked = false;
  feed.Member().user_id = 31;
  feed.SetRowStyle(RowStyle{Utf8ToGbk("宋体"), 20, 0});
  if (o.keep_all) {
    RowLimits limits;
    limits.spare = 0;
    feed.SetLimits(limits);
  }

  // The first page of a list of kFirstPageTotal messages, newest first:
  // message k sits on row kFirstPageTotal - k.
  CountedPage first{kFirstPageTotal, {}};
  for (int row = 0; row < 30; ++row) first.records.push_back(Message(kFirstPageTotal - row));
  feed.ApplyStartPage(first);

  long first_hour_kb = 0;
  long highest_kb = 0;
  std::int64_t newest = kFirstPageTotal;
  std::vector<InfoRecord> poll;
  const std::int64_t last =
      kFirstPageTotal + (o.hours_only > 0 ? std::int64_t{o.hours_only} * kPerHour : o.records);
  while (newest < last) {
    poll.clear();
    for (int i = 0; i < kPerSecond; ++i) poll.push_back(Message(++newest));
    feed.ApplyNewRecords(poll);
    // Now and then a message is deleted: its row stays, marked.
    if (newest % 1000 == 0) {
      feed.ApplyIdList(IdListKind::kDeleted,
                       {IdPair{std::to_string(newest), std::to_string(newest - 500)}});
    }
    const std::int64_t sent = newest - kFirstPageTotal;
    if (sent % kPerHour == 0) {
      const long kb = PrivateKb();
      if (sent == kPerHour) first_hour_kb = kb;
      if (sent > kPerHour && kb > highest_kb) highest_kb = kb;
      if (sent % (24 * kPerHour) == 0 || sent == kPerHour) {
        std::printf("hour %lld private_mb %.1f rows %d rows_with_texts %zu\n",
                    static_cast<long long>(sent / kPerHour), kb / 1024.0, grid.RowCount(),
                    feed.RowsWithTexts());
        std::fflush(stdout);
      }
    }
  }
  const long end_kb = PrivateKb();
  const double hours = static_cast<double>(newest - kFirstPageTotal) / kPerHour;
  std::printf("records %lld\n", static_cast<long long>(newest - kFirstPageTotal));
  std::printf("hours %.1f\n", hours);
  std::printf("rows %d\n", grid.RowCount());
  std::printf("rows_with_texts %zu\n", feed.RowsWithTexts());
  std::printf("private_mb_after_first_hour %.1f\n", first_hour_kb / 1024.0);
  std::printf("private_mb_highest_later %.1f\n", highest_kb / 1024.0);
  std::printf("private_mb_end %.1f\n", end_kb / 1024.0);
  std::printf("rise_mb %.1f\n", (highest_kb - first_hour_kb) / 1024.0);
  std::printf("rise_mb_per_hour %.3f\n",
              hours > 1 ? (end_kb - first_hour_kb) / 1024.0 / (hours - 1) : 0.0);

  // A words filter over the whole list: rows without texts are read from
  // what they left on disk.
  RowFilter words;
  words.must_have = {Utf8ToGbk("济宁")};
  const auto filter_start = std::chrono::steady_clock::now();
  feed.SetFilter(words);
  const double filter_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - filter_start)
          .count();
  std::printf("filter_words_ms %.1f\nshown_with_filter %d\n", filter_ms,
              feed.Noise().ShownLoadedCount());
  feed.SetFilter(RowFilter{});

  // Rows all over the list, scrolled to: those without texts are filled
  // from the page the server answers for them, and every one must show its
  // message. Row r holds message newest - r.
  std::mt19937 random(7);
  int checked = 0;
  int wrong = 0;
  int fetched = 0;
  const int count = grid.RowCount();
  for (int probe = 0; probe < 200; ++probe) {
    const int row =
        probe == 0 ? count - 1 : static_cast<int>(random() % static_cast<unsigned>(count));
    const int mark = row + 1;
    grid.SetScrollMark(mark);
    if (grid.CellText(row, kColRowText).empty()) {
      std::vector<InfoRecord> page;
      for (int r = mark - 1; r < mark + 29 && r < count; ++r) page.push_back(Message(newest - r));
      feed.ApplyPage(mark, page, feed.TopInserts());
      ++fetched;
    }
    const InfoRecord want = Message(newest - row);
    ++checked;
    // The content's end names the text it was sent with.
    const std::string tail = want.Content.substr(want.Content.size() - 12);
    if (grid.CellText(row, kColInfoId) != want.InfoID ||
        grid.CellText(row, kColFlag) != want.Flag || grid.CellText(row, kColRowText).empty() ||
        grid.CellText(row, kColContent).find(tail) == std::string_view::npos) {
      ++wrong;
    }
  }
  std::printf("rows_checked %d\nrows_fetched_again %d\nrows_wrong %d\n", checked, fetched, wrong);
  return wrong == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tv

int main(int argc, char** argv) { return tv::Run(tv::Parse(argc, argv)); }
