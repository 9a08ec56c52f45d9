// Background jobs: the work runs on a worker, the result comes back to the UI
// thread, and a result for a receiver that is gone is dropped.
#include "core/background_job.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tv {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "core_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  return *app;
}

// A result that counts its living copies: once none is left, the job's
// answer has been applied or dropped on the UI thread.
struct Counted {
  explicit Counted(std::shared_ptr<std::atomic<int>> alive) : alive_(std::move(alive)) {
    ++*alive_;
  }
  Counted(const Counted& other) : alive_(other.alive_) { ++*alive_; }
  Counted(Counted&& other) noexcept : alive_(other.alive_) { ++*alive_; }
  ~Counted() { --*alive_; }
  std::shared_ptr<std::atomic<int>> alive_;
};

TEST(BackgroundJob, WorkRunsOnAWorkerAndTheResultIsAppliedOnTheUiThread) {
  App();
  QObject receiver;
  QThread* worker_thread = nullptr;
  QThread* apply_thread = nullptr;
  int applied = 0;
  RunInBackground(
      &receiver,
      [&worker_thread] {
        worker_thread = QThread::currentThread();
        return 42;
      },
      [&](int result) {
        apply_thread = QThread::currentThread();
        applied = result;
      });
  ASSERT_TRUE(QTest::qWaitFor([&] { return applied != 0; }, 5000));
  EXPECT_EQ(applied, 42);
  EXPECT_EQ(apply_thread, App().thread());
  EXPECT_NE(worker_thread, App().thread());
}

TEST(BackgroundJob, AResultForAReceiverGoneMeanwhileIsDropped) {
  App();
  auto receiver = std::make_unique<QObject>();
  auto alive = std::make_shared<std::atomic<int>>(0);
  std::atomic<bool> started = false, release = false, made = false;
  bool applied = false;
  RunInBackground(
      receiver.get(),
      [alive, &started, &release, &made] {
        started = true;
        while (!release) QThread::yieldCurrentThread();
        Counted result(alive);
        made = true;
        return result;
      },
      [&applied](Counted) { applied = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
  receiver.reset();  // the window closes while the request runs
  release = true;
  // Every copy of the result gone: the answer reached the UI thread and was
  // thrown away there.
  ASSERT_TRUE(QTest::qWaitFor([&] { return made && alive->load() == 0; }, 5000));
  EXPECT_FALSE(applied);
}

TEST(BackgroundJob, ApplyOnUiThreadChecksTheReceiverWhenItRuns) {
  App();
  auto gone = std::make_unique<QObject>();
  QObject stays;
  std::vector<std::string> ran;
  // Posted from another thread while both receivers live.
  std::thread poster([&] {
    ApplyOnUiThread(gone.get(), [&ran] { ran.push_back("gone"); });
    ApplyOnUiThread(&stays, [&ran] { ran.push_back("stays"); });
  });
  poster.join();
  gone.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ran.empty(); }, 5000));
  EXPECT_EQ(ran, std::vector<std::string>{"stays"});
}

}  // namespace
}  // namespace tv
