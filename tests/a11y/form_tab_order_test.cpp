// The keyboard's way through each form: Tab from the first control visits
// every control in reading order (rows top to bottom, each left to right)
// and comes back round, and every control it stops at has a name a screen
// reader can read out. Offscreen, with real key presses.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "account/preferences_dialog.h"
#include "account/registration_form.h"
#include "app/login_controller.h"
#include "app/login_form.h"
#include "app/server_discovery.h"
#include "core/notice.h"
#include "core/version.h"
#include "feed/multi_area_form.h"
#include "publish/keypad_publish_form.h"
#include "publish/loop_controller.h"
#include "publish/publish_controller.h"
#include "publish/quick_publish_form.h"
#include "search/comprehensive_search_form.h"
#include "search/local_search_form.h"
#include "settings/store.h"
#include "tests/publish/publish_test_util.h"
#include "tests/settings/temp_store.h"

namespace tv {
namespace {

QApplication& App() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "form_tab_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return *new QApplication(argc, argv);
}

// What names the control for a screen reader: its own accessible name, else
// the caption whose buddy it is, else what the accessibility layer makes of
// it (a button's text; for a combo box, whose name here is its current
// text, the group it sits in first). A marker when none.
std::string Spoken(QWidget* widget) {
  if (!widget->accessibleName().isEmpty()) return widget->accessibleName().toStdString();
  for (QLabel* label : widget->window()->findChildren<QLabel*>()) {
    if (label->buddy() == widget) return label->text().toStdString();
  }
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
  if (iface == nullptr) return "<no interface>";
  const auto labels = iface->relations(QAccessible::Label);
  const QString name = iface->text(QAccessible::Name);
  if (qobject_cast<QComboBox*>(widget) == nullptr && !name.trimmed().isEmpty()) {
    return name.toStdString();
  }
  if (!labels.isEmpty()) return labels.front().first->text(QAccessible::Name).toStdString();
  if (!name.trimmed().isEmpty()) return name.toStdString();
  return "<unnamed " + std::string(widget->metaObject()->className()) + " " +
         widget->objectName().toStdString() + ">";
}

// The controls Tab visits, starting from `first`, once round.
std::vector<std::string> TabRound(QWidget* first) {
  first->setFocus(Qt::TabFocusReason);
  std::vector<std::string> visited;
  QWidget* at = QApplication::focusWidget();
  if (at == nullptr) return visited;
  QWidget* start = at;
  for (int i = 0; i < 100; ++i) {
    visited.push_back(Spoken(at));
    QTest::keyClick(at, Qt::Key_Tab);
    at = QApplication::focusWidget();
    if (at == nullptr || at == start) break;
  }
  return visited;
}

// Every form needs the settings store; the publishing forms a publisher.
class FormTabOrder : public ::testing::Test {
 protected:
  FormTabOrder() {
    App();
    UseSettingsStore(SettingsStore::Open(dir_.File("settings.db")));
  }
  ~FormTabOrder() override { UseSettingsStore(nullptr); }

  static PublishSession Session() {
    PublishSession s;
    s.profile = [] { return test::FullProfile(); };
    s.feed_host = [] { return std::string(); };
    s.fetch = [](std::string_view, std::string_view, std::string_view) {
      return std::string("Error");
    };
    return s;
  }

  test::TempDir dir_;
  ScopedNoticeRecorder notices_;
  PublishController publisher_{Session()};
  LoopController loop_{Session()};
};

// The controls Tab visits once round, from `form`'s own first focus, turned
// to begin at `first`.
std::vector<std::string> RoundFrom(QDialog& form, const std::string& first) {
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form)) return {"<not active>"};
  std::vector<std::string> round = TabRound(form.focusWidget() ? form.focusWidget() : &form);
  const auto begin = std::find(round.begin(), round.end(), first);
  if (begin != round.end()) std::rotate(round.begin(), begin, round.end());
  return round;
}

using Strings = std::vector<std::string>;

struct FormCase {
  const char* form;
  Strings round;  // reading order, from the first control
};

class FormTabOrderCase : public FormTabOrder, public ::testing::WithParamInterface<FormCase> {
 protected:
  std::unique_ptr<QDialog> Make(const std::string& form) {
    if (form == "login") return std::make_unique<LoginForm>(login_);
    if (form == "registration") {
      return std::make_unique<RegistrationForm>(RegistrationForm::Services{});
    }
    if (form == "preferences") return std::make_unique<PreferencesDialog>();
    if (form == "multi-area") return std::make_unique<MultiAreaForm>(nullptr);
    if (form == "keypad-publish") {
      return std::make_unique<KeypadPublishForm>(publisher_, loop_, test::FullProfile());
    }
    if (form == "quick-publish") {
      return std::make_unique<QuickPublishForm>(publisher_, loop_, test::FullProfile());
    }
    if (form == "local-search") {
      return std::make_unique<LocalSearchForm>(Settings(), "", "", nullptr);
    }
    if (form == "comprehensive-search") {
      return std::make_unique<ComprehensiveSearchForm>(Settings(), "", "", 0, nullptr);
    }
    return nullptr;
  }

  ServerDiscovery discovery_{"127.0.0.1:9", "127.0.0.1:9"};
  LoginController login_{discovery_, [] {
                           LoginController::Options options;
                           options.current_version = kClientVersion;
                           return options;
                         }()};
};

TEST_P(FormTabOrderCase, TabVisitsEveryControlInReadingOrder) {
  const FormCase& c = GetParam();
  std::unique_ptr<QDialog> form = Make(c.form);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(RoundFrom(*form, c.round.front()), c.round);
}

// The contact row of the member in the fixture: "联系电话" cannot be
// unticked (disabled, so Tab passes it), "网络电话" is hidden.
#define CONTACT_ROW "内线:802", "13900000000", "顺达物流", "张三"

const FormCase kForms[] = {
    {"login", {"用户:", "密码:", "记住用户与密码", "自动登录", "登录", "注册会员", "无帐户体验"}},
    {"registration",
     {"会 员 名：",
      "密　　码：",
      "确认密码：",
      "真实姓名：",
      "性　　别：",
      "公司名称：",
      "所 在 地：",
      "所在城市",
      "所在县区",
      "公司网址：",
      "联系电话：",
      "电话号码",
      "手　　机：",
      "电 话 二：",
      "ＱＱ号码：",
      "E-mail：",
      "联系地址：",
      "阅读服务条款",
      "同意服务条款,确认提交",
      "不同意"}},
    {"preferences",
     {"背景颜色选择", "字体颜色选择", "字体：", "字号：", "左侧", "搜索信息到达时进行声音提示",
      "窗口不在前台时通知新搜索信息", "信息刷新频率：", "合并同一会员重复发布的信息", "屏蔽的会员",
      "保存", "取消"}},
    {"multi-area",
     {"省份/辖区", "城市(双击添加)", "添加", "删除", "清空", "定制城市(双击删除)", "确 定",
      "取 消"}},
    // The keys of the keypad take no focus: they type into the editor.
    {"keypad-publish",
     {"信息类型:", "发布城市 省", "发布城市 市", "发布城市 县", "信息内容:", "城市 省", "城市 市",
      "城市 县", CONTACT_ROW, "清空", "历史/重发", "发布", "关闭"}},
    // The cargo row shows (the type is cargo); the truck row is hidden.
    {"quick-publish", {"信息类型:",   "发布城市 省", "发布城市 市", "发布城市 县", "到达城市 省",
                       "到达城市 市", "到达城市 县", "货物",        "货物数量",    "货物单位",
                       "求车数",      "车长(米)",    "车型",        "运费",        "运价(元)",
                       "运价单位",    "生成并添加",  "信息内容:",   CONTACT_ROW,   "清空",
                       "历史/重发",   "发布",        "关闭"}},
    {"local-search",
     {"省份", "地区", "县", "添加", "删除", "全部市", "全部县", "清空", "关键字", "附加关键字：",
      "添加", "搜索", "关闭"}},
    {"comprehensive-search",
     {"省份", "城市", "关键字", "搜索", "省份", "城市", "关键字", "搜索", "省份", "城市", "关键字",
      "搜索"}},
};

INSTANTIATE_TEST_SUITE_P(Forms, FormTabOrderCase, ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<FormCase>& param) {
                           std::string name = param.param.form;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace tv
