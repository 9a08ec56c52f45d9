// The results panel's work on the UI thread, with a million rows in the main
// list and 100,000 in the panel: a poll answer of 50 matches, the member's own
// match on top, a first page of matches, and the keyword highlight of one row
// text. Baselines of the same run: the main feed's poll answer into its
// million rows, the same work on an empty panel, and the feed's region
// highlight of the same row.
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
#include "search/search_results_panel.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

constexpr int kMainRows = 1'000'000;
constexpr int kPanelRows = 100'000;

constexpr const char* kContent = "济宁到北京 煤炭20吨 求9.6米高栏车 价格面议 长期合作 嘉祥发往京津冀";

InfoRecord Record(int id) { return bench::SampleRecord(id, kContent); }
std::vector<InfoRecord> Records(int first_id, int count) {
  return bench::SampleRecords(first_id, count, kContent);
}

RowStyle Style() { return RowStyle{Utf8ToGbk("宋体"), 20, 0}; }

// The main list (a million rows, its marks) and the panel reading its marks,
// with the keywords of a search for cargo from 济宁 to 北京.
struct Lists {
  explicit Lists(int rows_in_panel)
      : main_rows(kMessageColumns, std::make_shared<QtTextMeasure>()),
        main_grid(main_rows),
        main(main_grid),
        panel_store(kMessageColumns, std::make_shared<QtTextMeasure>()),
        panel(panel_store, main, {}) {
    SetFeedColumns(main_rows, 1200);
    SetFeedColumns(panel_store, 1200);
    main_grid.ResizeRows(kMainRows);
    main.View().regions = {Utf8ToGbk("济宁")};
    main.Member().user_id = 31;
    main.SetRowStyle(Style());
    std::vector<IdPair> deleted;
    for (int i = 0; i < 20'000; ++i) deleted.push_back({std::to_string(i), std::to_string(i)});
    main.ApplyIdList(IdListKind::kDeleted, deleted);
    panel.Grid().ResizeRows(rows_in_panel);
    panel.SetMember(31);
    panel.Store().Rules().keywords = Utf8ToGbk("济宁,北京,煤炭");
    panel.Store().SetRowStyle(Style());
  }
  RowStore main_rows;
  RowStoreGrid main_grid;
  FeedStore main;
  RowStore panel_store;
  SearchResultsPanel panel;
};

void Label(benchmark::State& state, const char* what) {
  state.SetLabel(std::string(what) + (state.range(0) > 0 ? ", full" : ", empty"));
}

// 50 new matches on top of the panel: insert, highlighted row text, font,
// height and colour each.
void BM_PanelPollAnswer(benchmark::State& state) {
  Lists l(static_cast<int>(state.range(0)));
  const auto answer = Records(5'000'000, 50);
  for (auto _ : state) benchmark::DoNotOptimize(l.panel.Store().ApplyNewRecords(answer));
  Label(state, "panel");
}

// Baseline: the same answer into the main list of a million rows.
void BM_MainPollAnswer(benchmark::State& state) {
  Lists l(0);
  const auto answer = Records(5'000'000, 50);
  for (auto _ : state) benchmark::DoNotOptimize(l.main.ApplyNewRecords(answer));
  Label(state, "main list");
}

// The member's own match, just published, on top of the panel.
void BM_PanelOwnMessage(benchmark::State& state) {
  Lists l(static_cast<int>(state.range(0)));
  l.panel.SetScrolling(false);  // no poll timer: only the row
  const InfoRecord own = Record(6'000'000);
  for (auto _ : state) benchmark::DoNotOptimize(l.panel.Store().PutRecord(own, PutMode::kInsert, 0));
  Label(state, "panel");
}

// A first page of 30 matches for a search of 100,000 matches, on a panel that
// holds the last search's 100,000 rows.
void BM_PanelFirstPage(benchmark::State& state) {
  const int rows = state.range(0) > 0 ? kPanelRows : 30;
  Lists l(rows);
  const CountedPage page{rows, Records(2'000'000, 30)};
  for (auto _ : state) benchmark::DoNotOptimize(l.panel.Store().ApplyReloadPage(page, true));
  Label(state, "panel");
}

std::string RowText() {
  const InfoRecord r = Record(1);
  IdMarks none;
  return BuildRowText(FieldsOf(r, r.Content), false, false, none);
}

// One row text's keywords highlighted (three keywords, each found).
void BM_HighlightKeywords(benchmark::State& state) {
  const std::string text = RowText();
  const std::string keywords = Utf8ToGbk("济宁,北京,煤炭");
  for (auto _ : state) benchmark::DoNotOptimize(HighlightKeywords(text, keywords));
}

// Baseline: the feed's region highlight of the same text.
void BM_HighlightRegion(benchmark::State& state) {
  const std::string text = RowText();
  const std::string region = Utf8ToGbk("济宁");
  for (auto _ : state) benchmark::DoNotOptimize(HighlightRegion(text, region));
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(kPanelRows)->Arg(0)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_PanelPollAnswer)->Apply(Sizes);
BENCHMARK(BM_MainPollAnswer)->Arg(kMainRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelOwnMessage)->Apply(Sizes);
BENCHMARK(BM_PanelFirstPage)->Apply(Sizes);
BENCHMARK(BM_HighlightKeywords)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_HighlightRegion)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // font metrics for the Qt measure
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
