#include "core/jobs.h"

#include <QThreadPool>

namespace tv {

void StartWorker(std::function<void()> work) {
  // Deliberately never destroyed: closing the program must not wait for a
  // request that is still in flight.
  static QThreadPool* pool = [] {
    auto* p = new QThreadPool();
    p->setMaxThreadCount(16);
    p->setExpiryTimeout(30'000);
    return p;
  }();
  pool->start(std::move(work));
}

}  // namespace tv
