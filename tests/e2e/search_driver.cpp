#include "search_driver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "core/qt_gbk.h"
#include "feed/feed_grid.h"
#include "search/comprehensive_search_form.h"
#include "search/local_search_form.h"
#include "search/search_attach.h"
#include "search/search_panel_view.h"
#include "shell/shell.h"
#include "test_report.h"
#include "widgets/color_label.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

// Reports each chime and passes it on to the program's player.
class ReportingPlayer : public AlertPlayer {
 public:
  explicit ReportingPlayer(AlertPlayer& next) : next_(next) {}
  void Play(AlertSound sound) override {
    ReportTestEvent(QStringLiteral("search-sound ") + QString::fromLatin1(AlertSoundName(sound)));
    next_.Play(sound);
  }

 private:
  AlertPlayer& next_;
};

QListWidgetItem* Find(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.front();
}

void ChooseInBox(QComboBox* box, const QString& text) {
  const int index = box->findText(text);
  if (index < 0) return;
  box->setCurrentIndex(index);
  emit box->activated(index);
}

class Hooks : public QObject {
 public:
  explicit Hooks(SearchAttachment& search)
      : QObject(&search), search_(search), player_(search.Sounds()) {
    SearchResultsPanel& panel = search.Panel();
    panel.SetPlayer(&player_);
    connect(&panel, &SearchResultsPanel::firstPageApplied, this, [this](bool filled) {
      ReportTestEvent(QStringLiteral("search-first-page %1 %2")
                         .arg(filled)
                         .arg(search_.Panel().Store().TotalCount()));
    });
    connect(&panel, &SearchResultsPanel::matchesInserted, this, [this](int n) {
      if (n > 0) {
        ReportTestEvent(QStringLiteral("search-new %1 %2")
                           .arg(n)
                           .arg(QString::fromStdString(search_.Panel().Store().NewestId())));
      }
    });
  }

  bool Run(const QString& command, const QString& arg) {
    const QString first = arg.section(' ', 0, 0);
    const QString rest = arg.section(' ', 1);
    if (command == QLatin1String("search-local")) {
      local_ = search_.OpenLocalForm(false);
      if (local_) {
        ReportTestEvent(QStringLiteral("search-form ") + local_->windowTitle());
        ReportTestEvent(QStringLiteral("search-form-id 0x%1")
                            .arg(static_cast<qulonglong>(local_->winId()), 0, 16));
      }
    } else if (command == QLatin1String("search-dblclick") && local_) {
      // "search-dblclick province 山东省": selected, then double-clicked.
      QListWidget* list = first == QLatin1String("province") ? local_->ProvinceList()
                          : first == QLatin1String("region") ? local_->RegionList()
                                                             : local_->CountyList();
      if (QListWidgetItem* item = Find(list, rest)) {
        list->setCurrentItem(item);
        emit list->itemDoubleClicked(item);
      }
      ReportTestEvent(QStringLiteral("search-keywords %1").arg(local_->KeywordList()->count()));
    } else if (command == QLatin1String("search-keyword") && local_) {
      local_->KeywordEdit()->setEditText(arg);
      local_->AddTypedKeyword();
      ReportTestEvent(QStringLiteral("search-keywords %1").arg(local_->KeywordList()->count()));
    } else if (command == QLatin1String("search-go") && local_) {
      local_->Search();
    } else if (command == QLatin1String("search-wide")) {
      wide_ = search_.OpenWideForm(false);
      if (wide_) ReportTestEvent(QStringLiteral("search-form ") + wide_->windowTitle());
    } else if (command == QLatin1String("search-wide-pick") && wide_) {
      // "search-wide-pick 0 山东省 济宁": a group's province and city.
      const auto g = static_cast<ComprehensiveSearchForm::Group>(first.toInt());
      ChooseInBox(wide_->ProvinceBox(g), rest.section(' ', 0, 0));
      ChooseInBox(wide_->CityBox(g), rest.section(' ', 1, 1));
    } else if (command == QLatin1String("search-wide-go") && wide_) {
      // "search-wide-go 0 煤炭": the group's keyword, then its "搜索".
      const auto g = static_cast<ComprehensiveSearchForm::Group>(first.toInt());
      wide_->KeywordEdit(g)->setEditText(rest);
      wide_->SearchButton(g)->click();
    } else if (command == QLatin1String("search-close")) {
      search_.View()->CloseButton()->click();
    } else if (command == QLatin1String("search-dump")) {
      Dump(first.toInt(), std::max(1, rest.toInt()));
    } else {
      return false;
    }
    return true;
  }

 private:
  void Dump(int first, int count) {
    const RowStore& rows = search_.View()->Grid()->Store();
    for (int row = first; row < first + count && row < rows.RowCount(); ++row) {
      ReportTestEvent(QStringLiteral("search-row %1 %2 %3")
                         .arg(row)
                         .arg(FromGbk(rows.GetCellText(row, kColInfoId)))
                         .arg(FromGbk(rows.GetCellText(row, kColRowText))));
    }
    ReportTestEvent(
        QStringLiteral("search-rows %1 shown %2 height %3 main-height %4 title %5 count %6")
            .arg(rows.RowCount())
            .arg(search_.View()->isVisible())
            .arg(search_.View()->isVisible() ? search_.View()->height() : 0)
            .arg(search_.Host().Grid()->height())
            .arg(search_.View()->TitleLabel()->Text())
            .arg(search_.View()->CountLabel()->Text()));
  }

  SearchAttachment& search_;
  ReportingPlayer player_;
  QPointer<LocalSearchForm> local_;
  QPointer<ComprehensiveSearchForm> wide_;
};

}  // namespace

CommandRunner InstallSearchDriver(SearchAttachment& search) {
  auto* hooks = new Hooks(search);
  return [hooks](const QString& command, const QString& arg) { return hooks->Run(command, arg); };
}

}  // namespace tv
