// tarvolo-notify-recorder: the recording notification service as a program,
// for end-to-end runs of the client on a private session bus
// (DBUS_SESSION_BUS_ADDRESS). It prints one line per event on standard
// output:
//   NOTIFY ready                                  the service name is ours
//   NOTIFY id=<n> replaces=<n> summary=<text> body=<text>
// and takes commands on standard input, one per line:
//   click <id>       the member clicks that notification (its default action)
#include <unistd.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>

#include "notification_recorder.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  tv::NotificationRecorder recorder;
  if (!recorder.Register(QDBusConnection::sessionBus())) {
    std::fprintf(stderr, "notify-recorder: cannot own the notification service\n");
    return 1;
  }
  QObject::connect(&recorder, &tv::NotificationRecorder::received, [&recorder](int count) {
    const auto& n = recorder.Notifications()[static_cast<std::size_t>(count - 1)];
    std::printf("NOTIFY id=%u replaces=%u summary=%s body=%s\n", n.id, n.replaces_id,
                n.summary.toUtf8().constData(), n.body.toUtf8().constData());
    std::fflush(stdout);
  });
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char line[256];
    if (std::fgets(line, sizeof line, stdin) == nullptr) {
      input.setEnabled(false);
      return;
    }
    unsigned id = 0;
    if (std::sscanf(line, "click %u", &id) == 1) {
      recorder.Invoke(id, QStringLiteral("default"));
      std::printf("NOTIFY clicked %u\n", id);
      std::fflush(stdout);
    }
  });
  std::printf("NOTIFY ready\n");
  std::fflush(stdout);
  return app.exec();
}
