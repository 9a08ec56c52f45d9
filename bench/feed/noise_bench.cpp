// What keeps noise out of a list, at a million rows, beside the same work
// with it switched off in the same run: the folding check of one arriving
// record, a poll answer of 50 records with folding and blocking on, a filter
// applied and cleared, the first frame painted after it, and the memory the
// folding keeps per row.
//
// The list: a million messages of 5,000 members, each text sent five times
// over (the loop re-sends of busy offices), cargo and trucks of every length
// of the menu.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "feed/feed_store.h"
#include "feed/fold_index.h"
#include "feed/message_identity.h"
#include "feed/truck_length.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr int kMillion = 1'000'000;
constexpr int kTexts = 200'000;  // each sent five times
constexpr int kMembers = 5'000;

InfoRecord Message(int id, int text) {
  static const char* const kCities[] = {"济宁", "郑州", "上海", "广州", "西安", "武汉", "成都"};
  const auto lengths = KnownTruckLengths();
  InfoRecord r;
  r.InfoID = std::to_string(id);
  r.City = Utf8ToGbk(kCities[text % 7]);
  r.Type = text % 2 == 0 ? "0" : "1";
  const std::string length = lengths[static_cast<std::size_t>(text) % lengths.size()].label;
  r.Content = Utf8ToGbk(std::string(kCities[text % 7]) + "到" + kCities[(text / 7) % 7] + "，有货" +
                        std::to_string(10 + text % 30) + "吨，求") +
              length + Utf8ToGbk("高栏车，价格面议，编号" + std::to_string(text));
  r.Tel = "139" + std::to_string(10'000'000 + text % kMembers);
  r.QQ = "";
  r.Company = Utf8ToGbk("物流公司");
  r.Flag = std::to_string(10'000 + text % kMembers);
  r.Deal = "0";
  r.Time = "2026-12-11 07:05:00";
  return r;
}

// One million rows written through the record store, newest first, on the
// grid widget's own store (Qt font metrics, as in the program).
struct List {
  List() : rows(grid.Store()), store(rows) {
    grid.resize(1200, 800);
    SetFeedColumns(grid.Store(), 1200 - 111);
    store.SetRowStyle(RowStyle{Utf8ToGbk("宋体"), 16, 0});
    store.Member().user_id = 1;
    store.SetBlockedTest([this](std::string_view m) { return block_on && m == blocked; });
    store.ApplyStartPage(CountedPage{kMillion, {}});
    for (int row = 0; row < kMillion; ++row) {
      store.PutRecord(Message(5'000'000 - row, row % kTexts), PutMode::kFill, row);
    }
    grid.show();
    QApplication::processEvents();
  }
  InfoGrid grid;
  RowStoreGrid rows;
  FeedStore store;
  bool block_on = false;
  std::string blocked = "10007";
};

List& TheList() {
  static List list;
  return list;
}

void SetNoise(List& l, bool on) {
  l.store.SetFolding(on);
  l.block_on = on;
  l.store.BlockedChanged();
}

// The check one arriving record costs: its fingerprint, the look-up among a
// million rows' groups and the comparison with the copy found (then taken out
// again, so that every round finds the same index). Off: nothing to do.
void BM_FoldCheckPerRecord(benchmark::State& state) {
  const bool on = state.range(0) != 0;
  FoldIndex index;
  index.Reset(kMillion + 1);
  std::vector<InfoRecord> held;
  for (int key = 0; key < kMillion; ++key) {
    const InfoRecord r = Message(key, key % kTexts);
    index.Add(static_cast<std::uint32_t>(key), MessageFingerprint(r.Flag, r.Content),
              [](std::uint32_t) { return true; });
  }
  const InfoRecord copy = Message(kMillion, 12'345);  // a re-send of a held text
  const InfoRecord held_copy = Message(12'345, 12'345);
  for (auto _ : state) {
    if (!on) {
      benchmark::DoNotOptimize(copy.Content.data());
      continue;
    }
    const auto put =
        index.Add(kMillion, MessageFingerprint(copy.Flag, copy.Content), [&](std::uint32_t) {
          return SameMessage(copy.Flag, copy.Content, held_copy.Flag, held_copy.Content);
        });
    benchmark::DoNotOptimize(put);
    index.Remove(kMillion);
  }
  state.SetLabel(on ? "folding on" : "folding off");
  state.counters["index_bytes_per_row"] =
      static_cast<double>(index.MemoryBytes()) / static_cast<double>(kMillion);
}

// 50 new records on top of the million: half of them re-sends of held texts,
// one from a blocked member.
void BM_PollAnswer(benchmark::State& state) {
  const bool on = state.range(0) != 0;
  List& l = TheList();
  SetNoise(l, on);
  int id = 6'000'000;
  for (auto _ : state) {
    std::vector<InfoRecord> answer;
    for (int i = 0; i < 50; ++i) {
      const int text = i % 2 == 0 ? (id * 7 + i) % kTexts : kTexts + id + i;
      answer.push_back(Message(id++, text));
    }
    benchmark::DoNotOptimize(l.store.ApplyNewRecords(answer));
  }
  SetNoise(l, true);
  state.SetLabel(on ? "fold+block on" : "fold+block off");
}

RowFilter FilterOf(int kind) {
  RowFilter f;
  std::uint32_t nine_six = 0;
  const auto known = KnownTruckLengths();
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (known[i].decimetres == 96) nine_six = std::uint32_t{1} << i;
  }
  if (kind == 1 || kind == 3) {
    f.type = FilterType::kCargo;
    f.lengths = nine_six;
  }
  if (kind == 2 || kind == 3) {
    f.must_have = {Utf8ToGbk("郑州")};
    f.must_not_have = {Utf8ToGbk("面议急走")};
  }
  return f;
}

const char* FilterName(int kind) {
  switch (kind) {
    case 0:
      return "cleared";
    case 1:
      return "cargo, 9.6米";
    case 2:
      return "words";
    default:
      return "cargo, 9.6米, words";
  }
}

// Applying a filter to the million rows (from none), and clearing it again.
void BM_ApplyFilter(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  List& l = TheList();
  for (auto _ : state) {
    state.PauseTiming();
    l.store.SetFilter(RowFilter{});
    state.ResumeTiming();
    l.store.SetFilter(FilterOf(kind));
  }
  state.SetLabel(FilterName(kind));
  state.counters["shown"] = l.store.Noise().ShownLoadedCount();
  l.store.SetFilter(RowFilter{});
}

void BM_ClearFilter(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  List& l = TheList();
  for (auto _ : state) {
    state.PauseTiming();
    l.store.SetFilter(FilterOf(kind));
    state.ResumeTiming();
    l.store.SetFilter(RowFilter{});
  }
  state.SetLabel(FilterName(kind));
}

// The first frame of the list after a filter (or with none): the rows in
// view painted.
void BM_FirstFrame(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  List& l = TheList();
  l.store.SetFilter(FilterOf(kind));
  l.grid.ScrollToRow(l.grid.Store().ShownRowAt(l.grid.Store().ShownRowCount() / 2));
  QApplication::processEvents();
  for (auto _ : state) l.grid.viewport()->repaint();
  state.SetLabel(FilterName(kind));
  l.store.SetFilter(RowFilter{});
}

// The memory folding keeps beside the rows.
void BM_FoldMemory(benchmark::State& state) {
  List& l = TheList();
  for (auto _ : state) benchmark::DoNotOptimize(l.store.Noise().FoldMemoryBytes());
  state.counters["fold_bytes_per_row"] =
      static_cast<double>(l.store.Noise().FoldMemoryBytes()) / l.grid.Store().RowCount();
  state.counters["folded"] = l.store.Noise().FoldedCount();
}

BENCHMARK(BM_FoldCheckPerRecord)->Arg(1)->Arg(0)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PollAnswer)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->Iterations(40);
BENCHMARK(BM_ApplyFilter)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ClearFilter)->DenseRange(1, 3)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FirstFrame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_FoldMemory)->Iterations(1);

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
