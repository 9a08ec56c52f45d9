#include "notification_recorder.h"

#include <QDBusConnectionInterface>

namespace tv {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

NotificationRecorder::NotificationRecorder(Options options, QObject* parent)
    : QObject(parent), options_(options), bus_(QStringLiteral("unset")) {}

bool NotificationRecorder::Register(QDBusConnection bus) {
  bus_ = bus;
  return bus_.isConnected() &&
         bus_.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots) &&
         bus_.registerService(kService);
}

uint NotificationRecorder::Notify(const QString& app_name, uint replaces_id,
                                  const QString& app_icon, const QString& summary,
                                  const QString& body, const QStringList& actions,
                                  const QVariantMap& hints, int expire_timeout) {
  // A replaced notification that still exists keeps its id.
  uint id = 0;
  for (const Received& earlier : received_) {
    if (replaces_id != 0 && earlier.id == replaces_id) id = replaces_id;
  }
  if (id == 0) id = next_id_++;
  received_.push_back(
      Received{app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout, id});
  if (options_.hold_answers && calledFromDBus()) {
    setDelayedReply(true);
    held_.push_back(message().createReply(QVariant::fromValue(id)));
  }
  emit received(static_cast<int>(received_.size()));
  return id;
}

QStringList NotificationRecorder::GetCapabilities() {
  QStringList caps{QStringLiteral("actions"), QStringLiteral("body")};
  if (options_.body_markup) caps << QStringLiteral("body-markup");
  return caps;
}

void NotificationRecorder::CloseNotification(uint id) { closed_.push_back(id); }

QString NotificationRecorder::GetServerInformation(QString& vendor, QString& version,
                                                   QString& spec_version) {
  vendor = QStringLiteral("tests");
  version = QStringLiteral("1");
  spec_version = QStringLiteral("1.2");
  return QStringLiteral("notification-recorder");
}

void NotificationRecorder::ReleaseHeld() {
  for (const QDBusMessage& answer : held_) bus_.send(answer);
  held_.clear();
}

void NotificationRecorder::Invoke(uint id, const QString& action_key) {
  QDBusMessage signal =
      QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActionInvoked"));
  signal << id << action_key;
  bus_.send(signal);
}

}  // namespace tv
