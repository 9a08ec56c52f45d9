#pragma once
// A notification service of our own for tests: it owns
// org.freedesktop.Notifications on a bus, records every Notify it receives,
// and answers with ids as a desktop's service does (a replaced notification
// keeps its id). It can hold its answers back, as a stalled service would,
// and emit the click on a notification.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace tv {

class NotificationRecorder : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Received {
    QString app_name;
    uint replaces_id = 0;
    QString app_icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expire_timeout = 0;
    uint id = 0;  // the id answered (or to be answered)
  };

  struct Options {
    // Listed by GetCapabilities: the body may carry markup.
    bool body_markup = true;
    // Notify calls are not answered until ReleaseHeld().
    bool hold_answers = false;
  };

  explicit NotificationRecorder(Options options, QObject* parent = nullptr);
  NotificationRecorder() : NotificationRecorder(Options{}) {}

  // Takes the service name on `bus`; false when that failed.
  bool Register(QDBusConnection bus);

  const std::vector<Received>& Notifications() const { return received_; }
  // The ids CloseNotification was called with, in order.
  const std::vector<uint>& Closed() const { return closed_; }
  // Answers the held Notify calls, in order.
  void ReleaseHeld();
  void SetHoldAnswers(bool hold) { options_.hold_answers = hold; }
  // Emits ActionInvoked(id, key) on the bus, as a click does.
  void Invoke(uint id, const QString& action_key);

 public slots:
  Q_SCRIPTABLE uint Notify(const QString& app_name, uint replaces_id, const QString& app_icon,
                           const QString& summary, const QString& body, const QStringList& actions,
                           const QVariantMap& hints, int expire_timeout);
  Q_SCRIPTABLE QStringList GetCapabilities();
  Q_SCRIPTABLE void CloseNotification(uint id);
  Q_SCRIPTABLE QString GetServerInformation(QString& vendor, QString& version,
                                            QString& spec_version);

 signals:
  // A Notify came in (whether answered yet or not).
  void received(int count);

 private:
  Options options_;
  QDBusConnection bus_;
  std::vector<Received> received_;
  std::vector<uint> closed_;
  std::vector<QDBusMessage> held_;
  uint next_id_ = 1;
};

}  // namespace tv
