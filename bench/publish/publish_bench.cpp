// Publishing's work on the UI thread once the service has accepted a message,
// with a million rows in the main grid: the own message put on top (from the
// reply's arrival to the row on top), and the whole reply applied (the same
// plus the history bookkeeping in the settings store, 1,000 entries in it).
// Baseline of the same run: the same work on an empty grid.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QGuiApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "core/gbk.h"
#include "feed/feed_controller.h"
#include "feed/feed_store.h"
#include "feed/own_message_view.h"
#include "publish/publish_session.h"
#include "settings/store.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

constexpr int kMillion = 1'000'000;

PublishRecord Record() {
  PublishFields f;
  f.member_city = Utf8ToGbk("济宁");
  f.departure_city = Utf8ToGbk("济宁");
  f.content = Utf8ToGbk("济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走；济宁→上海,有钢材20吨货");
  f.member_number = "31";
  f.contact_line = Utf8ToGbk("0537-1234567 13900000000 内线:802 顺达物流 张三");
  f.type_code = "0";
  f.history_text = Utf8ToGbk("货源：") + f.content;
  return *PublishRecord::Make(f);
}

// The main grid with `rows` rows, the feed's controller on it, and a session
// that hands the own message to the feed as the program does (the feed
// decides that it concerns the view and puts it on top).
struct Bench {
  explicit Bench(int rows)
      : store(kMessageColumns, std::make_shared<QtTextMeasure>()),
        grid(store),
        feed(grid),
        controller(feed, FeedServices{}) {
    SetFeedColumns(store, 1200);
    grid.ResizeRows(rows);
    feed.View().regions = {Utf8ToGbk("济宁")};
    feed.SetRowStyle(RowStyle{Utf8ToGbk("宋体"), 20, 0});
    session.profile = [] { return MemberProfile{}; };
    // What the feed does with the shell's ownMessagePublished.
    session.post_own_message = [this](const OwnMessage& message) {
      if (OwnMessageConcernsView(feed.View(), feed.Code(), message))
        controller.PutOwnMessage(message.record);
    };
    session.time_text = [] { return std::string("2012-3-5 9:07:03"); };
    session = WithDefaults(session);
  }
  RowStore store;
  RowStoreGrid grid;
  FeedStore feed;
  FeedController controller;
  PublishSession session;
};

const OwnMessageAnswer kAnswer{"5000123", Utf8ToGbk("济宁→北京,有钢材20吨货,求2辆9.6米平板车")};

void BM_OwnMessageOnTop(benchmark::State& state) {
  Bench b(static_cast<int>(state.range(0)));
  const PublishRecord record = Record();
  for (auto _ : state) ShowOwnMessage(b.session, record, kAnswer);
  state.SetLabel(state.range(0) > 0 ? "1M rows" : "empty grid");
}

void BM_ApplyAcceptedReply(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / "tv-publish-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return;
  UseSettingsStore(SettingsStore::Open(dir + "/settings.db"));
  CreateSettingKey(kHistoryKey);
  for (int i = 1; i <= 1000; ++i)
    WriteSetting(kHistoryKey, std::to_string(i), Utf8ToGbk("货源：历史") + std::to_string(i));
  Bench b(static_cast<int>(state.range(0)));
  const PublishRecord record = Record();
  const PublishOutcome outcome{"AddOK", kAnswer};
  for (auto _ : state) {
    WriteSetting(kMainKey, "strCounttavrelomin", "1000");
    ApplyPublishOutcome(b.session, record, outcome, "");
    state.PauseTiming();
    DeleteSetting(kHistoryKey, "1001");  // the store keeps its size
    state.ResumeTiming();
  }
  UseSettingsStore(nullptr);
  std::filesystem::remove_all(dir);
  state.SetLabel(state.range(0) > 0 ? "1M rows" : "empty grid");
}

void Args(benchmark::internal::Benchmark* b) {
  b->Arg(kMillion)->Arg(0)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_OwnMessageOnTop)->Apply(Args);
BENCHMARK(BM_ApplyAcceptedReply)->Apply(Args);

}  // namespace
}  // namespace tv

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);  // the program's font metrics for row heights
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
