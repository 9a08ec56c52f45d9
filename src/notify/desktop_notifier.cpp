#include "notify/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "core/background_job.h"

namespace tv {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// What the service shows as the sender, and the icon and desktop entry it
// can find through the installed program.
const QString kAppName = QStringLiteral("Tarvolo");
const QString kAppIcon = QStringLiteral("tarvolo");
const QString kDesktopEntry = QStringLiteral("cn.tarvolo.Tarvolo");
// The action a click on the notification itself invokes.
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

QDBusConnection DesktopNotifier::SessionBus() { return QDBusConnection::sessionBus(); }

DesktopNotifier::DesktopNotifier(Connector connector, QObject* parent)
    : QObject(parent), connector_(std::move(connector)) {}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::Show(const QString& summary, const QString& body) {
  close_on_answer_ = false;
  switch (state_) {
    case BusState::kMissing:
      return;
    case BusState::kUnknown:
      state_ = BusState::kConnecting;
      waiting_ = Text{summary, body};
      RunInBackground(
          this, [connector = connector_] { return connector(); },
          [this](QDBusConnection bus) { OnConnected(bus); });
      return;
    case BusState::kConnecting:
      waiting_ = Text{summary, body};
      return;
    case BusState::kReady:
      waiting_ = Text{summary, body};
      if (!in_flight_) SendWaiting();
      return;
  }
}

void DesktopNotifier::OnConnected(const QDBusConnection& bus) {
  if (!bus.isConnected()) {
    state_ = BusState::kMissing;
    waiting_.reset();
    emit busSettled(false);
    return;
  }
  bus_ = bus;
  state_ = BusState::kReady;
  // From any sender: naming the service here would make Qt look its owner up
  // with a call that waits. Only our own notification's id counts.
  bus_->connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
  emit busSettled(true);
  AskCapabilities();
}

void DesktopNotifier::AskCapabilities() {
  // The first notification waits for this answer, so that its body is
  // written as the service reads it.
  in_flight_ = true;
  auto* watcher = new QDBusPendingCallWatcher(
      bus_->asyncCall(Call(QStringLiteral("GetCapabilities")), call_timeout_ms_), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusPendingReply<QStringList> reply = *call;
    if (!reply.isError()) {
      body_markup_ = reply.value().contains(QStringLiteral("body-markup"));
    }
    in_flight_ = false;
    SendWaiting();
  });
}

void DesktopNotifier::SendWaiting() {
  if (!waiting_ || !bus_) return;
  const Text text = *waiting_;
  waiting_.reset();
  in_flight_ = true;

  QDBusMessage call = Call(QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), kDesktopEntry);
  call << kAppName << static_cast<uint>(last_id_) << kAppIcon << text.summary
       << (body_markup_ ? text.body.toHtmlEscaped() : text.body)
       << QStringList{kDefaultAction, QStringLiteral("查看")} << hints
       << -1;  // the service's own display time
  auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, call_timeout_ms_), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            in_flight_ = false;
            const QDBusPendingReply<uint> reply = *finished;
            quint32 id = 0;
            if (!reply.isError()) {
              id = reply.value();
              last_id_ = id;
            }
            if (close_on_answer_) {
              close_on_answer_ = false;
              CloseLast();
            }
            emit notifyAnswered(id);
            SendWaiting();
          });
}

void DesktopNotifier::Withdraw() {
  waiting_.reset();
  if (in_flight_) {
    close_on_answer_ = true;
    return;
  }
  CloseLast();
}

void DesktopNotifier::CloseLast() {
  if (!bus_ || last_id_ == 0) return;
  QDBusMessage call = Call(QStringLiteral("CloseNotification"));
  call << static_cast<uint>(last_id_);
  // Nothing to learn from the answer; the call must just not wait.
  bus_->asyncCall(call, call_timeout_ms_);
  last_id_ = 0;
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action_key) {
  if (last_id_ != 0 && id == last_id_ && action_key == kDefaultAction) emit activated();
}

}  // namespace tv
