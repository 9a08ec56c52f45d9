#pragma once
// Desktop notifications through the freedesktop notification service on the
// session bus. Every call is asynchronous: the bus is connected on a worker,
// Notify goes out without waiting, and its answer (the notification's id) is
// taken when it comes. Each notification replaces the one before. Without a
// bus, or without a notification service on it, Show does nothing visible and
// never waits.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace tv {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  // Makes the connection to the bus; runs on a worker, may take its time.
  using Connector = std::function<QDBusConnection()>;
  // The member's session bus.
  static QDBusConnection SessionBus();

  // How long a Notify may go unanswered before the next one is sent anyway.
  static constexpr int kDefaultCallTimeoutMs = 10000;

  explicit DesktopNotifier(Connector connector = SessionBus, QObject* parent = nullptr);
  ~DesktopNotifier() override;

  // Shows `summary` and `body` (plain text) in place of the last notification.
  // While one Notify is still unanswered, only the newest text waits for its
  // answer, so that it can name the notification it replaces.
  void Show(const QString& summary, const QString& body);

  // Takes the last notification off the desktop (the search closed, or the
  // member came back to the window) and drops a text still waiting. One
  // whose answer is outstanding is closed when the answer comes.
  void Withdraw();

  // The id the service gave the last notification (0: none yet).
  quint32 LastId() const { return last_id_; }
  void SetCallTimeoutMs(int ms) { call_timeout_ms_ = ms; }

 signals:
  // The member clicked the last notification (its default action).
  void activated();
  // The bus connection was tried: whether there is one.
  void busSettled(bool connected);
  // A Notify was answered: the notification's id, or 0 when the call failed
  // (no service, an error, no answer in time).
  void notifyAnswered(quint32 id);

 private slots:
  void OnActionInvoked(uint id, const QString& action_key);

 private:
  enum class BusState { kUnknown, kConnecting, kReady, kMissing };
  struct Text {
    QString summary;
    QString body;
  };

  void OnConnected(const QDBusConnection& bus);
  void AskCapabilities();
  void SendWaiting();
  void CloseLast();

  Connector connector_;
  std::optional<QDBusConnection> bus_;
  BusState state_ = BusState::kUnknown;
  std::optional<Text> waiting_;
  bool in_flight_ = false;
  // A body is taken as markup unless the service says it shows plain text:
  // a text holding "<" or "&" is escaped rather than read as tags.
  bool body_markup_ = true;
  quint32 last_id_ = 0;
  // Withdrawn while its Notify was unanswered: close it on the answer.
  bool close_on_answer_ = false;
  int call_timeout_ms_ = kDefaultCallTimeoutMs;
};

}  // namespace tv
