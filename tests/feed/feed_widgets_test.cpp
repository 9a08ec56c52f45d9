// The region tree and the multi-area form, offscreen.
#include <gtest/gtest.h>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "core/notice.h"
#include "core/qt_gbk.h"
#include "feed/feed_store.h"
#include "feed/multi_area_form.h"
#include "feed/region_tree.h"
#include "feed_test_util.h"
#include "settings/store.h"
#include "settings/values.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

using feed_test::U;

TEST(RegionTree, RootsInBrowseOrderWithTheirCitiesAndNoThirdLevel) {
  RegionTree tree;
  ASSERT_EQ(tree.topLevelItemCount(), 36);
  EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("全国信息"));
  EXPECT_EQ(tree.topLevelItem(1)->text(0), QStringLiteral("好友列表"));
  EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("北京市"));
  EXPECT_EQ(tree.topLevelItem(35)->text(0), QStringLiteral("台湾省"));
  EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
  QTreeWidgetItem* henan = tree.Root(QStringLiteral("河南省"));
  ASSERT_NE(henan, nullptr);
  ASSERT_GT(henan->childCount(), 0);
  EXPECT_EQ(henan->child(0)->text(0), QStringLiteral("郑州"));
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = tree.topLevelItem(i);
    for (int c = 0; c < root->childCount(); ++c) EXPECT_EQ(root->child(c)->childCount(), 0);
  }
  EXPECT_GT(tree.Root(QStringLiteral("香港特区"))->childCount(), 0);
}

TEST(RegionTree, OneRootOpenAtATimeAndLeavesAreChosen) {
  RegionTree tree;
  QSignalSpy chosen(&tree, &RegionTree::regionChosen);
  tree.OpenRoot(QStringLiteral("山东省"));
  QTreeWidgetItem* henan = tree.Root(QStringLiteral("河南省"));
  tree.ClickItem(henan);  // a root with children only opens
  EXPECT_TRUE(henan->isExpanded());
  EXPECT_FALSE(tree.Root(QStringLiteral("山东省"))->isExpanded());
  EXPECT_EQ(chosen.count(), 0);
  henan->setExpanded(false);  // closing the open one opens it again
  EXPECT_TRUE(henan->isExpanded());

  tree.ClickItem(henan->child(0));
  tree.ClickItem(tree.Root(QStringLiteral("全国信息")));
  tree.ClickItem(tree.FriendsRoot());  // no friends yet: a region like any leaf
  ASSERT_EQ(chosen.count(), 3);
  EXPECT_EQ(chosen[0][0].toString(), QStringLiteral("郑州"));
  EXPECT_EQ(chosen[1][0].toString(), QStringLiteral("全国信息"));
  EXPECT_EQ(chosen[2][0].toString(), QStringLiteral("好友列表"));
}

TEST(RegionTree, OnlyFriendsUnderTheFriendsRootGetTheFriendMenu) {
  RegionTree tree;
  tree.AddFriendItem(QStringLiteral("甲公司"));
  tree.AddFriendItem(QStringLiteral("乙公司"));
  EXPECT_TRUE(tree.IsFriendItem(tree.FriendsRoot()->child(0)));
  EXPECT_FALSE(tree.IsFriendItem(tree.FriendsRoot()));
  EXPECT_FALSE(tree.IsFriendItem(tree.Root(QStringLiteral("河南省"))->child(0)));
  tree.RemoveFriendItem(QStringLiteral("甲公司"));
  ASSERT_EQ(tree.FriendsRoot()->childCount(), 1);
  EXPECT_EQ(tree.FriendsRoot()->child(0)->text(0), QStringLiteral("乙公司"));
}

class MultiAreaFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    UseSettingsStore(SettingsStore::Open(dir.filePath("settings.db").toStdString()));
  }
  void TearDown() override { UseSettingsStore(nullptr); }

  void Pick(MultiAreaForm& form, const QString& province, const QString& city) {
    form.ProvinceList()->setCurrentItem(
        form.ProvinceList()->findItems(province, Qt::MatchExactly).front());
    form.CityList()->setCurrentItem(form.CityList()->findItems(city, Qt::MatchExactly).front());
    form.AddSelectedCity();
  }

  QTemporaryDir dir;
  ScopedNoticeRecorder notices;
};

TEST_F(MultiAreaFormTest, RefusalsAreNoticesAndNothingIsStoredUntilConfirmed) {
  std::string applied;
  MultiAreaForm form([&](const std::string& text) { applied = text; });
  form.AddSelectedCity();
  form.RemoveSelectedEntry();
  form.Confirm();
  ASSERT_EQ(notices.notices.size(), 3u);
  EXPECT_EQ(U(notices.notices[0]), "请选择您要添加的城市");
  EXPECT_EQ(U(notices.notices[1]), "    请选择您要删除的信息!    ");
  EXPECT_EQ(U(notices.notices[2]), "请选择您要定制的城市");
  EXPECT_TRUE(applied.empty());
  EXPECT_TRUE(MultiArea().empty());

  Pick(form, QStringLiteral("河南省"), QStringLiteral("郑州"));
  Pick(form, QStringLiteral("河南省"), QStringLiteral("郑州"));  // once only
  Pick(form, QStringLiteral("湖北省"), QStringLiteral("武汉"));
  Pick(form, QStringLiteral("河南省"), QStringLiteral("洛阳"));
  Pick(form, QStringLiteral("河南省"), QStringLiteral("开封"));
  Pick(form, QStringLiteral("辽宁省"), QStringLiteral("大连"));
  EXPECT_EQ(notices.notices.size(), 3u);
  Pick(form, QStringLiteral("山东省"), QStringLiteral("济南"));
  ASSERT_EQ(notices.notices.size(), 4u);
  EXPECT_EQ(U(notices.notices[3]), "定制选择的城市不能超过5个");
  EXPECT_EQ(form.ChosenList()->count(), 5);

  form.ChosenList()->setCurrentRow(2);
  form.RemoveSelectedEntry();
  form.Confirm();
  EXPECT_EQ(U(applied), "郑州+武汉+开封+大连");
  EXPECT_EQ(U(MultiArea()), "郑州+武汉+开封+大连");
}

// A member reading down the list: a poll of 50 messages does not move the
// row under the mouse, and the bar says they are there; at the top they show.
TEST(SteadyList, ThePollDoesNotMoveTheRowUnderAFixedPoint) {
  InfoGrid grid;
  grid.resize(700, 400);
  RowStoreGrid rows(grid.Store());
  SetFeedColumns(grid.Store(), 700 - 111);
  FeedStore store(rows);
  store.SetRowStyle(RowStyle{feed_test::G("宋体"), 16, 0});
  store.Member().user_id = 1;
  CountedPage page{300, {}};
  for (int i = 0; i < 300; ++i) {
    page.records.push_back(feed_test::Rec(std::to_string(10'000 - i), "济宁",
                                          "货" + std::to_string(i), "8888", "2012-03-07 09:05:00",
                                          std::to_string(100 + i)));
  }
  ASSERT_TRUE(store.ApplyStartPage(page));
  grid.show();
  QCoreApplication::processEvents();
  grid.ScrollToRow(120);
  QCoreApplication::processEvents();
  const QPoint point(200, 150);
  const auto id_at = [&] {
    const GridCellPos hit = grid.CellAt(point);
    return std::string(rows.CellText(hit.row, kColInfoId));
  };
  const std::string before = id_at();
  ASSERT_FALSE(before.empty());
  std::vector<InfoRecord> poll;
  for (int i = 0; i < 50; ++i) {
    poll.push_back(feed_test::Rec(std::to_string(20'000 + i), "济宁", "新货" + std::to_string(i),
                                  "8888", "2012-03-07 09:05:00", std::to_string(900 + i)));
  }
  EXPECT_EQ(store.ApplyNewRecords(poll), 50);
  QCoreApplication::processEvents();
  EXPECT_EQ(id_at(), before);
  EXPECT_EQ(grid.NewRowsWaiting(), 50);
  auto* bar = grid.findChild<QPushButton*>(QStringLiteral("newRowsBar"));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->text(), QStringLiteral("↑ 有 50 条新信息"));
  bar->click();
  EXPECT_EQ(grid.TopRow(), 0);
  EXPECT_EQ(std::string(rows.CellText(0, kColInfoId)), "20049");
  EXPECT_FALSE(bar->isVisible());
}

}  // namespace
}  // namespace tv
