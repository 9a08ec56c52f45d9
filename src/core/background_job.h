#pragma once
// Background jobs. A job's blocking part (a request and its parse, a
// discovery) runs on a worker of one shared pool; what it found is handed
// back to the UI thread and applied there in one piece, and only while the
// job's receiver still lives: a result that arrives for an object that is
// gone is dropped, never applied to freed memory.
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <utility>

namespace tv {

// Starts `work` on a worker. The pool is wide enough that a stalled request
// of one job never holds up another, and is never waited for at exit.
void StartInBackground(std::function<void()> work);

// Waits until no job runs on a worker (their results may still be queued
// for the UI thread). False when `timeout_ms` passed first.
bool WaitForBackgroundJobs(int timeout_ms);

// Calls `apply` on the UI thread soon after, unless `receiver` is gone by
// then. Callable from any thread: the receiver is only looked at on the UI
// thread.
void ApplyOnUiThread(QPointer<QObject> receiver, std::function<void()> apply);

// `work()` on a worker, then `apply(result)` on the UI thread while
// `receiver` lives.
template <typename Work, typename Apply>
void RunInBackground(QObject* receiver, Work work, Apply apply) {
  QPointer<QObject> guard(receiver);
  StartInBackground([guard, work = std::move(work), apply = std::move(apply)]() mutable {
    auto result = std::make_shared<decltype(work())>(work());
    ApplyOnUiThread(guard,
                    [result, apply = std::move(apply)]() mutable { apply(std::move(*result)); });
  });
}

}  // namespace tv
