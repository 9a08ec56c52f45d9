#pragma once
// Wires the route subscriptions into the main window: "我的订阅" (menu 搜索
// and its button) opens the subscriptions window; after login every
// subscription runs as a list of its own in a tab of the lower panel, its
// unread matches on the tab (a match is read once its row was on screen);
// new matches sound, notify and speak as each subscription asks, quiet
// hours aside; the lists back off with the main feed; a tray icon shows
// the unread total, and closing the window while subscriptions run asks
// whether to keep watching in the tray. Called once, after AttachSearch.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/info_record.h"

class QMenu;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;

namespace tv {

class DesktopNotifier;
class DetailAttachment;
class FeedAttachment;
class InfoGrid;
class LiveGrid;
class Shell;
class SoundEffectPlayer;
class SpeechPlayer;
class SubscriptionSet;
class SubscriptionStore;
class SubscriptionsWindow;

class SubscriptionAttachment : public QObject {
  Q_OBJECT

 public:
  SubscriptionAttachment(Shell& shell, FeedAttachment& feed, DetailAttachment& detail);
  ~SubscriptionAttachment() override;

  // Null when the subscriptions' file could not be opened (told once).
  SubscriptionSet* Set() const { return set_.get(); }
  // "我的订阅": run until closed (`modal`), or shown and returned.
  SubscriptionsWindow* OpenWindow(bool modal);
  QTabWidget* Tabs() const { return tabs_; }
  InfoGrid* GridOf(std::int64_t id) const;
  QSystemTrayIcon* Tray() const { return tray_; }
  SpeechPlayer* Speech() const { return speech_; }
  int UnreadTotal() const;
  // Marks the rows on screen in the shown tab read (also done every second).
  void MarkShownRead();
  // Alerts paused from the tray menu (the lists and counts go on).
  bool AlertsPaused() const { return alerts_paused_; }

 signals:
  // Tabs and counts were updated (tests wait on it).
  void unreadChanged(int total);
  // Alerts given for one poll answer of a subscription.
  void alerted(qint64 id, bool chime, bool notified, bool spoken);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnLoggedIn();
  void RebuildTabs();
  void OnMatches(qint64 id, const std::vector<InfoRecord>& records);
  void UpdateCounts();
  void ShowTray();
  bool Running() const;

  Shell& shell_;
  FeedAttachment& feed_;
  DetailAttachment& detail_;
  std::unique_ptr<SubscriptionStore> store_;
  std::unique_ptr<SubscriptionSet> set_;
  QWidget* panel_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::map<std::int64_t, InfoGrid*> grids_;
  std::map<std::int64_t, QPointer<LiveGrid>> live_grids_;
  // Identifiers already marked read, so a row on screen is written once.
  std::map<std::int64_t, std::set<std::string>> read_;
  std::unique_ptr<SoundEffectPlayer> sounds_;
  SpeechPlayer* speech_ = nullptr;
  std::map<std::int64_t, DesktopNotifier*> notifiers_;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* tray_menu_ = nullptr;
  QTimer* read_timer_ = nullptr;
  bool alerts_paused_ = false;
  bool logged_in_ = false;
};

SubscriptionAttachment& AttachSubscriptions(Shell& shell, FeedAttachment& feed,
                                            DetailAttachment& detail);
// The attachment of a window that AttachSubscriptions wired (nullptr
// otherwise).
SubscriptionAttachment* SubscriptionsOf(Shell& shell);

}  // namespace tv
