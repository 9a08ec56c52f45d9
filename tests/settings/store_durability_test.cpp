// What a write that reported success is worth: it survives the writer being
// killed, and readers on other threads see whole values while it writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "settings/store.h"
#include "temp_store.h"

namespace tv {
namespace {

std::string Name(int round, int i) { return "r" + std::to_string(round) + "v" + std::to_string(i); }
std::string Text(int i) { return std::to_string(i) + std::string(i % 300, '#'); }

// The child writes value after value and reports each one that succeeded
// through the pipe; the parent kills it after `reports_before_kill` reports,
// so the kill lands in the middle of a later write.
std::set<int> WriteUntilKilled(const std::string& path, int round, int reports_before_kill) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    auto store = SettingsStore::Open(path);
    for (int i = 0;; ++i) {
      if (store->Write(kMainKey, Name(round, i), Text(i))) {
        if (write(fds[1], &i, sizeof i) != sizeof i) _exit(1);
      }
    }
  }
  close(fds[1]);
  std::set<int> reported;
  auto read_one = [&]() {
    int i = 0;
    if (read(fds[0], &i, sizeof i) != sizeof i) return false;
    reported.insert(i);
    return true;
  };
  while (static_cast<int>(reported.size()) < reports_before_kill && read_one()) {
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  while (read_one()) {  // reports already in the pipe when it died
  }
  close(fds[0]);
  return reported;
}

TEST(StoreDurability, EveryReportedWriteSurvivesKill9) {
  test::TempDir dir;
  std::string path = dir.File("settings.db");
  int round = 0;
  for (int reports : {1, 7, 40, 120}) {
    std::set<int> reported = WriteUntilKilled(path, round, reports);
    ASSERT_GE(static_cast<int>(reported.size()), reports);
    auto store = SettingsStore::Open(path);
    EXPECT_EQ(store->MovedAsidePath(), "");
    for (int i : reported) {
      ASSERT_EQ(store->Read(kMainKey, Name(round, i)), Text(i)) << "round " << round << " " << i;
    }
    ++round;
  }
}

TEST(StoreConcurrency, ReadersSeeWholeValuesWhileTheUiThreadWrites) {
  test::TempDir dir;
  UseSettingsStore(SettingsStore::Open(dir.File("settings.db")));
  ASSERT_TRUE(WriteSetting(kMainKey, "FontSizetavrelomin", "0"));
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::atomic<long> reads{0};
  auto reader = [&]() {
    long last = 0;
    while (!done.load()) {
      std::string text = ReadSetting(kMainKey, "fontsizetavrelomin");
      std::string colour = ReadSetting(kMainKey, "FontColortavrelomin");
      // Values only grow, and a text is never half written.
      long value = text == "Error" ? -1 : std::stol(text);
      if (value < last || (colour != "Error" && colour != std::string(colour.size(), '7'))) ++bad;
      last = value;
      ++reads;
    }
  };
  std::thread first(reader);
  std::thread second(reader);
  for (int i = 1; i <= 150; ++i) {
    ASSERT_TRUE(WriteSetting(kMainKey, "FontSizetavrelomin", std::to_string(i)));
    ASSERT_TRUE(WriteSetting(kMainKey, "FontColortavrelomin", std::string(i, '7')));
  }
  // Let the readers overlap the writes at least a little before stopping them.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (reads.load() < 100 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  done = true;
  first.join();
  second.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(ReadSetting(kMainKey, "FontSizetavrelomin"), "150");
  UseSettingsStore(nullptr);
}

}  // namespace
}  // namespace tv
