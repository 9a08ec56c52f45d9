#include "core/background_job.h"

#include <QEvent>
#include <QRunnable>
#include <QThreadPool>

namespace tv {

namespace {

// Qt hands a job to its worker and a result back to the UI thread under its
// own locks, which ThreadSanitizer does not see (Qt is not built with it): to
// it, every worker would race with the thread that started its job. In a
// ThreadSanitizer build each hand-over tells it what Qt's locks guarantee,
// that what the handing thread wrote before is seen by the thread that takes
// over. In any other build these do nothing.
#if defined(__SANITIZE_THREAD__)
#define TV_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TV_THREAD_SANITIZER 1
#endif
#endif
#ifdef TV_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
void HandOver(void* token) { __tsan_release(token); }
void TakeOver(void* token) { __tsan_acquire(token); }
#else
void HandOver(void*) {}
void TakeOver(void*) {}
#endif

// What every finished job handed over, for WaitForBackgroundJobs.
char g_jobs_done;

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

class Job final : public QRunnable {
 public:
  explicit Job(std::function<void()> work) : work_(std::move(work)) { HandOver(this); }

  void run() override {
    TakeOver(this);
    work_();
    work_ = nullptr;  // what the work holds goes before the job counts as done
    HandOver(&g_jobs_done);
  }

 private:
  std::function<void()> work_;
};

// A result on its way to the UI thread. Qt deletes the event there, after
// delivering it or with the queue it waits in.
class ApplyEvent final : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }

  ApplyEvent(QPointer<QObject> receiver, std::function<void()> apply)
      : QEvent(Kind()), receiver_(std::move(receiver)), apply_(std::move(apply)) {
    HandOver(this);
  }
  ~ApplyEvent() override { TakeOver(this); }

  void Apply() {
    if (receiver_) apply_();
  }

 private:
  QPointer<QObject> receiver_;
  std::function<void()> apply_;
};

// Receives the results on the UI thread.
class Applier final : public QObject {
 public:
  bool event(QEvent* e) override {
    TakeOver(e);  // before the first look at it, even at its type
    if (e->type() != ApplyEvent::Kind()) return QObject::event(e);
    static_cast<ApplyEvent*>(e)->Apply();
    return true;
  }
};

QObject& UiApplier(QCoreApplication& app) {
  // Made by whichever thread needs it first, then given to the UI thread;
  // never destroyed, like the pool.
  static Applier* applier = [&app] {
    auto* a = new Applier();
    if (a->thread() != app.thread()) a->moveToThread(app.thread());
    return a;
  }();
  return *applier;
}

}  // namespace

void StartInBackground(std::function<void()> work) { Pool().start(new Job(std::move(work))); }

bool WaitForBackgroundJobs(int timeout_ms) {
  if (!Pool().waitForDone(timeout_ms)) return false;
  TakeOver(&g_jobs_done);
  return true;
}

void ApplyOnUiThread(QPointer<QObject> receiver, std::function<void()> apply) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  QCoreApplication::postEvent(&UiApplier(*app),
                              new ApplyEvent(std::move(receiver), std::move(apply)));
}

}  // namespace tv
