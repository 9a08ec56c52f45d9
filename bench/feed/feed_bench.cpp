// The feed's work on the UI thread with a million rows in the grid: applying a
// poll answer, rebuilding the rows in view after an identifier poll, applying
// a first page. Row heights are measured with the program's Qt font metrics
// ("qt") and with the fixed-width measure of the headless tools ("fixed").
// Baselines of the same run: the same work on an empty grid, and the rebuild
// with the deleted marks searched as a plain text instead of the set.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <string>
#include <vector>

#include "bench/sample_records.h"
#include "core/gbk.h"
#include "feed/feed_store.h"
#include "feed/row_text.h"
#include "grid/text_measure.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

constexpr int kMillion = 1'000'000;

constexpr const char* kContent = "济宁到上海 有货20吨 求9.6米高栏车 价格面议 长期合作 济宁发往江浙沪";

std::vector<InfoRecord> Records(int first_id, int count) {
  return bench::SampleRecords(first_id, count, kContent);
}

std::shared_ptr<const TextMeasure> MeasureOf(int kind) {
  if (kind == 1) return std::make_shared<QtTextMeasure>();
  return std::make_shared<FixedTextMeasure>(6, 12);
}

// A grid of `rows` rows, the feed's columns, and its store with a view.
struct Bench {
  Bench(int rows, int measure)
      : store(kMessageColumns, MeasureOf(measure)), grid(store), feed(grid) {
    SetFeedColumns(store, 1200);
    grid.ResizeRows(rows);
    feed.View().regions = {Utf8ToGbk("济宁")};
    feed.Member().user_id = 31;
    feed.SetRowStyle(RowStyle{Utf8ToGbk("宋体"), 20, 0});
  }
  RowStore store;
  RowStoreGrid grid;
  FeedStore feed;
};

void SetLabel(benchmark::State& state) {
  state.SetLabel(std::string(state.range(1) == 1 ? "qt" : "fixed") +
                 (state.range(0) > 0 ? ", 1M rows" : ", empty grid"));
}

// 50 new records on top: insert, row text, font, height, colour each.
void BM_ApplyPollAnswer(benchmark::State& state) {
  Bench b(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto answer = Records(5'000'000, 50);
  for (auto _ : state) benchmark::DoNotOptimize(b.feed.ApplyNewRecords(answer));
  SetLabel(state);
}

// 31 rows from the scroll mark, rebuilt after an identifier poll with 20,000
// deleted marks learnt in the run.
void FillAroundMark(Bench& b, int mark) {
  int row = mark - 1;
  for (const auto& r : Records(900'000, 40)) b.feed.PutRecord(r, PutMode::kFill, row++);
  b.grid.SetScrollMark(mark);
}

void BM_RebuildRowsInView(benchmark::State& state) {
  Bench b(kMillion, static_cast<int>(state.range(1)));
  FillAroundMark(b, 500'000);
  std::vector<IdPair> pairs;
  for (int i = 0; i < 20'000; ++i)
    pairs.push_back({std::to_string(i), std::to_string(100'000 + i)});
  b.feed.ApplyIdList(IdListKind::kDeleted, pairs);
  for (auto _ : state) b.feed.RebuildRowsInView();
  SetLabel(state);
}

// Baseline: the same rows rebuilt, each asking the marks text with a plain
// substring search instead of the set.
void BM_RebuildRowsInView_TextSearch(benchmark::State& state) {
  Bench b(kMillion, static_cast<int>(state.range(1)));
  FillAroundMark(b, 500'000);
  std::string marks;
  for (int i = 0; i < 20'000; ++i) marks += (i ? "|B" : "B") + std::to_string(100'000 + i) + "E";
  IdMarks none;
  for (auto _ : state) {
    const int mark = b.grid.ScrollMark();
    for (int row = mark; row < mark + 31; ++row) {
      const std::string id(b.grid.CellText(row, kColInfoId));
      const bool deleted = marks.find("B" + id + "E") != std::string::npos;
      const RowTextFields f{id, b.grid.CellText(row, kColCity), b.grid.CellText(row, kColContent),
                            b.grid.CellText(row, kColTel), b.grid.CellText(row, kColTime)};
      std::string text = deleted ? std::string("x") : BuildRowText(f, false, false, none);
      b.grid.PutCellText(row, kColRowText, std::move(text));
      b.grid.FitRowToText(row);
    }
    b.grid.Redraw();
  }
  SetLabel(state);
}

// A first page of 30 records for a view of a million messages, on a grid that
// already holds a million rows (a reload): every cell blanked, 30 rows written.
// Baseline: a view of 30 messages on a grid of 30 rows.
void BM_ApplyFirstPage(benchmark::State& state) {
  const int rows = state.range(0) > 0 ? kMillion : 30;
  Bench b(rows, static_cast<int>(state.range(1)));
  const CountedPage page{rows, Records(2'000'000, 30)};
  for (auto _ : state) benchmark::DoNotOptimize(b.feed.ApplyReloadPage(page, true));
  SetLabel(state);
}

// The login's first page into an empty grid: sizing it to a million rows.
void BM_ApplyStartPage(benchmark::State& state) {
  const CountedPage page{kMillion, Records(2'000'000, 30)};
  for (auto _ : state) {
    state.PauseTiming();
    auto b = std::make_unique<Bench>(0, static_cast<int>(state.range(1)));
    state.ResumeTiming();
    benchmark::DoNotOptimize(b->feed.ApplyStartPage(page));
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
  }
  SetLabel(state);
}

void Args(benchmark::internal::Benchmark* b) {
  b->Args({kMillion, 1})->Args({0, 1})->Args({kMillion, 0})->Args({0, 0});
  b->Unit(benchmark::kMicrosecond);
}
void MillionOnly(benchmark::internal::Benchmark* b) {
  b->Args({kMillion, 1})->Args({kMillion, 0})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ApplyPollAnswer)->Apply(Args);
BENCHMARK(BM_RebuildRowsInView)->Apply(MillionOnly);
BENCHMARK(BM_RebuildRowsInView_TextSearch)->Apply(MillionOnly);
BENCHMARK(BM_ApplyFirstPage)->Apply(Args);
BENCHMARK(BM_ApplyStartPage)->Apply(MillionOnly)->Iterations(20);

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // font metrics for the Qt measure
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
