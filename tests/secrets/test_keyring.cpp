#include "test_keyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include "private_bus.h"

namespace tv {
namespace {

constexpr int kStartMs = 15000;
const QString kSecretService = QStringLiteral("org.freedesktop.secrets");

}  // namespace

TestKeyring::TestKeyring(bool with_keyring) : bus_(std::make_unique<PrivateBus>()) {
  if (!bus_->ok()) {
    error_ = bus_->error();
    return;
  }
  // Before anything in this process opens the session bus.
  qputenv("DBUS_SESSION_BUS_ADDRESS", bus_->Address().toUtf8());
  if (!with_keyring) return;

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_->Address());
  env.insert(QStringLiteral("HOME"), home_.path());
  env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
  const QString runtime = home_.filePath(QStringLiteral("run"));
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.remove(QStringLiteral("DISPLAY"));
  daemon_.setProcessEnvironment(env);
  daemon_.setProgram(QStringLiteral("gnome-keyring-daemon"));
  // --unlock reads the login keyring's password from standard input and
  // creates the keyring with it.
  daemon_.setArguments({QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                        QStringLiteral("--components=secrets")});
  daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  daemon_.start();
  if (!daemon_.waitForStarted(kStartMs)) {
    error_ = QStringLiteral("gnome-keyring-daemon did not start: ") + daemon_.errorString();
    return;
  }
  daemon_.write("test keyring password");
  daemon_.closeWriteChannel();

  // Ready once it owns the Secret Service's name on the bus.
  QDBusConnection probe = bus_->Connect(QStringLiteral("keyring-probe"));
  const QDeadlineTimer deadline(kStartMs);
  while (!probe.interface()->isServiceRegistered(kSecretService).value()) {
    if (deadline.hasExpired() || daemon_.state() == QProcess::NotRunning) {
      error_ = QStringLiteral("gnome-keyring-daemon did not take ") + kSecretService;
      return;
    }
    daemon_.waitForFinished(20);  // a short wait that ends early if it dies
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("keyring-probe"));
}

TestKeyring::~TestKeyring() {
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.terminate();
    if (!daemon_.waitForFinished(kStartMs)) daemon_.kill();
    daemon_.waitForFinished(kStartMs);
  }
}

QString TestKeyring::Address() const { return bus_->Address(); }

}  // namespace tv
