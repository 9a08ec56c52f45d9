// ParseCountedPage over a 1 MiB page of about 5,000 GBK records, beside a plain
// memchr scan for '@' over the same bytes: the scan is near memory speed, and a
// parser that reads fields in place should stay within a tenth of it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "net/answers.h"

namespace {

constexpr std::size_t kTargetBytes = 1 << 20;

// A counted page whose records look like the service's: Chinese cities,
// companies and message text (some characters end in 0x40 or 0x7C), phone
// numbers, a time stamp.
const std::string& Body() {
  static const std::string body = [] {
    const std::vector<std::string> cities = {"北京", "上海", "广州", "郑州", "石家庄", "乌鲁木齐"};
    const std::vector<std::string> goods = {"钢材", "水泥", "煤炭", "蔬菜", "家具", "億園配件"};
    const std::vector<std::string> trucks = {"13米平板车", "9.6米厢车", "17.5米高栏", "冷藏车"};
    const std::vector<std::string> companies = {"速达物流", "中原货运", "華園運輸", ""};
    std::mt19937 random(42);
    auto pick = [&](const std::vector<std::string>& list) { return list[random() % list.size()]; };
    std::string page = "@@123456@@";
    long id = 9000000;
    while (page.size() < kTargetBytes) {
      const std::string from = pick(cities), to = pick(cities);
      std::string content = from + "到" + to + ",有" + std::to_string(10 + random() % 40) + "吨" +
                            pick(goods) + ",求" + pick(trucks) + "一辆,价格面议,装货时间" +
                            std::to_string(1 + random() % 28) +
                            "号,全程高速,可开发票,回程车优先,欢迎来电洽谈,联系电话见下,非诚勿扰";
      std::string record =
          std::to_string(id--) + "||" + pick(cities) + "||" + std::to_string(random() % 2) + "||" +
          content + "||1" + std::to_string(3800000000LL + random() % 99999999) + "||" +
          std::to_string(100000 + random() % 900000) + "||" + pick(companies) + "||" +
          std::to_string(random() % 5000) + "||" + (random() % 10 == 0 ? "1" : "0") + "||2012-03-" +
          std::to_string(10 + random() % 18) + " 09:" + std::to_string(10 + random() % 50) + ":0" +
          std::to_string(random() % 10);
      page += tv::Utf8ToGbk(record) + "@@";
    }
    return page;
  }();
  return body;
}

void BM_ParseCountedPage(benchmark::State& state) {
  const std::string& body = Body();
  std::size_t records = 0;
  for (auto _ : state) {
    std::size_t content_bytes = 0;
    records = 0;
    const auto total = tv::ParseCountedPage(body, [&](const tv::InfoRecordView& r) {
      content_bytes += r.Content.size();
      ++records;
    });
    benchmark::DoNotOptimize(total);
    benchmark::DoNotOptimize(content_bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
  state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_ParseCountedPage)->Unit(benchmark::kMicrosecond);

// The copying form (one InfoRecord per row), for reference.
void BM_ParseCountedPageCopies(benchmark::State& state) {
  const std::string& body = Body();
  for (auto _ : state) {
    auto page = tv::ParseCountedPage(body);
    benchmark::DoNotOptimize(page.records.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseCountedPageCopies)->Unit(benchmark::kMicrosecond);

void BM_MemchrScan(benchmark::State& state) {
  const std::string& body = Body();
  for (auto _ : state) {
    std::size_t count = 0;
    const char* p = body.data();
    const char* end = p + body.size();
    while ((p = static_cast<const char*>(std::memchr(p, '@', end - p))) != nullptr) {
      ++count;
      ++p;
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMicrosecond);

// Shows the usual table and keeps the median throughput of each benchmark.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "median") continue;
      const auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) median_[run.run_name.function_name] = it->second.value;
    }
  }
  double Median(const std::string& name) const {
    const auto it = median_.find(name);
    return it == median_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> median_;
};

}  // namespace

int main(int argc, char** argv) {
  // Medians over repetitions: these machines are noisy.
  std::vector<char*> args(argv, argv + argc);
  std::string reps = "--benchmark_repetitions=9";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {reps.data(), aggregates.data()});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  std::printf("body: %zu bytes\n", Body().size());
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const double parser = reporter.Median("BM_ParseCountedPage");
  const double scan = reporter.Median("BM_MemchrScan");
  if (parser > 0 && scan > 0) {
    std::printf("\nParseCountedPage (median): %.0f MB/s\n", parser / 1e6);
    std::printf("memchr scan for '@' (median): %.0f MB/s\n", scan / 1e6);
    std::printf("ratio parser/memchr: %.3f (goal >= 0.100)\n", parser / scan);
  }
  return 0;
}
