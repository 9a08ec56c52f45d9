#pragma once
// Short-lived workers for the feed's network jobs. A job runs the blocking
// request and the parse on a pool thread and hands its result back to the UI
// thread, where it is applied in one piece, unless the owner is gone by then.
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <utility>

namespace tv {

// Starts `work` on a worker; `apply(result)` then runs on the UI thread if
// `owner` still exists. The pool is wide enough that a stalled request of one
// job never holds up another, and is never waited for at exit.
void StartWorker(std::function<void()> work);

template <typename Work, typename Apply>
void RunJob(QObject* owner, Work work, Apply apply) {
  QPointer<QObject> guard(owner);
  StartWorker([guard, work = std::move(work), apply = std::move(apply)]() mutable {
    auto result = std::make_shared<decltype(work())>(work());
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    QMetaObject::invokeMethod(
        app,
        [guard, result, apply = std::move(apply)]() mutable {
          if (guard) apply(std::move(*result));
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tv
