#include "subscribe_driver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <set>

#include "core/qt_gbk.h"
#include "grid/message_row.h"
#include "subscribe/subscription_attach.h"
#include "subscribe/subscription_form.h"
#include "subscribe/subscription_set.h"
#include "subscribe/subscriptions_window.h"
#include "test_report.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

class SubscriptionHooks : public QObject {
 public:
  explicit SubscriptionHooks(SubscriptionAttachment& subscriptions)
      : QObject(&subscriptions), subs_(subscriptions) {
    connect(&subs_, &SubscriptionAttachment::alerted, this,
            [](qint64 id, bool chime, bool notified, bool spoken) {
              ReportTestEvent(QStringLiteral("subs-alert %1 %2 %3 %4")
                                  .arg(id)
                                  .arg(chime)
                                  .arg(notified)
                                  .arg(spoken));
            });
    connect(&subs_, &SubscriptionAttachment::unreadChanged, this,
            [](int total) { ReportTestEvent(QStringLiteral("subs-unread %1").arg(total)); });
    if (SubscriptionSet* set = subs_.Set()) {
      connect(set, &SubscriptionSet::feedsChanged, this, [this, set] {
        for (SubscriptionFeed* feed : set->Feeds()) {
          if (!watched_.insert(feed).second) continue;
          const qint64 id = feed->Info().id;
          connect(feed, &SubscriptionFeed::started, this, [id](int rows) {
            ReportTestEvent(QStringLiteral("subs-started %1 %2").arg(id).arg(rows));
          });
        }
      });
    }
  }

  bool Run(const QString& command, const QString& arg) {
    if (command == QLatin1String("subs-add")) {
      const QStringList parts = arg.split(QChar(' '));
      if (parts.size() != 3) return true;
      if (!window_) window_ = subs_.OpenWindow(false);
      if (window_ == nullptr) return true;
      window_->NewSubscription(false);
      SubscriptionForm* form = window_->OpenForm();
      if (form == nullptr) return true;
      form->Departures()->addItem(parts[0]);
      form->Destinations()->addItem(parts[1]);
      form->KindBox()->setCurrentIndex(parts[2].toInt());
      form->accept();
      ReportTestEvent(QStringLiteral("subs-count %1").arg(window_->List()->count()));
    } else if (command == QLatin1String("subs-close")) {
      if (window_) window_->close();
    } else if (command == QLatin1String("subs-tab")) {
      subs_.Tabs()->setCurrentIndex(arg.toInt());
    } else if (command == QLatin1String("subs-dump")) {
      QTabWidget* tabs = subs_.Tabs();
      for (int i = 0; i < tabs->count(); ++i) {
        ReportTestEvent(QStringLiteral("subs-tab %1 %2").arg(i).arg(tabs->tabText(i)));
      }
      for (SubscriptionFeed* feed : subs_.Set()->Feeds()) {
        InfoGrid* grid = subs_.GridOf(feed->Info().id);
        const RowStore& rows = grid->Store();
        const QString top =
            rows.RowCount() > 0 ? FromGbk(rows.GetCellText(0, kColContent)) : QString();
        ReportTestEvent(QStringLiteral("subs-rows %1 %2 %3")
                            .arg(feed->Info().id)
                            .arg(rows.RowCount())
                            .arg(top));
      }
      QSystemTrayIcon* tray = subs_.Tray();
      ReportTestEvent(tray != nullptr
                          ? QStringLiteral("subs-tray ") + tray->toolTip()
                          : QStringLiteral("subs-tray none (no tray on this desktop), unread %1")
                                .arg(subs_.UnreadTotal()));
    } else {
      return false;
    }
    return true;
  }

 private:
  SubscriptionAttachment& subs_;
  QPointer<SubscriptionsWindow> window_;
  // The lists whose start is reported already.
  std::set<const SubscriptionFeed*> watched_;
};

}  // namespace

SubscriptionCommandRunner InstallSubscriptionDriver(SubscriptionAttachment& subscriptions) {
  auto* hooks = new SubscriptionHooks(subscriptions);
  return [hooks](const QString& command, const QString& arg) { return hooks->Run(command, arg); };
}

}  // namespace tv
