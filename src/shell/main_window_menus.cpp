// The menu bar of the main window: the system menu, the views, search,
// publishing, tools, the web site's sections and help.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "core/build_constants.h"
#include "platform/platform.h"
#include "shell/main_window.h"
#include "shell/shell_decisions.h"

namespace tv {
namespace {

struct WebItem {
  const char* caption;
  const char* path;
};

constexpr WebItem kLandItems[] = {
    {"货源", "/huoyuan/"},
    {"车源", "/cheyuan/"},
    {"仓储信息", "/zonghe/cangchu/"},
    {"物流专线", "/zonghe/wuliuzhuanxian/"},
    {"货运市场", "/zonghe/huoyunshichang/"},
    {"物流园区", "/zonghe/wuliuyuanqu/"},
    {"国内停车场", "/zonghe/tingchechang/"},
};
constexpr WebItem kSeaItems[] = {
    {"国内海运", "/zonghe/hyxx/gnhy/"},
    {"国外海运", "/zonghe/hyxx/gwhy/"},
    {"船舶信息", "/zonghe/chuanboxinxi/"},
};
constexpr WebItem kAirItems[] = {
    {"国内航运", "/zonghe/hyxx/gnhangyun/"},
    {"国外航运", "/zonghe/hyxx/gwhangyun/"},
};
constexpr WebItem kExpressItems[] = {
    {"国内速递", "/zonghe/gnsudi/"},
    {"国际速递", "/zonghe/gjsudi/"},
};
constexpr WebItem kToolItems[] = {
    {"违章查询", "/weizhanchaxun/"}, {"万 年 历", "/wannianli/"},     {"天气预报", "/tianqiyubao/"},
    {"电子地图", "/ditu/"},          {"里程查询", "/lichengchaxun/"}, {"周工解梦", "/jiemeng/"},
    {"物流资讯", "/wuliuxinwen/"},   {"综合服务", "/zonghefuwu/"},    {"软件下载", "/xiazai/"},
    {"手机配货", "/shoujipeihuo/"},
};
constexpr WebItem kTopItems[] = {
    {"运价", "/yunjia/"},      {"车库", "/cheliangku/"},   {"专线", "/huoyunzhuanxian/"},
    {"园区", "/wuliuyuanqu/"}, {"配货站", "/peihuozhan/"}, {"二手车", "/ershouche/"},
    {"黄页", "/huangye/"},
};
constexpr WebItem kInsuranceItems[] = {
    {"交强险", "/baoxian/jiaoqiangxian/"}, {"车辆险", "/baoxian/cheliangxian/"},
    {"财产险", "/baoxian/caichanxian/"},   {"骗货险", "/baoxian/pianhuoxian/"},
    {"货损险", "/baoxian/huosunxian/"},    {"养老险", "/baoxian/yanglao/"},
    {"意外险", "/baoxian/yiwai/"},
};
constexpr WebItem kHelpItems[] = {
    {"客服中心", "/kefu/"},        {"充值中心", "/chongzhi/"}, {"各地分站", "/fenzhan/"},
    {"货运资讯", "/news/"},        {"司机之家", "/bbs/"},      {"帮助中心", "/bangzhu/"},
    {"服务条款", "/reg_read.asp"},
};

}  // namespace

QAction* MainWindow::AddWebItem(QWidget* menu, const QString& caption, const char* path,
                                const QString& title) {
  QAction* action = menu->addAction(caption);
  std::string page_path = path;
  QString window_title = title.isEmpty() ? QStringLiteral("Tarvolo") : title;
  connect(action, &QAction::triggered, this, [this, page_path, window_title] {
    OpenWebAddress(QString::fromStdString(WebPageAddress(WebHost(), page_path)), window_title);
  });
  return action;
}

void MainWindow::BuildWebMenus(QMenu* system_menu) {
  auto add_all = [this](QMenu* menu, const auto& items) {
    for (const WebItem& item : items) AddWebItem(menu, QString::fromUtf8(item.caption), item.path);
  };
  AddWebItem(system_menu, QStringLiteral("商务合作"), "/hezuo/");
  AddWebItem(system_menu, QStringLiteral("企业名片"), "/mingpian/");
  AddWebItem(system_menu, QStringLiteral("帮助中心"), "/bangzhu/");
  system_menu->addSeparator();
  add_all(system_menu->addMenu(QStringLiteral("陆运信息")), kLandItems);
  add_all(system_menu->addMenu(QStringLiteral("海运信息")), kSeaItems);
  add_all(system_menu->addMenu(QStringLiteral("航运信息")), kAirItems);
  AddWebItem(system_menu, QStringLiteral("铁路快运"), "/zonghe/tieluky/");
  add_all(system_menu->addMenu(QStringLiteral("速递信息")), kExpressItems);
  AddWebItem(system_menu, QStringLiteral("物流公司"), "/zonghe/wuliugongsi/");
  AddWebItem(system_menu, QStringLiteral("其他信息"), "/zonghe/fenleixinxi/");
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto command = [this](MainCommand c, QAction* action) {
    action->setEnabled(false);  // until a feature claims it
    command_actions_[static_cast<std::size_t>(c)] = action;
  };

  // 系统(&S)
  QMenu* system_menu = bar->addMenu(QStringLiteral("系统(&S)"));
  AddWebItem(system_menu, QStringLiteral("登陆系统"), "/", QStringLiteral("网站首页"));
  QMenu* member = system_menu->addMenu(QStringLiteral("会员中心"));
  connect(member->addAction(QStringLiteral("用户登录")), &QAction::triggered, this, [this] {
    if (!IsLoggedIn()) RunLoginLoop();
  });
  connect(member->addAction(QStringLiteral("用户资料")), &QAction::triggered, this, [this] {
    if (IsLoggedIn()) OpenMemberProfile(std::to_string(session_->Profile().UserId));
  });
  AddWebItem(system_menu, QStringLiteral("代理加盟"), "/join/default.asp",
             QStringLiteral("加盟注册"));
  BuildWebMenus(system_menu);
  system_menu->addSeparator();
  command(MainCommand::kPreferences, system_menu->addAction(QStringLiteral("系统设置")));
  system_menu->addSeparator();
  connect(system_menu->addAction(QStringLiteral("退出程序")), &QAction::triggered, this,
          [] { EndProcess(0); });

  // 查看(&V): the six views; the check mark lives on the pop-up only.
  view_menu_ = bar->addMenu(QStringLiteral("查看(&V)"));
  const char* const view_texts[6] = {"全部出发信息", ">>出发货源", ">>出发车源",
                                     "全部到达信息", "<<到达货源", "<<到达车源"};
  for (int i = 0; i < 6; ++i) {
    if (i == 3) view_menu_->addSeparator();
    QAction* a = view_menu_->addAction(QString::fromUtf8(view_texts[i]));
    connect(a, &QAction::triggered, this, [this, i] { SelectView(i, false); });
    view_menu_actions_[static_cast<std::size_t>(i)] = a;
  }

  // 搜索(&F)
  QMenu* search = bar->addMenu(QStringLiteral("搜索(&F)"));
  command(MainCommand::kLocalSearch, search->addAction(QStringLiteral("本地搜索(出城信息)")));
  command(MainCommand::kWideSearch, search->addAction(QStringLiteral("综合搜索")));
  command(MainCommand::kSubscriptions, search->addAction(QStringLiteral("我的订阅")));
  search->addSeparator();
  connect(search->addAction(QStringLiteral("我发布的信息")), &QAction::triggered, this,
          &MainWindow::OpenOwnMessages);

  // 发布(&U)
  QMenu* publish = bar->addMenu(QStringLiteral("发布(&U)"));
  command(MainCommand::kPublishClassic, publish->addAction(QStringLiteral("发布信息(经典)")));
  command(MainCommand::kPublishQuick, publish->addAction(QStringLiteral("发布信息(改进)")));

  // The buttons of the same commands follow their menu items.
  auto follow = [this](MainCommand c, MainButton b) {
    QAction* action = CommandAction(c);
    QPushButton* button = Button(b);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, button,
            [action, button] { button->setEnabled(action->isEnabled()); });
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
  };
  follow(MainCommand::kLocalSearch, kButtonSearch1);
  follow(MainCommand::kWideSearch, kButtonSearch2);
  follow(MainCommand::kSubscriptions, kButtonSubscriptions);
  follow(MainCommand::kPublishClassic, kButtonPublish1);
  follow(MainCommand::kPublishQuick, kButtonPublish2);

  // 工具(&T)
  QMenu* tools = bar->addMenu(QStringLiteral("工具(&T)"));
  connect(tools->addAction(QStringLiteral("计 算 器")), &QAction::triggered, this,
          &MainWindow::StartCalculator);
  connect(tools->addAction(QStringLiteral("记 事 本")), &QAction::triggered, this,
          &MainWindow::StartTextEditor);
  tools->addSeparator();
  for (const WebItem& item : kToolItems)
    AddWebItem(tools, QString::fromUtf8(item.caption), item.path);

  // The web site's sections straight on the menu bar.
  for (const WebItem& item : kTopItems) AddWebItem(bar, QString::fromUtf8(item.caption), item.path);

  // 增值服务(&M)
  QMenu* extra = bar->addMenu(QStringLiteral("增值服务(&M)"));
  AddWebItem(extra, QStringLiteral("证件核查"), "/peihuo/");
  AddWebItem(extra, QStringLiteral("GPS定位"), "/GPSdingwei/");
  AddWebItem(extra, QStringLiteral("车管家"), "/cheguanjia/");
  QMenu* insurance = extra->addMenu(QStringLiteral("保险"));
  for (const WebItem& item : kInsuranceItems)
    AddWebItem(insurance, QString::fromUtf8(item.caption), item.path);
  AddWebItem(extra, QStringLiteral("自助建站"), "/jianzhan/");

  // 帮助(&H)
  QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
  for (const WebItem& item : kHelpItems)
    AddWebItem(help, QString::fromUtf8(item.caption), item.path);
  help->addSeparator();
  connect(help->addAction(QStringLiteral("关于程序")), &QAction::triggered, this,
          &MainWindow::ShowAbout);
}

}  // namespace tv
