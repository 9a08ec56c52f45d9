// Every picker refill is one or two ListChildren calls, each a scan of the whole
// county directory. A refill has to fit well inside a frame; the goal is under
// 20 us per lookup. The baseline is the plain scan (a whole string comparison
// per row, counting matches, copying nothing out).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "regions/region_directory.h"
#include "regions/region_picker.h"

namespace tv {
namespace {

// Every parent of the table, looked up in turn: provinces and prefectures alike.
std::vector<std::string> AllParents() {
  std::vector<std::string> parents;
  for (const RegionPair& row : Rows(RegionTable::kCountyDirectory)) {
    if (parents.empty() || parents.back() != row.parent) parents.emplace_back(row.parent);
  }
  return parents;
}

void BM_ListChildren(benchmark::State& state) {
  const std::vector<std::string> parents = AllParents();
  std::size_t i = 0;
  for (auto _ : state) {
    auto children = ListChildren(RegionTable::kCountyDirectory, parents[i]);
    benchmark::DoNotOptimize(children.data());
    i = (i + 1) % parents.size();
  }
}
BENCHMARK(BM_ListChildren);

void BM_BaselinePlainScan(benchmark::State& state) {
  const std::vector<std::string> parents = AllParents();
  const auto rows = Rows(RegionTable::kCountyDirectory);
  std::size_t i = 0;
  for (auto _ : state) {
    std::size_t matches = 0;
    for (const RegionPair& row : rows) matches += row.parent == parents[i];
    benchmark::DoNotOptimize(matches);
    i = (i + 1) % parents.size();
  }
}
BENCHMARK(BM_BaselinePlainScan);

void BM_AreaCodeOf(benchmark::State& state) {
  const std::vector<std::string> parents = AllParents();
  std::size_t i = 0;
  for (auto _ : state) {
    auto code = AreaCodeOf(parents[i]);
    benchmark::DoNotOptimize(code.data());
    i = (i + 1) % parents.size();
  }
}
BENCHMARK(BM_AreaCodeOf);

// What a user's province pick costs: two lookups and the list refills.
void BM_PresetPickerProvinceChange(benchmark::State& state) {
  PresetRegionPicker picker({}, {});
  int index = 0;
  for (auto _ : state) {
    picker.PickProvince(index);
    benchmark::DoNotOptimize(picker.CountyList().Size());
    index = (index + 1) % static_cast<int>(kProvinceCount);
  }
}
BENCHMARK(BM_PresetPickerProvinceChange);

}  // namespace
}  // namespace tv

BENCHMARK_MAIN();
