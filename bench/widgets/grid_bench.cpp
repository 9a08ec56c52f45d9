// The information grid at a million rows beside QTableView over a
// QStandardItemModel holding the same rows, in the same run.
//
//   ResizeRows        row count 0 -> N                     (setRowCount)
//   InsertTop         one filled row on top of N rows      (insertRow(0, items))
//   JumpAndPaint      first row at a random index + a synchronous frame
//   Poll              five filled rows on top of a full 1600 x 1000 view and
//                     the frame after them: the pixels on screen moved down
//                     and the new rows painted, beside a repaint of the whole
//                     view after the same rows (the grid's old way)
//   Memory            RSS growth for N rows of which F are filled (one
//                     process per case, see run.sh)
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <cstdio>
#include <memory>
#include <random>

#include "core/qt_gbk.h"
#include "widgets/demo/sample_rows.h"
#include "widgets/info_grid.h"
#include "widgets/qt_text_measure.h"

namespace {

constexpr int kColumns = 14;
constexpr int kWidth = 1280;
constexpr int kHeight = 800;

const std::vector<tv::demo::SampleRow>& Samples() {
  static const auto samples = tv::demo::MakeSampleRows();
  return samples;
}

const tv::demo::SampleRow& SampleFor(int row) {
  return Samples()[static_cast<std::size_t>(row) % Samples().size()];
}

tv::CellFont RowFont() {
  tv::CellFont font;
  font.face = tv::Utf8ToGbk("宋体");
  font.height = 20;
  return font;
}

long RssKb() {
  long pages_total = 0;
  long pages_resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
  std::fclose(f);
  return pages_resident * 4;
}

// --- filling --------------------------------------------------------------

void FillGrid(tv::RowStore& store, int rows, int filled) {
  store.ResizeRows(rows);
  const tv::CellFont font = RowFont();
  for (int r = 0; r < filled; ++r) tv::demo::PutSampleRow(store, r, SampleFor(r), font);
}

// The same cells as items: text converted once, picture indices as data.
QList<QStandardItem*> ItemsFor(int row) {
  const tv::demo::SampleRow& s = SampleFor(row);
  QList<QStandardItem*> items;
  for (int c = 0; c < kColumns; ++c) items.append(new QStandardItem());
  items[0]->setText(QString::number(900000 + row));
  items[2]->setText(tv::FromGbk(s.type_word));
  items[3]->setText(tv::FromGbk(s.content));
  items[8]->setText(tv::FromGbk(s.row_text));
  items[9]->setText(QString::fromLatin1(s.qq.c_str()));
  items[7]->setData(s.truck ? tv::strip::kTruck : tv::strip::kParcel, Qt::UserRole);
  items[10]->setData(tv::strip::kDetail, Qt::UserRole);
  items[11]->setData(s.qq.empty() ? tv::strip::kMessengerGrey : tv::strip::kMessenger,
                     Qt::UserRole);
  static const QFont font = tv::ToQFont(RowFont());
  items[8]->setFont(font);
  return items;
}

// QTableView keeps one uniform row height: giving a thousand rows their own
// height with resizeSection on a 1,000,000-section header took minutes of set-up,
// so the baseline is spared the fitted heights the grid has.
void FillModel(QStandardItemModel& model, int rows, int filled) {
  model.setRowCount(rows);
  for (int r = 0; r < filled; ++r) {
    const QList<QStandardItem*> items = ItemsFor(r);
    for (int c = 0; c < kColumns; ++c) model.setItem(r, c, items[c]);
  }
}

void SetUniformRows(QTableView& view) {
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(44);
}

void SetFeedColumns(QTableView& view) {
  for (int c = 0; c < kColumns; ++c) view.setColumnHidden(c, true);
  const int widths[][2] = {{7, 30}, {8, kWidth - 111}, {10, 30}, {11, 30}};
  for (const auto& [c, w] : widths) {
    view.setColumnHidden(c, false);
    view.setColumnWidth(c, w);
  }
}

// --- ResizeRows ---------------------------------------------------------------

void BM_ResizeRows_InfoGrid(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<tv::RowStore>(kColumns);
    state.ResumeTiming();
    store->ResizeRows(rows);
    benchmark::DoNotOptimize(store->RowCount());
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ResizeRows_InfoGrid)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ResizeRows_QStandardItemModel(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<QStandardItemModel>(0, kColumns);
    state.ResumeTiming();
    model->setRowCount(rows);
    benchmark::DoNotOptimize(model->rowCount());
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ResizeRows_QStandardItemModel)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// --- InsertTop ------------------------------------------------------------------
// Insert alone, then insert and show the frame (the view's deferred layout
// runs in the event loop, so the second is the honest figure for a view).

template <bool kPaint>
void BM_InsertTop_InfoGrid(benchmark::State& state) {
  tv::InfoGrid grid;
  grid.resize(kWidth, kHeight);
  tv::demo::PutFeedColumnWidths(grid.Store(), kWidth);
  FillGrid(grid.Store(), static_cast<int>(state.range(0)), 2000);
  grid.show();
  QApplication::processEvents();
  const tv::CellFont font = RowFont();
  int n = 0;
  for (auto _ : state) {
    grid.Store().InsertRowAt("", 0);
    tv::demo::PutSampleRow(grid.Store(), 0, SampleFor(n++), font);
    if (kPaint) {
      QApplication::processEvents();
      grid.viewport()->repaint();
    }
  }
}
BENCHMARK(BM_InsertTop_InfoGrid<false>)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertTop_InfoGrid<true>)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

template <bool kPaint>
void BM_InsertTop_QTableView(benchmark::State& state) {
  // Filled before the view is attached: each setItem under a view costs a
  // pass over the rows, which made a 2,000-row fill take minutes.
  QStandardItemModel model(0, kColumns);
  FillModel(model, static_cast<int>(state.range(0)), 2000);
  QTableView view;
  view.setModel(&model);
  view.resize(kWidth, kHeight);
  SetFeedColumns(view);
  SetUniformRows(view);
  view.show();
  QApplication::processEvents();
  int n = 0;
  for (auto _ : state) {
    model.insertRow(0, ItemsFor(n++));
    if (kPaint) {
      QApplication::processEvents();
      view.viewport()->repaint();
    }
  }
}
// A fixed count: without the event loop the view's pending work grows with
// every insert, and an open-ended run did not finish in a quarter of an hour.
BENCHMARK(BM_InsertTop_QTableView<false>)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(30);
BENCHMARK(BM_InsertTop_QTableView<true>)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(30);

// --- Poll -------------------------------------------------------------------------

template <bool kRepaintAll>
void BM_Poll_InfoGrid(benchmark::State& state) {
  constexpr int kPollWidth = 1600;
  constexpr int kPollHeight = 1000;
  const int per_poll = static_cast<int>(state.range(0));
  tv::InfoGrid grid;
  grid.resize(kPollWidth, kPollHeight);
  tv::demo::PutFeedColumnWidths(grid.Store(), kPollWidth);
  FillGrid(grid.Store(), 2000, 2000);
  grid.show();
  QApplication::processEvents();
  const tv::CellFont font = RowFont();
  int n = 0;
  for (auto _ : state) {
    for (int i = 0; i < per_poll; ++i) {
      grid.Store().InsertRowAt("", 0);
      tv::demo::PutSampleRow(grid.Store(), 0, SampleFor(n++), font);
    }
    if (kRepaintAll) grid.Redraw();
    // The posted flush, then the frame it asked for.
    QApplication::processEvents();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_Poll_InfoGrid<false>)->Arg(5)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Poll_InfoGrid<true>)->Arg(5)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// --- JumpAndPaint ---------------------------------------------------------------

void BM_JumpAndPaint_InfoGrid(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int filled = static_cast<int>(state.range(1));
  tv::InfoGrid grid;
  grid.resize(kWidth, kHeight);
  tv::demo::PutFeedColumnWidths(grid.Store(), kWidth);
  FillGrid(grid.Store(), rows, filled);
  grid.show();
  QApplication::processEvents();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, filled - 1);
  for (auto _ : state) {
    grid.ScrollToRow(pick(random));
    grid.viewport()->repaint();
  }
}
BENCHMARK(BM_JumpAndPaint_InfoGrid)
    ->Args({1'000'000, 20'000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

void BM_JumpAndPaint_QTableView(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int filled = static_cast<int>(state.range(1));
  QStandardItemModel model(0, kColumns);
  FillModel(model, rows, filled);
  QTableView view;
  view.setModel(&model);
  view.setWordWrap(true);
  view.resize(kWidth, kHeight);
  SetFeedColumns(view);
  SetUniformRows(view);
  view.show();
  QApplication::processEvents();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, filled - 1);
  for (auto _ : state) {
    view.scrollTo(model.index(pick(random), 8), QAbstractItemView::PositionAtTop);
    view.viewport()->repaint();
  }
}
BENCHMARK(BM_JumpAndPaint_QTableView)
    ->Args({1'000'000, 20'000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// --- Memory -----------------------------------------------------------------------
// Run each alone (run.sh does): RSS is what the process holds, so a case run
// after another would see the freed pages of the one before.

void BM_Memory_InfoGrid(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int filled = static_cast<int>(state.range(1));
  for (auto _ : state) {
    malloc_trim(0);
    const long before = RssKb();
    tv::RowStore store(kColumns, std::make_shared<tv::QtTextMeasure>());
    tv::demo::PutFeedColumnWidths(store, kWidth);
    FillGrid(store, rows, filled);
    state.counters["rss_MB"] = static_cast<double>(RssKb() - before) / 1024.0;
    state.counters["filled"] = static_cast<double>(store.FilledRowCount());
  }
}
BENCHMARK(BM_Memory_InfoGrid)
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 20'000})
    ->Args({1'000'000, 100'000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_Memory_QStandardItemModel(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int filled = static_cast<int>(state.range(1));
  for (auto _ : state) {
    malloc_trim(0);
    const long before = RssKb();
    QStandardItemModel model(0, kColumns);
    FillModel(model, rows, filled);
    state.counters["rss_MB"] = static_cast<double>(RssKb() - before) / 1024.0;
  }
}
BENCHMARK(BM_Memory_QStandardItemModel)
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 20'000})
    ->Args({1'000'000, 100'000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
