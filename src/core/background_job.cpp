#include "core/background_job.h"

#include <QThreadPool>

namespace tv {

namespace {

QThreadPool& Pool() {
  // Deliberately never destroyed: closing the program must not wait for a
  // request that is still in flight.
  static QThreadPool* pool = [] {
    auto* p = new QThreadPool();
    p->setMaxThreadCount(16);
    p->setExpiryTimeout(30'000);
    return p;
  }();
  return *pool;
}

}  // namespace

void StartInBackground(std::function<void()> work) { Pool().start(std::move(work)); }

bool WaitForBackgroundJobs(int timeout_ms) { return Pool().waitForDone(timeout_ms); }

void ApplyOnUiThread(QPointer<QObject> receiver, std::function<void()> apply) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  QMetaObject::invokeMethod(
      app,
      [receiver = std::move(receiver), apply = std::move(apply)] {
        if (receiver) apply();
      },
      Qt::QueuedConnection);
}

}  // namespace tv
