// What a screen reader finds in the information grid, in-process through
// QAccessible: a list whose items are the rows, named by their shown text
// without markers, and the focus cell's row as the focused item. (The focus
// events themselves need an active accessibility bridge, which the offscreen
// platform has not.)
#include "widgets/info_grid_accessible.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QPushButton>
#include <memory>

#include "core/gbk.h"
#include "grid/marked_text.h"
#include "grid/text_measure.h"
#include "widgets/info_grid.h"
#include "widgets_app.h"

namespace tv {
namespace {

// The feed's layout: a hidden id column, the type icon, the row text, the
// detail icon; three rows.
class InfoGridAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    grid_ = std::make_unique<InfoGrid>();
    grid_->setAccessibleName(QStringLiteral("信息列表"));
    grid_->resize(400, 200);
    RowStore& store = grid_->Store();
    store.SetTextMeasure(std::make_shared<FixedTextMeasure>(10, 20));
    store.SetDefaultRowHeight(22);
    for (int c = 0; c < 14; ++c) store.PutColumnWidth(c, 0);
    store.PutColumnWidth(7, 30);
    store.PutColumnWidth(8, 300);
    store.PutColumnWidth(10, 30);
    store.ResizeRows(3);
    const std::string tel = std::string(kMarkTel) + "13800138000" + std::string(kMarkEnd);
    const std::string time = std::string(kMarkTime) + "10:20" + std::string(kMarkEnd);
    const std::string word = std::string(kMarkHighlight) + Utf8ToGbk("上海") + std::string(kMarkEnd);
    Put(0, 0, "1001");  // hidden: never read out
    Put(0, 7, Utf8ToGbk("货"));
    Put(0, 8, Utf8ToGbk("北京到") + word + Utf8ToGbk(",钢材 20 吨  ") + tel + " " + time);
    Put(1, 7, Utf8ToGbk("车"));
    Put(1, 8, Utf8ToGbk("9.6 米厢车\n求货"));
    Put(1, 10, Utf8ToGbk("详"));
    Put(2, 8, "");
  }

  void Put(int row, int column, const std::string& gbk) {
    grid_->Store().PutCellText(row, column, gbk);
  }

  QAccessibleInterface* Iface() { return QAccessible::queryAccessibleInterface(grid_.get()); }

  std::unique_ptr<InfoGrid> grid_;
};

TEST_F(InfoGridAccessibleTest, RowsAreListItemsNamedByTheirShownTextWithoutMarkers) {
  QAccessibleInterface* list = Iface();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::List);
  EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("信息列表"));
  ASSERT_EQ(list->childCount(), 3);

  struct Case {
    int row;
    const char* name;
  };
  for (const Case& c : {Case{0, "货 北京到上海,钢材 20 吨 13800138000 10:20"},
                        Case{1, "车 9.6 米厢车 求货 详"}, Case{2, ""}}) {
    QAccessibleInterface* item = list->child(c.row);
    ASSERT_NE(item, nullptr) << c.row;
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->text(QAccessible::Name).toStdString(), c.name) << c.row;
    EXPECT_EQ(item->parent(), list);
    EXPECT_EQ(list->indexOfChild(item), c.row);
    EXPECT_EQ(list->child(c.row), item) << "one item per row, asked twice";
  }
  EXPECT_EQ(list->child(3), nullptr);
  EXPECT_EQ(list->child(-1), nullptr);

  // The rows' names follow the store; a row that went away is no longer valid.
  QAccessibleInterface* last = list->child(2);
  grid_->Store().ResizeRows(2);
  Put(1, 8, Utf8ToGbk("新的一行"));
  EXPECT_EQ(list->childCount(), 2);
  EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("车 新的一行 详"));
  EXPECT_FALSE(last->isValid());
  EXPECT_EQ(list->indexOfChild(last), -1);
}

// What a screen reader asks when the grid reports a focus change: the
// focused item, which follows the focus cell's row.
TEST_F(InfoGridAccessibleTest, TheFocusRowIsTheFocusedItem) {
  grid_->show();
  grid_->activateWindow();
  grid_->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(grid_.get()));
  ASSERT_TRUE(grid_->hasFocus());
  QAccessibleInterface* list = Iface();
  EXPECT_EQ(list->focusChild(), nullptr) << "no focus cell yet";

  grid_->SetFocusCell(0, 8);
  ASSERT_NE(list->focusChild(), nullptr);
  EXPECT_EQ(list->focusChild(), list->child(0));
  QTest::keyClick(grid_.get(), Qt::Key_Down);
  QTest::keyClick(grid_.get(), Qt::Key_Right);
  QTest::keyClick(grid_.get(), Qt::Key_Down);
  QTest::keyClick(grid_.get(), Qt::Key_Down);  // already the last row

  QAccessibleInterface* focused = list->focusChild();
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(focused, list->child(2));
  EXPECT_TRUE(focused->state().focused);
  EXPECT_FALSE(list->child(1)->state().focused);
  EXPECT_FALSE(focused->rect().isEmpty());
  EXPECT_EQ(list->childAt(focused->rect().center().x(), focused->rect().center().y()), focused);

  // Without the keyboard focus the grid names no focused row.
  grid_->clearFocus();
  grid_->SetFocusCell(0, 8);
  EXPECT_EQ(list->focusChild(), nullptr);
  EXPECT_FALSE(list->child(0)->state().focused);
  EXPECT_TRUE(list->child(0)->state().selected);
}

// Tab moves the focus cell inside the grid; Ctrl+Tab leaves the grid for the
// window's next control, Ctrl+Shift+Tab for the one before.
TEST_F(InfoGridAccessibleTest, CtrlTabLeavesTheGridTabStaysInIt) {
  QWidget window;
  auto* before = new QPushButton(QStringLiteral("前"), &window);
  auto* hidden = new QPushButton(QStringLiteral("隐"), &window);
  InfoGrid* grid = grid_.release();  // the window owns it now
  grid->setParent(&window);
  grid->show();
  auto* after = new QPushButton(QStringLiteral("后"), &window);
  hidden->hide();
  QWidget::setTabOrder(before, grid);
  QWidget::setTabOrder(grid, hidden);
  QWidget::setTabOrder(hidden, after);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  grid->setFocus();
  grid->SetFocusCell(0, 7);

  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_TRUE(grid->hasFocus());
  EXPECT_EQ(grid->FocusCell().column, 8);
  QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_TRUE(after->hasFocus()) << "the hidden button is passed over";
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(before->hasFocus());
}

}  // namespace
}  // namespace tv
