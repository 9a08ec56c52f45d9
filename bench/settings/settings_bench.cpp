// ReadSetting from two worker threads while a third thread writes, beside the
// same reads with nobody writing, and beside a store whose every call is
// serialised by one lock (what a single shared connection would give).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "settings/store.h"

namespace tv {
namespace {

std::string g_dir;
std::atomic<bool> g_writing{false};
std::atomic<long> g_writes{0};
std::thread g_writer;
std::mutex g_one_lock;
bool g_serialised = false;

std::string Read(std::string_view name) {
  if (!g_serialised) return ReadSetting(kMainKey, name);
  std::lock_guard lock(g_one_lock);
  return ReadSetting(kMainKey, name);
}

bool Write(std::string_view name, const std::string& text) {
  if (!g_serialised) return WriteSetting(kMainKey, name, text);
  std::lock_guard lock(g_one_lock);
  return WriteSetting(kMainKey, name, text);
}

void OpenStore() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tv-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_dir = pattern;
  UseSettingsStore(SettingsStore::Open(g_dir + "/settings.db"));
  // The display settings the feed workers read, among the rest of a real store.
  for (int i = 0; i < 40; ++i) WriteSetting(kMainKey, "other" + std::to_string(i), "value");
  WriteSetting(kMainKey, "FontSizetavrelomin", "20");
  WriteSetting(kMainKey, "FontColortavrelomin", "0");
}

void CloseStore() {
  UseSettingsStore(nullptr);
  std::filesystem::remove_all(g_dir);
}

void StartWriter(const benchmark::State&) {
  OpenStore();
  g_writes = 0;
  g_writing = true;
  g_writer = std::thread([] {
    for (long i = 0; g_writing.load(std::memory_order_relaxed); ++i) {
      if (Write("FontSizetavrelomin", std::to_string(20 + i % 10))) ++g_writes;
    }
  });
}

void StopWriter(const benchmark::State&) {
  g_writing = false;
  g_writer.join();
  CloseStore();
}

void NoWriter(const benchmark::State&) { OpenStore(); }
void NoWriterDone(const benchmark::State&) { CloseStore(); }

void ReadDisplaySettings(benchmark::State& state, bool serialised) {
  g_serialised = serialised;
  auto started = std::chrono::steady_clock::now();
  long writes_before = g_writes.load();
  for (auto _ : state) {
    std::string size = Read("FontSizetavrelomin");
    if (size == "Error") state.SkipWithError("read failed");
    benchmark::DoNotOptimize(size);
  }
  state.counters["reads_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  if (state.thread_index() == 0) {
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    state.counters["writes_per_s"] = (g_writes.load() - writes_before) / seconds;
  }
}

void BM_ReadNoWriter(benchmark::State& state) { ReadDisplaySettings(state, false); }
void BM_ReadWhileWriting(benchmark::State& state) { ReadDisplaySettings(state, false); }
void BM_ReadWhileWritingOneLock(benchmark::State& state) { ReadDisplaySettings(state, true); }

BENCHMARK(BM_ReadNoWriter)->Threads(2)->UseRealTime()->Setup(NoWriter)->Teardown(NoWriterDone);
BENCHMARK(BM_ReadWhileWriting)->Threads(2)->UseRealTime()->Setup(StartWriter)->Teardown(StopWriter);
BENCHMARK(BM_ReadWhileWritingOneLock)
    ->Threads(2)
    ->UseRealTime()
    ->Setup(StartWriter)
    ->Teardown(StopWriter);

}  // namespace
}  // namespace tv

BENCHMARK_MAIN();
