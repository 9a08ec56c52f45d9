// A poll answer of 50 records through the local filters of ten
// subscriptions (the work each answer costs on its worker), against the
// parse of the same answer that every list pays anyway; and the spoken form
// of one match.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/sample_records.h"
#include "core/gbk.h"
#include "net/answers.h"
#include "subscribe/spoken_alert.h"
#include "subscribe/subscription_match.h"

namespace tv {
namespace {

constexpr int kAnswerRecords = 50;

const char* const kContents[] = {
    "济宁到北京 钢材20吨 求9.6米平板 价格面议 电话13905370000",
    "泰安到上海 煤炭30吨 需13米高栏 运费3500元",
    "济南发青岛 家具200方 急走 不要危险品",
    "临沂回北京 9.6米厢式车 载重18吨 求货",
    "郑州到广州 化工原料 危险品 需专用车",
};

// Ten routes as members keep them: cities and provinces, both kinds, words
// that must and must not appear.
std::vector<Subscription> TenSubscriptions() {
  struct Route {
    const char* from;
    const char* to;
    SubscriptionKind kind;
    const char* must;
    const char* exclude;
  };
  const Route routes[] = {
      {"济宁", "北京", SubscriptionKind::kCargo, "", "危险品"},
      {"泰安", "上海", SubscriptionKind::kAll, "", ""},
      {"济南", "山东省", SubscriptionKind::kCargo, "家具", ""},
      {"临沂", "北京", SubscriptionKind::kTruck, "", ""},
      {"郑州", "广东省", SubscriptionKind::kAll, "", "危险品"},
      {"山东省", "河北省", SubscriptionKind::kCargo, "钢材", ""},
      {"济宁", "江苏省", SubscriptionKind::kAll, "", "化工"},
      {"北京", "济宁", SubscriptionKind::kTruck, "9.6米", ""},
      {"河南省", "北京", SubscriptionKind::kAll, "", ""},
      {"青岛", "上海", SubscriptionKind::kCargo, "", "冷藏"},
  };
  std::vector<Subscription> out;
  for (const Route& r : routes) {
    Subscription s;
    s.departures = {Utf8ToGbk(r.from)};
    s.destinations = {Utf8ToGbk(r.to)};
    s.kind = r.kind;
    if (*r.must) s.must_words = {Utf8ToGbk(r.must)};
    if (*r.exclude) s.excluded_words = {Utf8ToGbk(r.exclude)};
    out.push_back(s);
  }
  return out;
}

std::string AnswerBody() {
  std::string body = "@@";
  for (int i = 0; i < kAnswerRecords; ++i) {
    const InfoRecord r = bench::SampleRecord(1000 + i, kContents[i % 5]);
    for (const std::string* f :
         {&r.InfoID, &r.City, &r.Type, &r.Content, &r.Tel, &r.QQ, &r.Company, &r.Flag, &r.Deal}) {
      body += *f + "||";
    }
    body += r.Time + "@@";
  }
  return body;
}

// The baseline: the parse every list makes of a poll answer.
void BM_ParseAnswer(benchmark::State& state) {
  const std::string body = AnswerBody();
  for (auto _ : state) benchmark::DoNotOptimize(ParseRecords(body));
}
BENCHMARK(BM_ParseAnswer)->Unit(benchmark::kMicrosecond);

// The answer's 50 records through ten subscriptions' filters.
void BM_TenFiltersOnAnswer(benchmark::State& state) {
  std::vector<MatchFilter> filters;
  for (const Subscription& s : TenSubscriptions()) filters.emplace_back(s);
  const std::vector<InfoRecord> records = ParseRecords(AnswerBody());
  int matched = 0;
  for (auto _ : state) {
    for (const MatchFilter& filter : filters) {
      for (const InfoRecord& r : records) matched += filter.Matches(r) ? 1 : 0;
    }
  }
  benchmark::DoNotOptimize(matched);
  state.counters["matches_per_answer"] =
      static_cast<double>(matched) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TenFiltersOnAnswer)->Unit(benchmark::kMicrosecond);

// Preparing the ten filters (once per start of the lists).
void BM_PrepareTenFilters(benchmark::State& state) {
  const std::vector<Subscription> subscriptions = TenSubscriptions();
  for (auto _ : state) {
    for (const Subscription& s : subscriptions) benchmark::DoNotOptimize(MatchFilter(s));
  }
}
BENCHMARK(BM_PrepareTenFilters)->Unit(benchmark::kMicrosecond);

void BM_SpokenMatch(benchmark::State& state) {
  const Subscription s = TenSubscriptions().front();
  const InfoRecord r = bench::SampleRecord(1, kContents[0]);
  for (auto _ : state) benchmark::DoNotOptimize(SpokenMatch(s, r));
}
BENCHMARK(BM_SpokenMatch)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tv

BENCHMARK_MAIN();
