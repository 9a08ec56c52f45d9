// The main window, the login form and the web page window, offscreen (and the
// exact-title window lookup on a real X server when one is there).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWebEngineView>
#include <cstdlib>
#include <memory>

#include "account/account_attach.h"
#include "account/preferences_dialog.h"
#include "app/login_controller.h"
#include "app/login_form.h"
#include "app/message_box_notice.h"
#include "app/qt_translations.h"
#include "app/server_discovery.h"
#include "app/shell_setup.h"
#include "app_fixture.h"
#include "core/build_constants.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/version.h"
#include "guest_window.h"
#include "local_service.h"
#include "platform/platform.h"
#include "publish/publish_attach.h"
#include "settings/values.h"
#include "shell/main_window.h"
#include "shell/web_page_window.h"
#include "widgets/info_grid.h"
#include "window_app.h"

namespace tv {
namespace {

QApplication& GuiApp() { return MainWindowTestApp("app_window_tests"); }

// Every action of a menu tree, by its caption path ("系统(&S)/会员中心/用户资料").
void CollectActions(QMenu* menu, const QString& prefix, std::map<QString, QAction*>& out) {
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    QString path = prefix + a->text();
    if (a->menu()) {
      CollectActions(a->menu(), path + "/", out);
    } else {
      out[path] = a;
    }
  }
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : discovery_("127.0.0.1:9", "127.0.0.1:9") {
    GuiApp();
    ::setenv("TARVOLO_WEB_HOST", "web.example", 1);
  }
  ~WindowTest() override { ::unsetenv("TARVOLO_WEB_HOST"); }

  std::unique_ptr<MainWindow> MakeWindow() {
    LoginController::Options options;
    options.current_version = kClientVersion;
    login_ = std::make_unique<LoginController>(discovery_, options);
    auto window = CreateMainWindow(discovery_, *login_);
    for (QAction* a : window->menuBar()->actions()) {
      if (a->menu()) {
        CollectActions(a->menu(), a->text() + "/", actions_);
      } else {
        actions_[a->text()] = a;
      }
    }
    return window;
  }

  TempSettings settings_;
  ScopedNoticeRecorder notices_;
  ServerDiscovery discovery_;
  std::unique_ptr<LoginController> login_;
  std::map<QString, QAction*> actions_;
};

// Qt's own dialogs and the line edits' menu speak the interface's language
// once the client has started (the colour chooser of "系统设置" said "Select
// Color" and "Cancel").
TEST_F(WindowTest, QtsOwnDialogsAndMenusSpeakChinese) {
  const QList<QTranslator*> installed = InstallQtTranslations(*qApp);
  ASSERT_FALSE(installed.isEmpty()) << "Qt's translations (qt6-translations-l10n) are missing";
  {
    QColorDialog colours;
    EXPECT_EQ(colours.windowTitle(), QString::fromUtf8("选择颜色"));
    QStringList buttons;
    for (QAbstractButton* b : colours.findChild<QDialogButtonBox*>()->buttons())
      buttons << b->text();
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("取消"))) << buttons.join(' ').toStdString();
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) items << a->text();
    const auto has = [&items](const char* caption) {
      for (const QString& item : items)  // "全选\tCtrl+A"
        if (item.section(QLatin1Char('\t'), 0, 0) == QString::fromUtf8(caption)) return true;
      return false;
    };
    EXPECT_TRUE(has("撤消(&U)") && has("全选")) << items.join(' ').toStdString();
  }
  for (QTranslator* t : installed) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

// A question whose "是" erases the member's data is answered "否" by Enter and
// by Escape; other questions keep "是" as their default.
TEST_F(WindowTest, AQuestionBeforeAnErasureDefaultsToNo) {
  class PressingKey : public MessageBoxNoticeSink {
   public:
    Qt::Key key = Qt::Key_Return;
    QStringList defaults;

   protected:
    void Prepare(QMessageBox& box, const std::string&) override {
      // The default as the shown box has it.
      QTimer::singleShot(0, &box, [this, &box, k = key] {
        defaults << (box.defaultButton() != nullptr ? box.defaultButton()->text() : QString());
        QTest::keyClick(&box, k);
      });
    }
  } sink;
  NoticeSink* before = CurrentNoticeSink();
  SetNoticeSink(&sink);
  EXPECT_FALSE(AskYesNoDefaultNo(Utf8ToGbk("确定要清空全部历史信息吗?")));
  sink.key = Qt::Key_Escape;
  EXPECT_FALSE(AskYesNoDefaultNo(Utf8ToGbk("确定要清空全部历史信息吗?")));
  sink.key = Qt::Key_Return;
  EXPECT_TRUE(AskYesNo(Utf8ToGbk("是否添加为好友?")));
  SetNoticeSink(before);
  EXPECT_EQ(sink.defaults.mid(0, 2),
            (QStringList{QString::fromUtf8("否"), QString::fromUtf8("否")}));
}

TEST_F(WindowTest, ButtonsCarryTheirCaptionsAndTooltips) {
  auto w = MakeWindow();
  struct Case {
    MainButton id;
    const char* caption;
    const char* tip;
    bool enabled;
  };
  for (const Case& c : {
           Case{kButtonView, "全部出发信息", "", true},
           Case{kButtonMultiArea, "多地区定制", "", true},
           Case{kButtonScroll, "滚动开", "切换是否下载并滚动信息", true},
           Case{kButtonMask, "加密", "切换是否不显示电话及用户名", true},
           Case{kButtonSearch1, "搜索1", "本地搜索(出城信息)", false},
           Case{kButtonSearch2, "搜索2", "综合搜索", false},
           Case{kButtonSubscriptions, "订阅", "我的订阅", false},
           Case{kButtonPublish1, "发布1", "发布信息(经典)", false},
           Case{kButtonPublish2, "发布2", "发布信息(改进)", false},
           Case{kButtonTree, "<<", "收缩/显示站点列表", true},
           Case{kButtonReload, "", "刷新显示", true},
           Case{kButtonTop, "", "首页", true},
           Case{kButtonPageUp, "", "上页", true},
           Case{kButtonPageDown, "", "下页", true},
           Case{kButtonEnd, "", "末页", true},
       }) {
    QPushButton* b = w->Button(c.id);
    ASSERT_NE(b, nullptr) << c.id;
    EXPECT_EQ(b->text().toStdString(), c.caption) << c.id;
    EXPECT_EQ(b->toolTip().toStdString(), c.tip) << c.id;
    EXPECT_EQ(b->isEnabled(), c.enabled) << c.id;
  }
  // A command's button follows its menu item once its form is wired.
  w->CommandAction(MainCommand::kPublishQuick)->setEnabled(true);
  EXPECT_TRUE(w->Button(kButtonPublish2)->isEnabled());
}

// On an 800x600 screen the whole window fits: every button of the row stays
// inside it, the page buttons at the right too.
TEST_F(WindowTest, TheWindowFitsASmallScreen) {
  auto w = MakeWindow();
  w->resize(800, 600);
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  EXPECT_LE(w->width(), 800);
  for (MainButton id :
       {kButtonView, kButtonMultiArea, kButtonScroll, kButtonMask, kButtonSearch1, kButtonSearch2,
        kButtonSubscriptions, kButtonPublish1, kButtonPublish2, kButtonTree, kButtonReload,
        kButtonTop, kButtonPageUp, kButtonPageDown, kButtonEnd}) {
    QPushButton* b = w->Button(id);
    ASSERT_NE(b, nullptr) << id;
    const QRect at(b->mapTo(w.get(), QPoint(0, 0)), b->size());
    EXPECT_TRUE(w->rect().contains(at)) << id << " at " << at.x() << "+" << at.width();
    if (!b->text().isEmpty()) {
      EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << id;
    }
  }
}

TEST_F(WindowTest, ChoosingAViewSetsCaptionMarkAndSendsTheView) {
  auto w = MakeWindow();
  QSignalSpy chosen(&w->Events(), &ShellEvents::viewChosen);
  w->ViewActions()[2]->trigger();  // ">>出发车源" from the main menu
  EXPECT_EQ(w->Button(kButtonView)->text(), QStringLiteral(">>出发车源"));
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0), (QVariantList{1, 0}));
  EXPECT_TRUE(w->ViewPopupActions()[2]->isChecked());
  EXPECT_FALSE(w->ViewPopupActions()[0]->isChecked());
  w->ViewPopupActions()[4]->trigger();  // "<< 到达货源" from the pop-up
  EXPECT_EQ(w->Button(kButtonView)->text(), QStringLiteral("<< 到达货源"));
  ASSERT_EQ(chosen.count(), 2);
  EXPECT_EQ(chosen.at(1), (QVariantList{0, 1}));
  std::vector<std::string> menu;
  for (QAction* a : w->ViewActions()) menu.push_back(a->text().toStdString());
  EXPECT_EQ(menu, (std::vector<std::string>{"全部出发信息", ">>出发货源", ">>出发车源",
                                            "全部到达信息", "<<到达货源", "<<到达车源"}));
}

TEST_F(WindowTest, TogglesDoNothingBeforeLogin) {
  auto w = MakeWindow();
  QSignalSpy scrolling(&w->Events(), &ShellEvents::scrollingChanged);
  w->Button(kButtonScroll)->click();
  w->Button(kButtonMask)->click();
  EXPECT_EQ(scrolling.count(), 0);
  EXPECT_EQ(w->Button(kButtonScroll)->text(), QStringLiteral("滚动开"));
  EXPECT_EQ(w->Button(kButtonMask)->text(), QStringLiteral("加密"));
  // Their effects, as the buttons give them after login.
  w->SetScrolling(false);
  EXPECT_EQ(w->Button(kButtonScroll)->text(), QStringLiteral("滚动关"));
  w->SetScrolling(true);
  EXPECT_EQ(w->Button(kButtonScroll)->text(), QStringLiteral("滚动开"));
  EXPECT_EQ(scrolling.count(), 2);
}

TEST_F(WindowTest, AlwaysMaskedLocksTheMaskingButton) {
  WriteSetting(kMainKey, kContactAlwaysMasked, "1");
  auto w = MakeWindow();
  EXPECT_EQ(w->Button(kButtonMask)->text(), QStringLiteral("解密"));
  EXPECT_FALSE(w->Button(kButtonMask)->isEnabled());
  EXPECT_TRUE(w->Masked());
}

TEST_F(WindowTest, TheTreeButtonPointsWhereTheTreeGoes) {
  struct Case {
    const char* side;
    bool shown;
    const char* caption;
  };
  for (const Case& c : {Case{"Left", true, "<<"}, Case{"Left", false, ">>"},
                        Case{"Right", true, ">>"}, Case{"Right", false, "<<"}}) {
    WriteSetting(kMainKey, kTreeCity, c.side);
    auto w = MakeWindow();
    w->SetTreeShown(c.shown);
    EXPECT_EQ(w->Button(kButtonTree)->text().toStdString(), c.caption) << c.side << c.shown;
    EXPECT_EQ(w->TreeArea()->isVisibleTo(w.get()), c.shown);
  }
}

// The border between the tree and the list can be dragged, and the width is
// kept for the next run under a value of our own.
TEST_F(WindowTest, TheTreeBorderDragsAndItsWidthIsKept) {
  EXPECT_EQ(TreeWidth(), 126);
  for (const char* side : {"Left", "Right"}) {
    SCOPED_TRACE(side);
    WriteSetting(kMainKey, kTreeCity, side);
    WriteSetting(kMainKey, kTreeWidth, "200");
    auto w = MakeWindow();
    w->resize(1024, 700);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->TreeArea()->width(), 200);
    auto* split = w->findChild<QSplitter*>(QStringLiteral("treeSplit"));
    ASSERT_NE(split, nullptr);
    QSplitterHandle* handle = split->handle(1);
    const QPoint middle = handle->rect().center();
    const int towards_list = std::string_view(side) == "Left" ? 60 : -60;
    QTest::mousePress(handle, Qt::LeftButton, {}, middle);
    QMouseEvent move(QEvent::MouseMove, QPointF(middle + QPoint(towards_list, 0)),
                     handle->mapToGlobal(QPointF(middle + QPoint(towards_list, 0))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, middle + QPoint(towards_list, 0));
    EXPECT_EQ(w->TreeArea()->width(), 260);
    ASSERT_TRUE(WaitFor([] { return TreeWidth() == 260; }, 3000));
    // A narrower window keeps the tree's width; the list gives way.
    w->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->TreeArea()->width(), 260);
  }
  WriteSetting(kMainKey, kTreeWidth, "5");
  EXPECT_EQ(TreeWidth(), kMinTreeWidth);
  WriteSetting(kMainKey, kTreeWidth, "abc");
  EXPECT_EQ(TreeWidth(), 126);
}

TEST_F(WindowTest, WebItemsOpenOneWindowOnTheWebHost) {
  auto w = MakeWindow();
  struct Case {
    const char* path;
    const char* url;
    const char* title;
  };
  for (const Case& c : {
           Case{"系统(&S)/登陆系统", "http://web.example/", "网站首页"},
           Case{"系统(&S)/代理加盟", "http://web.example/join/default.asp", "加盟注册"},
           Case{"系统(&S)/陆运信息/国内停车场", "http://web.example/zonghe/tingchechang/",
                "Tarvolo"},
           Case{"工具(&T)/万 年 历", "http://web.example/wannianli/", "Tarvolo"},
           Case{"黄页", "http://web.example/huangye/", "Tarvolo"},
           Case{"增值服务(&M)/保险/意外险", "http://web.example/baoxian/yiwai/", "Tarvolo"},
           Case{"帮助(&H)/服务条款", "http://web.example/reg_read.asp", "Tarvolo"},
       }) {
    SCOPED_TRACE(c.path);
    ASSERT_TRUE(actions_.count(QString::fromUtf8(c.path)));
    actions_[QString::fromUtf8(c.path)]->trigger();
    ASSERT_TRUE(w->WebPageOpen());
    WebPageWindow* page = w->WebPage();
    EXPECT_EQ(page->Address().toString().toStdString(), c.url);
    EXPECT_EQ(page->windowTitle().toStdString(), c.title);
    // Address pages take the screen's width and leave 60 pixels of its height.
    const QRect screen = page->screen()->geometry();
    EXPECT_EQ(page->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(page->size(), QSize(screen.width(), screen.height() - 60));
    // A second item while the window is open does nothing.
    actions_[QStringLiteral("帮助(&H)/客服中心")]->trigger();
    EXPECT_EQ(w->WebPage(), page);
    page->close();
    ASSERT_TRUE(WaitFor([&] { return !w->WebPageOpen(); }, 5000));
  }
}

TEST_F(WindowTest, EveryMenuItemIsPresent) {
  auto w = MakeWindow();
  // Web pages: 系统 13+7+3+2+2 ... counted by caption rather than by number.
  for (const char* path : {"系统(&S)/会员中心/用户登录",
                           "系统(&S)/会员中心/用户资料",
                           "系统(&S)/商务合作",
                           "系统(&S)/企业名片",
                           "系统(&S)/帮助中心",
                           "系统(&S)/海运信息/船舶信息",
                           "系统(&S)/航运信息/国外航运",
                           "系统(&S)/铁路快运",
                           "系统(&S)/速递信息/国际速递",
                           "系统(&S)/物流公司",
                           "系统(&S)/其他信息",
                           "系统(&S)/系统设置",
                           "系统(&S)/退出程序",
                           "搜索(&F)/本地搜索(出城信息)",
                           "搜索(&F)/综合搜索",
                           "搜索(&F)/我的订阅",
                           "搜索(&F)/我发布的信息",
                           "发布(&U)/发布信息(经典)",
                           "发布(&U)/发布信息(改进)",
                           "工具(&T)/计 算 器",
                           "工具(&T)/记 事 本",
                           "工具(&T)/手机配货",
                           "运价",
                           "车库",
                           "专线",
                           "园区",
                           "配货站",
                           "二手车",
                           "增值服务(&M)/证件核查",
                           "增值服务(&M)/GPS定位",
                           "增值服务(&M)/车管家",
                           "增值服务(&M)/自助建站",
                           "帮助(&H)/司机之家",
                           "帮助(&H)/关于程序"}) {
    EXPECT_TRUE(actions_.count(QString::fromUtf8(path))) << path;
  }
  // Forms that come with later parts of the client are not pretended.
  for (MainCommand c :
       {MainCommand::kLocalSearch, MainCommand::kWideSearch, MainCommand::kPublishClassic,
        MainCommand::kPublishQuick, MainCommand::kPreferences, MainCommand::kSubscriptions}) {
    EXPECT_FALSE(w->CommandAction(c)->isEnabled());
  }
}

TEST_F(WindowTest, AMissingCalculatorOrEditorIsSaid) {
  auto w = MakeWindow();
  QTemporaryDir empty;
  const std::string saved = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", empty.path().toUtf8().constData(), 1);
  w->StartCalculator();
  w->StartTextEditor();
  ::setenv("PATH", saved.c_str(), 1);
  ASSERT_EQ(notices_.notices.size(), 2u);
  EXPECT_EQ(GbkToUtf8(notices_.notices[0]), "没有找到计算器程序");
  EXPECT_EQ(GbkToUtf8(notices_.notices[1]), "没有找到文本编辑程序");
}

TEST_F(WindowTest, MemberPagesNeedALoginAndAnIdentifier) {
  auto w = MakeWindow();
  w->OpenMemberProfile("0");
  w->OpenMemberProfile("");
  EXPECT_FALSE(w->WebPageOpen());
  w->OpenMemberProfile("42");
  ASSERT_TRUE(w->WebPageOpen());
  EXPECT_EQ(w->WebPage()->PageMode(), WebPageWindow::Mode::kProfile);
  EXPECT_EQ(w->WebPage()->size(), QSize(370, 345));
  EXPECT_EQ(w->WebPage()->windowTitle(), QStringLiteral("发布用户信息"));
  EXPECT_EQ(w->WebPage()->Address().toString().toStdString(),
            "http://127.0.0.1:9/qavel/manager/showmeminfo.asp?userid=42");
}

TEST_F(WindowTest, LoginFormStartsFromItsRememberedValuesAndKeepsEditsShort) {
  SetRememberPasswordChecked(true);
  SetStoredUserName("demo_vip");
  SetStoredPassword("vip123");
  LoginController::Options options;
  LoginController controller(discovery_, options);
  LoginForm form(controller);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("登录"));
  EXPECT_EQ(form.UserEdit()->text(), QStringLiteral("demo_vip"));
  // The password comes once the keyring has answered (here: none does, and
  // the settings file keeps it, as the form says).
  QTRY_COMPARE(form.PasswordEdit()->text(), QStringLiteral("vip123"));
  QTRY_VERIFY(!form.PasswordPlaceNote()->isHidden());
  EXPECT_TRUE(form.RememberBox()->isChecked());
  EXPECT_FALSE(form.AutoLoginBox()->isChecked());

  // 19 bytes of GBK: nine Chinese characters and one more letter, no more.
  form.UserEdit()->clear();
  for (QChar c : QStringLiteral("货运车源配货信息网站ab")) form.UserEdit()->insert(QString(c));
  EXPECT_EQ(form.UserEdit()->text(), QStringLiteral("货运车源配货信息网a"));

  // An empty password puts the focus there and starts nothing.
  form.show();
  form.PasswordEdit()->clear();
  form.UserEdit()->setFocus();
  QTest::keyClick(form.UserEdit(), Qt::Key_Return);
  EXPECT_FALSE(controller.Busy());
  EXPECT_EQ(form.focusWidget(), form.PasswordEdit());
  // Escape does not close the form.
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());

  // "注册会员" and the lower picture both ask for the registration form.
  QSignalSpy registration(&form, &LoginForm::registerRequested);
  form.RegisterButton()->click();
  QTest::mouseClick(form.LowerPicture(), Qt::LeftButton);
  EXPECT_EQ(registration.count(), 2);

  // The auto-login box starts the timer and writes its setting.
  form.AutoLoginBox()->click();
  EXPECT_TRUE(AutoLoginChecked());
  EXPECT_EQ(form.LoginButton()->text(), QStringLiteral("正在登录..."));
  form.AutoLoginBox()->click();
  EXPECT_FALSE(AutoLoginChecked());
  EXPECT_EQ(form.LoginButton()->text(), QStringLiteral("登录"));
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(WindowTest, AGuestGetsTheWindowButNotTheMemberPages) {
  LocalService service({"--demo", "--demo-count", "30"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  QSignalSpy logged_in(&w.Session(), &ShellSession::loggedIn);
  ASSERT_NE(guest.ShowLoginForm(), nullptr);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.AdvertView(0), nullptr);
  ASSERT_TRUE(guest.EnterAsGuest());
  EXPECT_EQ(logged_in.count(), 1);
  EXPECT_TRUE(w.IsLoggedIn());
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.Session().FeedHost(), service.host());
  EXPECT_EQ(w.windowTitle().toStdString(),
            std::string(kProductTitleUtf8) + " " + std::string(kHotlineUtf8));
  // Guests see contact data masked and cannot unmask it.
  EXPECT_TRUE(w.Masked());
  EXPECT_FALSE(w.Button(kButtonMask)->isEnabled());
  EXPECT_EQ(w.Button(kButtonMask)->text(), QStringLiteral("解密"));
  // The adverts come once the list is on screen (here, with no list, a moment
  // later), into the same native window.
  const WId native = w.winId();
  ASSERT_TRUE(WaitFor([&] { return w.AdvertView(0) != nullptr; }, 15000));
  EXPECT_EQ(w.winId(), native);
  ASSERT_TRUE(WaitFor([&] { return !w.AdvertView(0)->url().isEmpty(); }, 15000));
  EXPECT_EQ(w.AdvertView(0)->url().toString(QUrl::FullyEncoded).toStdString(),
            "http://" + service.host() + "/qavel/client/adv/adv01.asp?city=%B1%B1%BE%A9");
  w.OpenOwnMessages();
  EXPECT_FALSE(w.WebPageOpen());
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(GbkToUtf8(notices_.notices[0]), "对不起，您暂时没有权限查看.");
}

// "左侧"/"右侧" in "系统设置" move the tree at once, even when the dialog is
// then cancelled.
TEST_F(WindowTest, TheTreeMovesAsSoonAsItsSideIsChosen) {
  LocalService service({"--demo", "--demo-count", "30"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  AttachAccount(w);
  ASSERT_TRUE(guest.EnterAsGuest());

  const auto tree_on_left = [&w] {
    return w.TreeArea()->mapTo(&w, QPoint(0, 0)).x() < w.Grid()->mapTo(&w, QPoint(0, 0)).x();
  };
  ASSERT_TRUE(tree_on_left());
  w.CommandAction(MainCommand::kPreferences)->trigger();
  auto* preferences = w.findChild<PreferencesDialog*>();
  ASSERT_NE(preferences, nullptr);
  QTest::mouseClick(preferences->RightButton(), Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return !tree_on_left(); }, 2000)) << "before the dialog closes";
  QTest::mouseClick(preferences->CancelButton(), Qt::LeftButton);
  EXPECT_EQ(TreeCitySide(), TreeSide::kRight);
  QCoreApplication::processEvents();
  EXPECT_FALSE(tree_on_left());
  EXPECT_EQ(w.Button(kButtonTree)->text(), QStringLiteral(">>"));
}

// A guest who asks for a publishing form hears why there is none and is
// offered registration, before filling a form nobody would send.
TEST_F(WindowTest, AGuestAskingToPublishIsOfferedRegistration) {
  LocalService service({"--demo", "--demo-count", "30"});
  ASSERT_TRUE(service.ok()) << service.error();
  GuestWindow guest(service.host());
  MainWindow& w = guest.Window();
  int registrations = 0;
  PublishAttachment& publishing = AttachPublishing(w, [&registrations] { ++registrations; });
  ASSERT_TRUE(guest.EnterAsGuest());

  const std::string question = Utf8ToGbk("对不起，游客不能发布信息\n\n现在注册会员吗?");
  notices_.answer = false;
  w.Button(kButtonPublish2)->click();
  EXPECT_EQ(notices_.questions, std::vector<std::string>{question});
  EXPECT_EQ(publishing.OpenForm(), nullptr);
  EXPECT_EQ(registrations, 0);
  notices_.answer = true;
  w.Button(kButtonPublish1)->click();
  EXPECT_EQ(notices_.questions.size(), 2u);
  EXPECT_EQ(publishing.OpenForm(), nullptr);
  EXPECT_EQ(registrations, 1);
}

// Adverts asked for while the service is gone come once it is back, without
// another login.
TEST_F(WindowTest, AdvertsThatFailedComeBackWithTheService) {
  auto service = std::make_unique<LocalService>(std::vector<std::string>{"--demo"});
  ASSERT_TRUE(service->ok()) << service->error();
  const std::string port = std::to_string(service->port());
  GuestWindow guest(service->host());
  MainWindow& w = guest.Window();
  ASSERT_NE(guest.ShowLoginForm(), nullptr);
  ASSERT_TRUE(guest.EnterAsGuest());
  service->Stop();
  ASSERT_TRUE(WaitFor([&] { return w.AdvertView(0) != nullptr; }, 15000));
  QSignalSpy first(w.AdvertView(0), &QWebEngineView::loadFinished);
  QSignalSpy second(w.AdvertView(1), &QWebEngineView::loadFinished);
  ASSERT_TRUE(WaitFor([&] { return first.count() == 1 && second.count() == 1; }, 15000));
  EXPECT_FALSE(first.at(0).at(0).toBool());
  EXPECT_FALSE(second.at(0).at(0).toBool());

  service = std::make_unique<LocalService>(
      std::vector<std::string>{"--demo", "--listen", "127.0.0.1:" + port});
  ASSERT_TRUE(service->ok()) << service->error();
  w.RetryFailedAdverts();  // what the retry timer does
  ASSERT_TRUE(WaitFor([&] { return first.count() == 2 && second.count() == 2; }, 15000));
  EXPECT_TRUE(first.at(1).at(0).toBool());
  EXPECT_TRUE(second.at(1).at(0).toBool());
}

// Runs on a real X server only (the e2e wrapper starts one).
TEST_F(WindowTest, X11FindsAShownWindowByItsExactTitle) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    GTEST_SKIP() << "needs an X11 display";
  }
  QWidget probe;
  probe.setWindowTitle(QStringLiteral("Tarvolo 配货 窗口标题"));
  probe.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&probe));
  EXPECT_TRUE(WaitFor([] { return TopLevelWindowExists("Tarvolo 配货 窗口标题"); }, 5000));
  EXPECT_FALSE(TopLevelWindowExists("Tarvolo 配货"));
  EXPECT_FALSE(TopLevelWindowExists("Tarvolo 配货 窗口标题 "));
}

}  // namespace
}  // namespace tv
