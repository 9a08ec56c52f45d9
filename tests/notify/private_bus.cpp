#include "private_bus.h"

#include <QDeadlineTimer>
#include <QFile>

namespace tv {
namespace {

constexpr int kStartMs = 10000;

QByteArray BusConfig(const QString& socket_dir) {
  return QByteArrayLiteral(
             "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
             "<busconfig>\n"
             "  <type>session</type>\n"
             "  <listen>unix:dir=") +
         socket_dir.toUtf8() +
         QByteArrayLiteral(
             "</listen>\n"
             "  <auth>EXTERNAL</auth>\n"
             "  <policy context=\"default\">\n"
             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
             "    <allow eavesdrop=\"true\"/>\n"
             "    <allow own=\"*\"/>\n"
             "  </policy>\n"
             "</busconfig>\n");
}

}  // namespace

PrivateBus::PrivateBus() {
  if (!dir_.isValid()) {
    error_ = QStringLiteral("no temp folder");
    return;
  }
  const QString config = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly) || file.write(BusConfig(dir_.path())) < 0) {
    error_ = QStringLiteral("cannot write ") + config;
    return;
  }
  file.close();
  daemon_.setProgram(QStringLiteral("dbus-daemon"));
  daemon_.setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
  daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  daemon_.start();
  if (!daemon_.waitForStarted(kStartMs)) {
    error_ = QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
    return;
  }
  // The daemon prints its address, one line, once it listens.
  const QDeadlineTimer deadline(kStartMs);
  QByteArray out;
  while (!out.contains('\n')) {
    if (deadline.hasExpired() || !daemon_.waitForReadyRead(deadline.remainingTime())) {
      error_ = QStringLiteral("dbus-daemon printed no address");
      return;
    }
    out += daemon_.readAllStandardOutput();
  }
  address_ = QString::fromUtf8(out.left(out.indexOf('\n')).trimmed());
}

PrivateBus::~PrivateBus() {
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.kill();
    daemon_.waitForFinished(kStartMs);
  }
}

QDBusConnection PrivateBus::Connect(const QString& name) const {
  return QDBusConnection::connectToBus(address_, name);
}

}  // namespace tv
