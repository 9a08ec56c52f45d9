#include "subscribe/subscription_attach.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "detail/detail_attach.h"
#include "detail/detail_view.h"
#include "feed/feed_attach.h"
#include "feed/feed_grid.h"
#include "feed/list_tools.h"
#include "feed/live_grid.h"
#include "net/transport.h"
#include "notify/desktop_notifier.h"
#include "notify/window_front.h"
#include "search/alert_player.h"
#include "search/sound_effect_player.h"
#include "settings/values.h"
#include "shell/shell.h"
#include "shell/shell_events.h"
#include "shell/shell_session.h"
#include "subscribe/speech_player.h"
#include "subscribe/spoken_alert.h"
#include "subscribe/subscription_set.h"
#include "subscribe/subscription_store.h"
#include "subscribe/subscriptions_window.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

constexpr char kAttachmentName[] = "subscriptionAttachment";

FeedServices ProgramServices() {
  FeedServices services;
  services.fetch = [](std::string_view host, std::string_view path) {
    return FetchEncodedPage("GET", host, path);
  };
  services.row_style = [] {
    return RowStyle{FontFace(), FontSize(), static_cast<int>(FontColor().value)};
  };
  return services;
}

// The program's icon with the unread total on it.
QIcon CountedIcon(int unread) {
  QPixmap icon = QIcon(QStringLiteral(":/tarvolo/icon.png")).pixmap(64, 64);
  if (icon.isNull()) {
    icon = QPixmap(64, 64);
    icon.fill(QColor(231, 247, 255));
  }
  if (unread > 0) {
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(220, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(24, 0, 40, 40));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(unread > 99 ? 16 : 24);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(24, 0, 40, 40), Qt::AlignCenter,
                     unread > 99 ? QStringLiteral("99+") : QString::number(unread));
  }
  return QIcon(icon);
}

// The subscription's rows keep `Type` and the time as received; the detail
// view shows the type word and the short time.
int MinuteOfDay() {
  const QTime now = QTime::currentTime();
  return now.hour() * 60 + now.minute();
}

}  // namespace

SubscriptionAttachment::SubscriptionAttachment(Shell& shell, FeedAttachment& feed,
                                               DetailAttachment& detail)
    : QObject(shell.Frame()), shell_(shell), feed_(feed), detail_(detail) {
  setObjectName(QString::fromLatin1(kAttachmentName));
  store_ = SubscriptionStore::Open(SubscriptionStore::DefaultPath());
  QAction* command = shell.ClaimCommand(MainCommand::kSubscriptions);
  connect(command, &QAction::triggered, this, [this] { OpenWindow(true); });
  if (!store_) return;  // told when the member asks for the window
  set_ = std::make_unique<SubscriptionSet>(*store_, ProgramServices());

  panel_ = new QWidget(shell.Frame());
  panel_->hide();
  auto* layout = new QVBoxLayout(panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(panel_);
  tabs_->setDocumentMode(true);
  tabs_->setAccessibleName(QStringLiteral("我的订阅"));
  layout->addWidget(tabs_);
  set_->SetRowsFor([this](const Subscription& subscription) -> RowStore& {
    InfoGrid*& grid = grids_[subscription.id];
    if (grid == nullptr) {
      grid = new InfoGrid(panel_);
      grid->SetBackColour(static_cast<Colour>(BackColor().value));
      const std::int64_t id = subscription.id;
      connect(grid, &InfoGrid::doubleClicked, this, [this, grid, id](int row, int column) {
        const RowStore& rows = grid->Store();
        const auto live = live_grids_.find(id);
        detail_.View().OnRowDoubleClick(
            column, [&rows, row](int c) { return PanelCellText(rows, row, c); }, false,
            live != live_grids_.end() && live->second ? live->second->Tools().DetailExtras(row)
                                                      : RowExtras{});
      });
      connect(grid, &InfoGrid::scrollReported, this, [this, id] {
        if (tabs_->currentWidget() == grids_[id]) MarkShownRead();
      });
    }
    return grid->Store();
  });
  connect(set_.get(), &SubscriptionSet::feedsChanged, this, &SubscriptionAttachment::RebuildTabs);
  connect(set_.get(), &SubscriptionSet::matchesArrived, this, &SubscriptionAttachment::OnMatches);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { MarkShownRead(); });

  // What the window tells the lists.
  ShellSession& session = shell.Session();
  ShellEvents& events = shell.Events();
  connect(&session, &ShellSession::loggedIn, this, &SubscriptionAttachment::OnLoggedIn);
  connect(&session, &ShellSession::feedHostChanged, this,
          [this](const QString& host) { set_->SetHost(host.toStdString()); });
  connect(&events, &ShellEvents::maskingChanged, this,
          [this](bool masked) { set_->SetMasked(masked); });
  // Backing off with the main feed, which looks for a working server.
  connect(&feed.Feed(), &FeedController::connectionChanged, set_.get(),
          &SubscriptionSet::SetMainConnectionLost);

  sounds_ = std::make_unique<SoundEffectPlayer>();
  speech_ = new SpeechPlayer(this);
  read_timer_ = new QTimer(this);
  connect(read_timer_, &QTimer::timeout, this, &SubscriptionAttachment::MarkShownRead);
  read_timer_->start(1000);
  shell.Frame()->installEventFilter(this);
  // Back at the window, the notifications have done their work.
  connect(qApp, &QApplication::focusWindowChanged, this, [this] {
    if (!WindowInFront(shell_.Frame())) return;
    for (const auto& [id, notifier] : notifiers_) notifier->Withdraw();
  });
}

SubscriptionAttachment::~SubscriptionAttachment() = default;

void SubscriptionAttachment::OnLoggedIn() {
  const ShellSession& session = shell_.Session();
  set_->SetMember(session.Profile().UserId);
  set_->SetHost(session.FeedHost());
  set_->SetRefreshPeriodMs(session.RefreshPeriodMs());
  set_->SetMasked(shell_.Masked());
  logged_in_ = true;
  set_->Start();
  ShowTray();
}

bool SubscriptionAttachment::Running() const {
  if (!set_) return false;
  for (SubscriptionFeed* feed : set_->Feeds()) {
    if (!feed->Info().paused) return true;
  }
  return false;
}

SubscriptionsWindow* SubscriptionAttachment::OpenWindow(bool modal) {
  if (!set_) {
    ShowNotice(TV_TEXT("无法打开订阅文件：") + Utf8ToGbk(SubscriptionStore::DefaultPath()));
    return nullptr;
  }
  if (logged_in_ && tabs_->count() > 0) shell_.OpenLowerPanel(panel_);
  auto* window = new SubscriptionsWindow(*set_, shell_.Frame());
  window->setAttribute(Qt::WA_DeleteOnClose);
  connect(window, &SubscriptionsWindow::subscriptionsChanged, this, [this] {
    if (logged_in_ && tabs_->count() > 0) shell_.OpenLowerPanel(panel_);
    UpdateCounts();
  });
  if (!modal) {
    window->show();
    return window;
  }
  window->exec();
  return nullptr;
}

InfoGrid* SubscriptionAttachment::GridOf(std::int64_t id) const {
  const auto it = grids_.find(id);
  return it != grids_.end() ? it->second : nullptr;
}

void SubscriptionAttachment::RebuildTabs() {
  for (const auto& [id, live] : live_grids_) delete live.data();
  live_grids_.clear();
  const QWidget* shown = tabs_->currentWidget();
  tabs_->clear();
  std::set<std::int64_t> ids;
  for (SubscriptionFeed* feed : set_->Feeds()) {
    const std::int64_t id = feed->Info().id;
    ids.insert(id);
    InfoGrid* grid = grids_.at(id);
    tabs_->addTab(grid, FromGbk(feed->Info().name));
    live_grids_.emplace(id, new LiveGrid(
        grid, feed->Grid(), feed->Feed(), feed->Paging(), shell_, [] { return true; }, this));
  }
  // The grids of subscriptions that are gone.
  for (auto it = grids_.begin(); it != grids_.end();) {
    if (ids.count(it->first) == 0) {
      delete it->second;
      read_.erase(it->first);
      it = grids_.erase(it);
    } else {
      ++it;
    }
  }
  const int again = tabs_->indexOf(const_cast<QWidget*>(shown));
  if (again >= 0) tabs_->setCurrentIndex(again);
  if (logged_in_ && tabs_->count() > 0 && !shell_.LowerPanelOpen()) shell_.OpenLowerPanel(panel_);
  UpdateCounts();
}

void SubscriptionAttachment::OnMatches(qint64 id, const std::vector<InfoRecord>& records) {
  SubscriptionFeed* feed = set_->FeedOf(id);
  if (feed == nullptr || records.empty()) return;
  const Subscription& s = feed->Info();
  const QuietSetting quiet = ReadQuietSetting(*store_);
  const bool silent = alerts_paused_ || (quiet.on && InQuietHours(quiet.hours, MinuteOfDay()));
  bool chimed = false;
  bool notified = false;
  bool spoken = false;
  if (s.alerts.chime && !silent) {
    if (const auto sound = AlertForType(records.back().Type)) {
      sounds_->Play(*sound);
      chimed = true;
    }
  }
  // A notification is for a window out of sight: in front, the tab's count
  // and the chime say it.
  if (s.alerts.notify && !alerts_paused_ && !WindowInFront(shell_.Frame())) {
    DesktopNotifier*& notifier = notifiers_[id];
    if (notifier == nullptr) {
      notifier = new DesktopNotifier(DesktopNotifier::SessionBus, this);
      connect(notifier, &DesktopNotifier::activated, this, [this, id] {
        BringToFront(shell_.Frame());
        shell_.OpenLowerPanel(panel_);
        if (InfoGrid* grid = GridOf(id)) tabs_->setCurrentWidget(grid);
      });
    }
    const std::string summary =
        s.name + TV_TEXT("：新信息 ") + std::to_string(records.size()) + TV_TEXT(" 条");
    notifier->Show(FromGbk(summary), FromGbk(records.front().Content));
    notified = true;
  }
  if (s.alerts.speech && !silent) {
    speech_->Say(SpokenMatches(s, records));
    spoken = true;
  }
  UpdateCounts();
  emit alerted(id, chimed, notified, spoken);
}

void SubscriptionAttachment::MarkShownRead() {
  if (!set_ || !panel_->isVisible() || !shell_.Frame()->isVisible()) return;
  auto* grid = qobject_cast<InfoGrid*>(tabs_->currentWidget());
  if (grid == nullptr) return;
  std::int64_t id = 0;
  for (const auto& [grid_id, g] : grids_) {
    if (g == grid) id = grid_id;
  }
  std::set<std::string>& read = read_[id];
  bool marked = false;
  const int top = grid->TopRow();
  const int count = grid->FullyVisibleRowCount();
  for (int row = top; row < top + count && row < grid->Store().RowCount(); ++row) {
    const std::string info_id(grid->Store().GetCellText(row, kColInfoId));
    if (info_id.empty() || !read.insert(info_id).second) continue;
    store_->MarkSeen(id, info_id);
    marked = true;
  }
  if (marked) UpdateCounts();
}

int SubscriptionAttachment::UnreadTotal() const {
  if (!set_) return 0;
  int total = 0;
  for (SubscriptionFeed* feed : set_->Feeds()) total += store_->UnreadCount(feed->Info().id);
  return total;
}

void SubscriptionAttachment::UpdateCounts() {
  int total = 0;
  for (int i = 0; i < tabs_->count(); ++i) {
    SubscriptionFeed* feed = set_->Feeds().at(static_cast<std::size_t>(i));
    const int unread = store_->UnreadCount(feed->Info().id);
    total += unread;
    const QString name = FromGbk(feed->Info().name);
    tabs_->setTabText(i, unread > 0 ? QStringLiteral("%1 (%2)").arg(name).arg(unread) : name);
  }
  if (tray_ != nullptr) {
    tray_->setIcon(CountedIcon(total));
    tray_->setToolTip(QStringLiteral("我的订阅：未读 %1 条").arg(total));
  }
  emit unreadChanged(total);
}

void SubscriptionAttachment::ShowTray() {
  // Nothing, and no error, on a desktop without a tray.
  if (tray_ != nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) return;
  tray_ = new QSystemTrayIcon(CountedIcon(UnreadTotal()), this);
  tray_menu_ = new QMenu(shell_.Frame());
  connect(tray_menu_->addAction(QStringLiteral("显示窗口")), &QAction::triggered, this,
          [this] { BringToFront(shell_.Frame()); });
  QAction* pause = tray_menu_->addAction(QStringLiteral("暂停全部提醒"));
  pause->setCheckable(true);
  connect(pause, &QAction::toggled, this, [this](bool on) { alerts_paused_ = on; });
  tray_->setContextMenu(tray_menu_);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) BringToFront(shell_.Frame());
  });
  tray_->show();
  UpdateCounts();
}

bool SubscriptionAttachment::eventFilter(QObject* watched, QEvent* event) {
  if (watched == shell_.Frame() && event->type() == QEvent::Close && tray_ != nullptr &&
      tray_->isVisible() && Running()) {
    if (AskYesNo(TV_TEXT("订阅仍在运行。关闭窗口后在系统托盘中继续关注吗？"))) {
      event->ignore();
      shell_.Frame()->hide();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

SubscriptionAttachment& AttachSubscriptions(Shell& shell, FeedAttachment& feed,
                                            DetailAttachment& detail) {
  return *new SubscriptionAttachment(shell, feed, detail);
}

SubscriptionAttachment* SubscriptionsOf(Shell& shell) {
  return shell.Frame()->findChild<SubscriptionAttachment*>(QString::fromLatin1(kAttachmentName),
                                                           Qt::FindDirectChildrenOnly);
}

}  // namespace tv
