#pragma once
// A Secret Service of the test's own: gnome-keyring-daemon on a private
// message bus, its login keyring created and unlocked with a password fed on
// standard input, its files in a temp folder. Nothing of the member's own
// desktop keyring is touched.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tv {

class PrivateBus;

class TestKeyring {
 public:
  // `with_keyring` false: the bus alone, where no Secret Service answers.
  explicit TestKeyring(bool with_keyring);
  ~TestKeyring();
  TestKeyring(const TestKeyring&) = delete;
  TestKeyring& operator=(const TestKeyring&) = delete;

  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }
  // The bus address; also set as this process's DBUS_SESSION_BUS_ADDRESS.
  QString Address() const;

 private:
  std::unique_ptr<PrivateBus> bus_;
  QTemporaryDir home_;
  QProcess daemon_;
  QString error_;
};

}  // namespace tv
