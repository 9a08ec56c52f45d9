// In-process cost of the service's busiest answers (no HTTP): a first page of
// a busy city built from the store and taken from the answer cache, and a poll
// that finds nothing new; the baseline is base64-encoding an answer of the
// same size, the least any answer costs.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "core/gbk.h"
#include "demo_data.h"
#include "net/base64.h"
#include "net/query_encoding.h"
#include "service_pages.h"

namespace {

struct Fixture {
  std::string dir;
  std::unique_ptr<tv::ServiceStore> store;
  std::unique_ptr<tv::ServicePages> cached, uncached;
  std::string page_target, poll_target;

  Fixture() {
    dir = (std::filesystem::temp_directory_path() / "tv-pages-bench").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string error;
    store = tv::ServiceStore::Open(dir + "/bench.db", &error);
    tv::FillDemoData(*store, 3000, 20121210, &error);
    tv::ServiceOptions with_cache;
    tv::ServiceOptions without_cache;
    without_cache.cache = false;
    cached = std::make_unique<tv::ServicePages>(*store, with_cache, "127.0.0.1:80");
    uncached = std::make_unique<tv::ServicePages>(*store, without_cache, "127.0.0.1:80");
    const std::string code = tv::EncodeQueryValue(tv::Utf8ToGbk("郑州"));
    page_target = "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" + code + "&inType=8";
    poll_target = "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=" +
                  std::to_string(store->newest_message_id()) + "&Code=" + code + "&inType=8";
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void BM_Base64OfFirstPageSize(benchmark::State& state) {
  const std::string text =
      tv::DecodeBase64Lenient(Shared().uncached->Handle("GET", Shared().page_target, "").body);
  for (auto _ : state) benchmark::DoNotOptimize(tv::EncodeBase64(text));
}
BENCHMARK(BM_Base64OfFirstPageSize);

void BM_FirstPageFromStore(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Shared().uncached->Handle("GET", Shared().page_target, ""));
}
BENCHMARK(BM_FirstPageFromStore);

void BM_FirstPageFromCache(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Shared().cached->Handle("GET", Shared().page_target, ""));
}
BENCHMARK(BM_FirstPageFromCache);

void BM_PollNothingNew(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Shared().uncached->Handle("GET", Shared().poll_target, ""));
}
BENCHMARK(BM_PollNothingNew);

}  // namespace
