#include "app/secure_connections.h"

#include <QCoreApplication>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "core/background_job.h"
#include "core/notice.h"
#include "net/transport.h"
#include "settings/values.h"

namespace tv {

void ConfigureSecureConnections() {
  SetExtraCaFile(TlsCaFile());
  struct Told {
    std::mutex mutex;
    std::set<std::string> notices;
  };
  auto told = std::make_shared<Told>();
  // Requests run on workers; the notice is shown on the UI thread.
  SetSecureConnectionFailureHandler([told](const std::string& gbk_notice) {
    {
      std::lock_guard lock(told->mutex);
      if (!told->notices.insert(gbk_notice).second) return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    ApplyOnUiThread(app, [gbk_notice] { ShowNotice(gbk_notice); });
  });
}

}  // namespace tv
