// What a screen reader finds in the windows, asked in-process through
// QAccessible: the controls' names and roles, the region tree's items, the
// detail window's fields with their captions, and which controls the
// keyboard reaches.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/login_controller.h"
#include "app/server_discovery.h"
#include "app/shell_setup.h"
#include "app_fixture.h"
#include "core/notice.h"
#include "core/version.h"
#include "detail/detail_window.h"
#include "detail_fixtures.h"
#include "feed/region_tree.h"
#include "search/search_panel_view.h"
#include "shell/main_window.h"
#include "widgets/info_grid.h"
#include "window_app.h"

namespace tv {
namespace {

QApplication& GuiApp() { return MainWindowTestApp("a11y_tests"); }

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QAccessibleInterface* Iface(QObject* object) {
  return QAccessible::queryAccessibleInterface(object);
}

std::string Name(QObject* object) {
  QAccessibleInterface* iface = Iface(object);
  return iface ? iface->text(QAccessible::Name).toStdString() : "<none>";
}

// The captions that name `field` through the label relation.
QStringList LabelledBy(QWidget* field) {
  QStringList out;
  for (const auto& [iface, relation] : Iface(field)->relations(QAccessible::Label)) {
    out << iface->text(QAccessible::Name);
  }
  return out;
}

TEST(SearchPanelA11y, TheResultsAreANamedListAndItsButtonsAreNamedAndReachable) {
  GuiApp();
  SearchPanelView view;
  QAccessibleInterface* grid = Iface(view.Grid());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->role(), QAccessible::List);
  EXPECT_EQ(grid->text(QAccessible::Name), U("搜索结果"));

  const char* names[] = {"首页", "上页", "下页", "末页"};
  for (int i = 0; i < 4; ++i) {
    QPushButton* b = view.PageButton(i);
    EXPECT_EQ(Name(b), names[i]);
    EXPECT_EQ(Iface(b)->role(), QAccessible::Button);
    // Tab reaches it; a click leaves the focus in the results.
    EXPECT_EQ(b->focusPolicy(), Qt::TabFocus) << names[i];
  }
  EXPECT_EQ(Name(view.CloseButton()), "关闭搜索");
  EXPECT_EQ(view.CloseButton()->focusPolicy(), Qt::TabFocus);
}

TEST(RegionTreeA11y, ATreeOfRegionsWhoseItemsAreNamedAndExpandable) {
  GuiApp();
  RegionTree tree;
  tree.setAccessibleName(U("地区"));
  tree.resize(200, 600);
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  QAccessibleInterface* iface = Iface(&tree);
  ASSERT_NE(iface, nullptr);
  EXPECT_EQ(iface->role(), QAccessible::Tree);
  EXPECT_EQ(iface->text(QAccessible::Name), U("地区"));
  QAccessibleTableInterface* table = iface->tableInterface();
  ASSERT_NE(table, nullptr);

  // The first rows as they are read out, and which can be opened.
  struct Case {
    int row;
    const char* name;
    bool expandable;
  };
  for (const Case& c : {Case{0, "全国信息", false}, Case{2, "北京市", true}}) {
    QAccessibleInterface* item = table->cellAt(c.row, 0);
    ASSERT_NE(item, nullptr) << c.row;
    EXPECT_EQ(item->role(), QAccessible::TreeItem);
    EXPECT_EQ(item->text(QAccessible::Name).toStdString(), c.name);
    EXPECT_EQ(item->state().expandable, c.expandable) << c.name;
  }
}

TEST(DetailWindowA11y, EveryFieldIsNamedByItsCaption) {
  GuiApp();
  DetailWindow window(detail_test::PublisherMessage(),
                      detail_test::Viewer(detail_test::Member::kFull), {});
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // The two text boxes carry their caption as their name.
  std::map<std::string, QTextEdit*> boxes;
  for (QTextEdit* box : window.findChildren<QTextEdit*>()) boxes[Name(box)] = box;
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes.count("信息内容"), 1u);
  EXPECT_EQ(boxes.count("联系方式"), 1u);
  EXPECT_EQ(boxes["联系方式"]->toPlainText(), U("13800001111"));

  // Every caption names one field, and the field knows its caption.
  struct Case {
    const char* caption;
    const char* field_text;  // nullptr: a text box, checked above
  };
  int seen = 0;
  for (const Case& c :
       {Case{"信息内容", nullptr}, Case{"联系方式", nullptr}, Case{"发布城市:", nullptr},
        Case{"发布时间:", nullptr}, Case{"信息来源:", "用户发布"}, Case{"信息状态:", "未成交！"}}) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
      if (label->text() != U(c.caption)) continue;
      ++seen;
      QWidget* field = label->buddy();
      ASSERT_NE(field, nullptr) << c.caption;
      EXPECT_EQ(LabelledBy(field), QStringList{U(c.caption)}) << c.caption;
      if (c.field_text) {
        EXPECT_TRUE(Name(field).find(c.field_text) != std::string::npos) << c.caption;
      }
    }
  }
  EXPECT_EQ(seen, 6);
}

class MainWindowA11y : public ::testing::Test {
 protected:
  MainWindowA11y() : discovery_("127.0.0.1:9", "127.0.0.1:9") { GuiApp(); }

  std::unique_ptr<MainWindow> MakeWindow() {
    LoginController::Options options;
    options.current_version = kClientVersion;
    login_ = std::make_unique<LoginController>(discovery_, options);
    return CreateMainWindow(discovery_, *login_);
  }

  TempSettings settings_;
  ScopedNoticeRecorder notices_;
  ServerDiscovery discovery_;
  std::unique_ptr<LoginController> login_;
};

TEST_F(MainWindowA11y, ButtonsAreNamedReachedByTabAndClicksLeaveTheGridFocused) {
  auto w = MakeWindow();
  EXPECT_EQ(Name(w->Grid()), "信息列表");
  const MainButton all[] = {
      kButtonView,    kButtonMultiArea,     kButtonScroll,   kButtonMask,     kButtonSearch1,
      kButtonSearch2, kButtonSubscriptions, kButtonPublish1, kButtonPublish2, kButtonTree,
      kButtonReload,  kButtonTop,           kButtonPageUp,   kButtonPageDown, kButtonEnd};
  for (MainButton id : all) {
    QPushButton* b = w->Button(id);
    ASSERT_NE(b, nullptr) << id;
    EXPECT_FALSE(Name(b).empty()) << id << ": picture buttons are named by their tip";
    EXPECT_EQ(b->focusPolicy(), Qt::TabFocus) << id;
  }
  EXPECT_EQ(Name(w->Button(kButtonReload)), "刷新显示");

  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  w->Grid()->setFocus();
  QTest::mouseClick(w->Button(kButtonTree), Qt::LeftButton);
  EXPECT_TRUE(w->Grid()->hasFocus()) << "a click does not take the focus from the grid";

  // From the grid, Ctrl+Tab goes on round the window and Tab comes back.
  QTest::keyClick(w->Grid(), Qt::Key_Tab, Qt::ControlModifier);
  QWidget* next = QApplication::focusWidget();
  ASSERT_NE(next, nullptr);
  EXPECT_NE(next, w->Grid());
  int steps = 0;
  while (QApplication::focusWidget() != w->Grid() && steps < 200) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ++steps;
  }
  EXPECT_TRUE(w->Grid()->hasFocus()) << "the tab order comes back to the grid";
  // Every enabled button was passed on the way round.
  std::set<QWidget*> passed;
  QTest::keyClick(w->Grid(), Qt::Key_Tab, Qt::ControlModifier);
  for (int i = 0; i < steps + 1 && QApplication::focusWidget() != w->Grid(); ++i) {
    passed.insert(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  for (MainButton id : all) {
    QPushButton* b = w->Button(id);
    if (b->isEnabled() && b->isVisible()) {
      EXPECT_EQ(passed.count(b), 1u) << id;
    }
  }
}

}  // namespace
}  // namespace tv
