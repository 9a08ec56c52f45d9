// Search in the real main window (offscreen), logged in as a guest against a
// local service: the buttons open the forms, a search splits the message
// area, the panel ignores Enter and Escape, its messenger icon without a
// number gives the notice, and closing gives the list its height back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app_fixture.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "detail/detail_attach.h"
#include "detail/detail_view.h"
#include "detail/detail_window.h"
#include "feed/feed_attach.h"
#include "guest_window.h"
#include "local_service.h"
#include "search/local_search_form.h"
#include "search/search_attach.h"
#include "shell/shell_events.h"
#include "search/search_panel_view.h"
#include "settings/values.h"
#include "settings/store.h"
#include "widgets/color_label.h"
#include "widgets/info_grid.h"
#include "window_app.h"

namespace tv {
namespace {

QApplication& GuiApp() { return MainWindowTestApp("search_window_tests"); }

TEST(SearchInTheMainWindow, ASearchSplitsTheMessageAreaUntilItIsClosed) {
  GuiApp();
  TempSettings settings;
  ScopedNoticeRecorder notices;
  LocalService service({"--demo", "--no-cache"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  DetailAttachment& detail = AttachDetail(w);
  SearchAttachment& search = AttachSearch(w, AttachFeed(w, detail), detail);
  EXPECT_FALSE(w.Button(kButtonSearch1)->isEnabled());

  ASSERT_TRUE(guest.EnterAsGuest());
  EXPECT_TRUE(w.Button(kButtonSearch1)->isEnabled());
  EXPECT_TRUE(w.Button(kButtonSearch2)->isEnabled());
  // The list's height once the window's layout has settled (the adverts
  // come with the login): the same over two turns of the event loop.
  int full_height = -1;
  WaitFor(
      [&] {
        const int h = w.Grid()->height();
        const bool settled = h == full_height;
        full_height = h;
        return settled;
      },
      2000);

  // The local form opens on the watched city; its search shows the panel.
  LocalSearchForm* local = search.OpenLocalForm(false);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->windowTitle(), QStringLiteral("搜索即时信息：从［北京］出发"));
  local->KeywordEdit()->setEditText(QStringLiteral("煤炭"));
  local->AddTypedKeyword();
  QSignalSpy first_page(&search.Panel(), &SearchResultsPanel::firstPageApplied);
  local->Search();
  ASSERT_TRUE(WaitFor([&] { return first_page.count() == 1; }));
  SearchPanelView* panel = search.View();
  EXPECT_TRUE(w.LowerPanelOpen());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->TitleLabel()->Text(), QStringLiteral("在[北京]中搜索即时信息[煤炭]"));
  EXPECT_TRUE(panel->CountLabel()->Text().startsWith(QStringLiteral("共 ")));
  // The list keeps about a third, the panel the rest.
  EXPECT_LT(w.Grid()->height(), full_height / 2);
  EXPECT_GT(panel->height(), w.Grid()->height());

  // Enter and Escape in the panel close nothing and press nothing.
  QTest::keyClick(panel->Grid(), Qt::Key_Escape);
  QTest::keyClick(panel->Grid(), Qt::Key_Return);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(w.isVisible());

  // The member's own message, once published, goes on top of the panel when
  // it belongs to the search; one that does not stays out of it.
  InfoRecord own;
  own.InfoID = "999998";
  own.City = Utf8ToGbk("北京");
  own.Type = "0";
  own.Content = Utf8ToGbk("北京到济南 煤炭20吨");
  own.Tel = "13900000000";
  own.Time = "2012-03-07 09:05:00";
  const std::int32_t before = search.Panel().Store().TotalCount();
  emit w.Events().ownMessagePublished(OwnMessage{own, own.City, own.Content});
  const auto top_id = [&] {
    return std::string(search.Panel().Store().Grid().CellText(0, kColInfoId));
  };
  EXPECT_EQ(top_id(), "999998");
  EXPECT_EQ(search.Panel().Store().TotalCount(), before + 1);
  OwnMessage other{own, own.City, Utf8ToGbk("北京到济南 木材")};
  other.record.InfoID = "999999";
  emit w.Events().ownMessagePublished(other);
  EXPECT_EQ(top_id(), "999998");

  // The messenger icon of a row without a number: the notice, not a chat.
  InfoRecord record;
  record.InfoID = "1";
  record.City = Utf8ToGbk("北京");
  record.Type = "0";
  record.Content = Utf8ToGbk("北京到天津 煤炭");
  record.Tel = "13900000000";
  record.Time = "2012-03-07 09:05:00";
  search.Panel().Store().PutRecord(record, PutMode::kInsert, 0);
  emit panel->Grid()->doubleClicked(0, kColMessengerIcon);
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(GbkToUtf8(notices.notices[0]),
            "对不起！该用户没有开通“QQ”，\n\n您无法跟他进行“在线交谈”。");
  // Enter opens the focus row's details, as a double click on its text
  // does, whichever of its cells has the focus.
  QStringList opened;
  const QMetaObject::Connection watch =
      QObject::connect(&detail.View(), &DetailView::windowOpened, [&opened](DetailWindow* window) {
        opened << window->windowTitle();
        QTimer::singleShot(0, window, &QDialog::reject);
      });
  panel->Grid()->SetFocusCell(0, kColMessengerIcon);
  panel->Grid()->setFocus();
  QTest::keyClick(panel->Grid(), Qt::Key_Return);
  QObject::disconnect(watch);
  EXPECT_EQ(opened, QStringList{QStringLiteral("查看信息")});
  EXPECT_EQ(notices.notices.size(), 1u);
  EXPECT_TRUE(panel->isVisible());

  // Saved preferences: the search's rows come again in the new font.
  ASSERT_TRUE(WriteSetting(kMainKey, kFontSize, "33"));
  const int pages = first_page.count();
  emit w.Events().displaySettingsChanged();
  ASSERT_TRUE(WaitFor([&] { return first_page.count() > pages; }));
  const RowStore& rows = search.Panel().Grid().Store();
  ASSERT_GT(rows.RowCount(), 0);
  const CellFont* font = rows.CellFontOf(0, kColRowText);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->height, 33);

  // A search without matches says so once its answer is in; a search that
  // got no answer (the server gone) does not pass for one, nor shows the
  // last search's rows under its own title.
  struct Case {
    const char* host;
    const char* empty_text;
  };
  ASSERT_GT(search.Panel().Grid().RowCount(), 0);
  for (const Case& c : {Case{"127.0.0.1:9", ""}, Case{nullptr, "没有找到匹配的信息"}}) {
    SCOPED_TRACE(c.empty_text);
    search.Panel().SetHost(c.host != nullptr ? c.host : service.host());
    const int pages_before = first_page.count();
    search.Panel().StartSearch(SearchTerms{Utf8ToGbk("北京"), Utf8ToGbk("没有这种货")});
    EXPECT_EQ(panel->Grid()->EmptyText(), QString());
    ASSERT_TRUE(WaitFor([&] { return first_page.count() > pages_before; }));
    EXPECT_EQ(search.Panel().Grid().RowCount(), 0);
    EXPECT_EQ(panel->CountLabel()->Text(), QStringLiteral("共 0 条匹配信息"));
    EXPECT_EQ(panel->Grid()->EmptyText(), QString::fromUtf8(c.empty_text));
  }

  panel->CloseButton()->click();
  EXPECT_FALSE(w.LowerPanelOpen());
  EXPECT_FALSE(panel->isVisible());
  EXPECT_FALSE(search.Panel().Feed().PollTimerActive());
  EXPECT_TRUE(WaitFor([&] { return w.Grid()->height() == full_height; }, 5000));
}

}  // namespace
}  // namespace tv
