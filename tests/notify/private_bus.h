#pragma once
// A message bus of the test's own (dbus-daemon on a socket in a temp folder),
// with nothing on it that the test does not put there: no service files, so
// a name nobody owns is unknown at once instead of being started.
#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tv {

class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool ok() const { return !address_.isEmpty(); }
  const QString& error() const { return error_; }
  // The address a client connects to ("unix:path=...,guid=...").
  const QString& Address() const { return address_; }
  // A new connection of its own under `name` (each name one connection).
  QDBusConnection Connect(const QString& name) const;

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
  QString error_;
};

}  // namespace tv
