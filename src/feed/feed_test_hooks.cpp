#include "feed/feed_test_hooks.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QStringList>
#include <QTreeWidgetItem>
#include <cstdlib>
#include <string>

#include "core/qt_gbk.h"
#include "core/test_hooks.h"
#include "detail/detail_attach.h"
#include "feed/feed_attach.h"
#include "feed/multi_area_form.h"
#include "feed/region_tree.h"
#include "shell/main_window.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

void Report(const QString& line) { ReportTestEvent(line); }

QString RowLine(const RowStore& rows, int row) {
  return QStringLiteral("%1 %2 %3")
      .arg(row)
      .arg(FromGbk(rows.GetCellText(row, kColInfoId)))
      .arg(FromGbk(rows.GetCellText(row, kColRowText)));
}

bool SelectText(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  list->setCurrentItem(found.front());
  return true;
}

class Hooks : public QObject {
 public:
  Hooks(FeedAttachment& feed, DetailAttachment& detail)
      : QObject(&feed), feed_(feed), input_(0, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, [this] { ReadInput(); });
    FeedController& f = feed.Feed();
    connect(&f, &FeedController::StartPageApplied, this, [this](bool filled) {
      Report(QStringLiteral("feed-first-page %1 %2")
                 .arg(filled)
                 .arg(feed_.Feed().Store().TotalCount()));
    });
    connect(&f, &FeedController::ReloadApplied, this, [this](bool filled) {
      Report(
          QStringLiteral("feed-reload %1 %2").arg(filled).arg(feed_.Feed().Store().TotalCount()));
    });
    connect(&f, &FeedController::NewRecordsApplied, this, [this](int n) {
      if (n > 0) {
        Report(QStringLiteral("feed-new-records %1 %2")
                   .arg(n)
                   .arg(QString::fromStdString(feed_.Feed().Store().NewestId())));
      }
    });
    connect(&f, &FeedController::IdListApplied, this,
            [](int kind) { Report(QStringLiteral("feed-ids %1").arg(kind)); });
    connect(&f, &FeedController::CaptionChanged, this,
            [](const QString& c) { Report(QStringLiteral("feed-caption %1").arg(c)); });
    connect(&feed.Paging(), &PagingController::PageApplied, this, [](qint32 start, bool items) {
      Report(QStringLiteral("feed-page %1 %2").arg(start).arg(items));
    });
    connect(&detail.Loader(), &FriendsLoader::FriendsLoaded, this,
            [](int n) { Report(QStringLiteral("feed-friends %1").arg(n)); });
    connect(&f, &FeedController::ConnectionChanged, this, [](bool lost) {
      Report(QStringLiteral("feed-connection %1")
                 .arg(lost ? QStringLiteral("lost") : QStringLiteral("back")));
    });
  }

 private:
  void ReadInput() {
    char buffer[4096];
    const ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got <= 0) {
      input_.setEnabled(false);
      return;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
      Run(QString::fromUtf8(pending_.substr(0, end)).trimmed());
      pending_.erase(0, end + 1);
    }
  }

  void Run(const QString& line) {
    const QString command = line.section(' ', 0, 0);
    const QString arg = line.section(' ', 1);
    MainWindow& window = *static_cast<MainWindow*>(feed_.parent());
    const RowStore& rows = window.Grid()->Store();
    if (command == QLatin1String("press")) {
      if (QPushButton* b = window.Button(static_cast<MainButton>(arg.toInt()))) b->click();
    } else if (command == QLatin1String("view")) {
      window.SelectView(arg.toInt(), true);
    } else if (command == QLatin1String("region")) {
      const auto items = feed_.Tree()->findItems(arg, Qt::MatchExactly | Qt::MatchRecursive);
      if (!items.isEmpty()) feed_.Tree()->ClickItem(items.front());
    } else if (command == QLatin1String("dump")) {
      const int first = arg.section(' ', 0, 0).toInt();
      const int count = std::max(1, arg.section(' ', 1, 1).toInt());
      for (int row = first; row < first + count && row < rows.RowCount(); ++row) {
        Report(QStringLiteral("feed-row ") + RowLine(rows, row));
      }
      Report(QStringLiteral("feed-rows %1 top %2 mark %3 caption %4")
                 .arg(rows.RowCount())
                 .arg(window.Grid()->TopRow())
                 .arg(window.Grid()->ScrollMark())
                 .arg(window.CaptionLabel()->text()));
    } else if (command == QLatin1String("multiarea")) {
      // "multiarea 山东省:济南,辽宁省:大连": fills the form as a member would.
      form_ = new MultiAreaForm(
          [this](const std::string& text) { feed_.Feed().ApplyMultiArea(text); }, &window);
      form_->setAttribute(Qt::WA_DeleteOnClose);
      form_->show();
      for (const QString& pair : arg.split(',', Qt::SkipEmptyParts)) {
        if (SelectText(form_->ProvinceList(), pair.section(':', 0, 0)) &&
            SelectText(form_->CityList(), pair.section(':', 1))) {
          form_->AddSelectedCity();
        }
      }
      Report(QStringLiteral("feed-form %1").arg(form_->ChosenList()->count()));
    } else if (command == QLatin1String("key")) {
      // "key PageDown": a key pressed in the grid, as the member presses it.
      const int key = arg == QLatin1String("PageDown") ? Qt::Key_PageDown
                      : arg == QLatin1String("PageUp") ? Qt::Key_PageUp
                      : arg == QLatin1String("Down")   ? Qt::Key_Down
                                                       : Qt::Key_Up;
      window.Grid()->setFocus();
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(window.Grid(), &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
      QCoreApplication::sendEvent(window.Grid(), &release);
    } else if (command == QLatin1String("confirm")) {
      if (form_ != nullptr) form_->Confirm();
    }
    Report(QStringLiteral("feed-done ") + line);
  }

  FeedAttachment& feed_;
  QSocketNotifier input_;
  std::string pending_;
  QPointer<MultiAreaForm> form_;
};

}  // namespace

bool InstallFeedTestHooks(FeedAttachment& feed, DetailAttachment& detail) {
  if (!TestHooksOn()) return false;
  if (const char* ms = std::getenv("TARVOLO_ID_POLL_MS"); ms != nullptr && std::atoi(ms) > 0) {
    feed.Feed().SetIdPollPeriodMs(std::atoi(ms));
  }
  new Hooks(feed, detail);
  return true;
}

}  // namespace tv
