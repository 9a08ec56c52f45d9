// The publishing windows offscreen: the contact block, the message editor's
// menu and limit, the two forms (Ctrl+V, Enter, generation, the keypad, the
// form while it sends) and the history dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <deque>
#include <mutex>

#include "core/notice.h"
#include "core/qt_gbk.h"
#include "net/transport.h"
#include "publish/contact_block_widget.h"
#include "publish/history_dialog.h"
#include "publish/keypad_publish_form.h"
#include "publish/loop_controller.h"
#include "publish/phrases.h"
#include "publish/publish_controller.h"
#include "publish/quick_publish_form.h"
#include "publish_test_util.h"
#include "settings/store.h"
#include "settings/values.h"
#include "tests/net/scripted_server.h"
#include "tests/settings/temp_store.h"
#include "tests/widgets/type_keys.h"
#include "widgets/message_editor.h"

namespace tv {
namespace {

using test::G;
using test::U;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

void Pick(QComboBox* box, const char* text) {
  const int index = box->findText(Q(text));
  ASSERT_GE(index, 0) << text;
  box->setCurrentIndex(index);
}

class PublishWidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseSettingsStore(SettingsStore::Open(dir_.File("settings.db")));
    QApplication::clipboard()->clear();
  }
  void TearDown() override { UseSettingsStore(nullptr); }

  PublishSession Session() {
    PublishSession s;
    s.profile = [this] { return profile_; };
    s.feed_host = [this] { return host_; };
    s.fetch = [this](std::string_view verb, std::string_view host, std::string_view path) {
      if (!host_.empty() && host == host_) return FetchEncodedPage(verb, host, path);
      std::lock_guard lock(mutex_);
      paths_.emplace_back(path);
      verbs_.emplace_back(verb);
      if (path.find("GetInfoID") != std::string_view::npos) return std::string("900");
      if (path.find("GetNewString") != std::string_view::npos) return std::string("text");
      if (replies_.empty()) return std::string("AddOK");
      std::string reply = replies_.front();
      replies_.pop_front();
      return reply;
    };
    return s;
  }

  test::TempDir dir_;
  MemberProfile profile_ = test::FullProfile();
  std::string host_;  // when set, requests go to a real server there
  std::mutex mutex_;
  std::deque<std::string> replies_;
  std::vector<std::string> paths_;
  std::vector<std::string> verbs_;  // of paths_, index by index
  ScopedNoticeRecorder notices_;
  PublishController publisher_{Session()};
  LoopController loop_{Session()};
};

TEST_F(PublishWidgetsTest, ContactBlockFollowsTheProfileAndStoresClicks) {
  ContactBlockWidget block;
  block.Init(profile_);
  EXPECT_EQ(block.Box(ContactItem::kTel)->text(), Q("0537-1234567"));
  EXPECT_FALSE(block.Box(ContactItem::kTel)->isEnabled());
  EXPECT_EQ(block.Box(ContactItem::kExtension)->text(), Q("内线:802"));
  EXPECT_TRUE(block.Box(ContactItem::kCompany)->isEnabled());
  EXPECT_TRUE(block.Box(ContactItem::kNetPhone)->isHidden());

  block.Box(ContactItem::kCompany)->click();
  EXPECT_EQ(ReadSetting(kMainKey, kContactCompany), "0");
  EXPECT_FALSE(block.Choices()[ContactItem::kCompany]);

  MemberProfile bare;
  bare.Phone = "0537";
  ContactBlockWidget other;
  other.Init(bare);
  EXPECT_EQ(other.Box(ContactItem::kMobile)->text(), Q("手机/小灵通/移动电话"));
  EXPECT_FALSE(other.Box(ContactItem::kMobile)->isEnabled());
  EXPECT_FALSE(other.Box(ContactItem::kCompany)->isChecked());  // stored "0" above
}

TEST_F(PublishWidgetsTest, EditorMenuFollowsTheEditorsState) {
  MessageEditor editor;
  auto states = [&editor] {
    std::unique_ptr<QMenu> menu(editor.BuildContextMenu());
    QStringList out;
    for (QAction* action : menu->actions())
      out << (action->isSeparator() ? QStringLiteral("-")
                                    : action->text() + (action->isEnabled() ? "+" : "-"));
    return out.join(' ');
  };
  EXPECT_EQ(states(), Q("撤消(&Z)- - 剪切(&X)- 复制(&C)- 粘贴(&V)- 清除- - 全选(&A)+ - 字体设置-"));
  QApplication::clipboard()->setText(QStringLiteral("x"));
  EXPECT_EQ(states(), Q("撤消(&Z)- - 剪切(&X)- 复制(&C)- 粘贴(&V)+ 清除- - 全选(&A)+ - 字体设置-"));
  QTest::keyClicks(&editor, QStringLiteral("ab"));
  editor.selectAll();
  EXPECT_EQ(states(), Q("撤消(&Z)+ - 剪切(&X)+ 复制(&C)+ 粘贴(&V)+ 清除+ - 全选(&A)+ - 字体设置-"));

  // A right click gives the editor the focus, menu or not.
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* in_window = new MessageEditor(&window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(in_window);
  layout->addWidget(other);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  other->setFocus();
  ASSERT_TRUE(other->hasFocus());
  QTest::mousePress(in_window->viewport(), Qt::RightButton);
  EXPECT_TRUE(in_window->hasFocus());
}

TEST_F(PublishWidgetsTest, EditorHoldsTypedAndPastedTextToTheLimit) {
  MessageEditor editor;
  editor.SetCharLimit(5);
  QSignalSpy stopped(&editor, &MessageEditor::limitReached);
  QTest::keyClicks(&editor, QStringLiteral("abcde"));
  EXPECT_EQ(stopped.count(), 0);
  QTest::keyClicks(&editor, QStringLiteral("fg"));
  EXPECT_EQ(editor.toPlainText(), QStringLiteral("abcde"));
  EXPECT_EQ(stopped.count(), 2) << "each refused key says so";
  editor.clear();
  QTest::keyClicks(&editor, QStringLiteral("ab"));
  QApplication::clipboard()->setText(Q("济宁北京上海"));
  editor.paste();
  EXPECT_EQ(editor.toPlainText(), Q("ab济宁北"));
  EXPECT_EQ(stopped.count(), 3);
  EXPECT_FALSE(editor.InsertText(Q("元")));
  EXPECT_EQ(stopped.count(), 4);
  // Text set by the program is not cut (the check on sending refuses it).
  editor.setPlainText(QStringLiteral("0123456789"));
  EXPECT_EQ(editor.CharCount(), 10);
}

TEST_F(PublishWidgetsTest, QuickFormSwallowsCtrlVAndGenerates) {
  QuickPublishForm form(publisher_, loop_, profile_);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle(), Q("发布信息2"));
  EXPECT_EQ(form.DepartureList(1)->currentText(), Q("济宁"));
  EXPECT_EQ(form.Cargo().unit->currentText(), Q("吨"));
  EXPECT_TRUE(form.Cargo().goods->currentText().isEmpty());

  QApplication::clipboard()->setText(QStringLiteral("XYZ"));
  QTest::keyClick(form.Editor(), Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(form.Cargo().quantity, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(form.Editor()->toPlainText().isEmpty());
  EXPECT_TRUE(form.Cargo().quantity->text().isEmpty());

  form.Generate();
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(U(notices_.notices.back()), "请选择 到达城市 省份");
  Pick(form.DestinationList(0), "北京市");
  Pick(form.DestinationList(1), "北京");
  form.Cargo().goods->setCurrentText(Q("钢材"));
  form.Cargo().quantity->setText(QStringLiteral("20"));
  form.Cargo().truck_count->setText(QStringLiteral("2"));
  form.Cargo().truck_length->setText(QStringLiteral("9.6"));
  Pick(form.Cargo().truck_type, "平板");
  Pick(form.Cargo().freight, "高价急走");
  form.GenerateButton()->click();
  form.GenerateButton()->click();
  EXPECT_EQ(form.Editor()->toPlainText(), Q("济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"));
  Pick(form.DestinationList(2), "朝阳");
  form.GenerateButton()->click();
  EXPECT_EQ(form.Editor()->toPlainText(),
            Q("济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走；"
              "济宁→北京·朝阳,有钢材20吨货,求2辆9.6米平板车,高价急走"));

  // Another type empties the editor and the lines; the truck row shows.
  Pick(form.TypeList(), "即时车源");
  EXPECT_TRUE(form.Editor()->toPlainText().isEmpty());
  EXPECT_TRUE(form.Lines().lines().empty());
  EXPECT_TRUE(form.TruckRowWidget()->isVisible());
  EXPECT_FALSE(form.CargoRowWidget()->isVisible());
  Pick(form.TypeList(), "即时货源");
  form.GenerateButton()->click();
  EXPECT_EQ(form.Lines().lines().size(), 1u);

  // A history entry picks its type without emptying anything else.
  form.UseHistoryText(G("车源：有车"));
  EXPECT_EQ(form.TypeList()->currentText(), Q("即时车源"));
  EXPECT_EQ(form.Editor()->toPlainText(), Q("有车"));
  EXPECT_TRUE(form.TruckRowWidget()->isVisible());
}

// The forms and the history dialog fit a small screen (the offscreen one is
// 800x600) as they open, with every control inside.
TEST_F(PublishWidgetsTest, FormsFitASmallScreen) {
  QuickPublishForm quick(publisher_, loop_, profile_);
  KeypadPublishForm keypad(publisher_, loop_, profile_);
  HistoryDialog history(publisher_, loop_, [](const std::string&) {});
  for (QWidget* form : std::initializer_list<QWidget*>{&quick, &keypad, &history}) {
    SCOPED_TRACE(form->windowTitle().toStdString());
    const QSize least = form->minimumSizeHint();
    EXPECT_LE(least.width(), 800);
    EXPECT_LE(least.height(), 560);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    EXPECT_LE(form->width(), form->screen()->availableGeometry().width());
    for (QWidget* control : form->findChildren<QWidget*>()) {
      if (!control->isVisibleTo(form) || control->isWindow()) continue;
      const QRect at(control->mapTo(form, QPoint(0, 0)), control->size());
      EXPECT_TRUE(form->rect().contains(at))
          << control->metaObject()->className() << " " << control->accessibleName().toStdString();
    }
    form->hide();
  }
}

TEST_F(PublishWidgetsTest, FormClosesOnlyWhenThePublicationIsTaken) {
  QuickPublishForm form(publisher_, loop_, profile_);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.Editor()->setPlainText(Q("有货"));
  replies_ = {"AddError"};
  QSignalSpy finished(&publisher_, &PublishController::publishFinished);
  QTest::keyClick(form.Editor(), Qt::Key_Return);  // Enter publishes
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.Editor()->toPlainText(), Q("有货"));
  ASSERT_EQ(notices_.notices.size(), 1u);

  form.PublishButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_TRUE(form.Editor()->toPlainText().isEmpty());
  EXPECT_EQ(U(ReadSetting(kHistoryKey, "1")), "货源：有货");
}

// While it sends, the form cannot change what it sends and says so; the
// window stays live. A failed send leaves the text the member saw, even when
// the form was closed meanwhile (it comes back); one taken while the form
// was closed takes the form with it.
TEST_F(PublishWidgetsTest, WhileSendingTheFormIsReadOnlyAndKeepsItsText) {
  auto stalled = std::make_unique<test::ScriptedServer>(test::ScriptedReply{"", true});
  host_ = stalled->Host();
  QPointer<QuickPublishForm> form = new QuickPublishForm(publisher_, loop_, profile_);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.data()));
  EXPECT_FALSE(form->SendingLabel()->isVisible());
  form->Editor()->setPlainText(Q("有货"));
  form->Editor()->moveCursor(QTextCursor::End);
  form->PublishButton()->click();
  EXPECT_TRUE(publisher_.Busy());
  EXPECT_TRUE(form->Sending());
  EXPECT_EQ(form->cursor().shape(), Qt::BusyCursor);
  EXPECT_TRUE(form->SendingLabel()->isVisible());
  EXPECT_EQ(form->SendingLabel()->text(), Q("正在发布，请稍候……发布期间信息不能修改"));
  EXPECT_TRUE(form->Editor()->isReadOnly());
  const QList<QWidget*> held = {form->PublishButton(),
                                form->ClearButton(),
                                form->HistoryButton(),
                                form->TypeList(),
                                form->DepartureList(1),
                                form->DestinationList(0),
                                form->GenerateButton(),
                                form->Cargo().goods,
                                form->Cargo().quantity,
                                form->Truck().quantity,
                                form->Contact()->Box(ContactItem::kMobile)};
  for (QWidget* control : held)
    EXPECT_FALSE(control->isEnabled()) << control->accessibleName().toStdString();
  EXPECT_TRUE(form->CloseButton()->isEnabled());

  // The event loop runs: a timer fires; typing and a second Enter change
  // and send nothing.
  bool fired = false;
  QTimer::singleShot(20, [&fired] { fired = true; });
  QTest::keyClicks(form->Editor(), QStringLiteral("abc"));
  QTest::keyClick(form->Editor(), Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([&fired] { return fired; }, 2000));
  EXPECT_EQ(form->Editor()->toPlainText(), Q("有货"));
  EXPECT_LE(stalled->Requests().size(), 1u);

  // Closed while sending, the form only hides.
  form->CloseButton()->click();
  EXPECT_FALSE(form->isVisible());
  QCoreApplication::processEvents();
  ASSERT_FALSE(form.isNull());

  // The service gives up: the failure's notice, and the form back as it was.
  QSignalSpy finished(&publisher_, &PublishController::publishFinished);
  stalled.reset();
  ASSERT_TRUE(finished.wait(30000));
  EXPECT_EQ(U(notices_.notices.back()), "信息发送失败,请检查网络是否正常或与网管中心联系!");
  ASSERT_FALSE(form.isNull());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->Editor()->toPlainText(), Q("有货"));
  EXPECT_FALSE(form->Editor()->isReadOnly());
  EXPECT_FALSE(form->SendingLabel()->isVisible());
  for (QWidget* control : held)
    EXPECT_TRUE(control->isEnabled()) << control->accessibleName().toStdString();
  EXPECT_FALSE(form->Contact()->Box(ContactItem::kTel)->isEnabled()) << "stays as it was";

  // Sent again and taken while the close box has hidden the form: it goes.
  host_.clear();
  form->PublishButton()->click();
  ASSERT_TRUE(form->Sending());
  form->close();
  EXPECT_FALSE(form->isVisible());
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(QTest::qWaitFor([&form] { return form.isNull(); }, 2000));
  EXPECT_EQ(U(ReadSetting(kHistoryKey, "1")), "货源：有货");
}

// The count beside the editor, and a word when typing stops at the limit.
TEST_F(PublishWidgetsTest, TheEditorShowsItsCountAndTheLimit) {
  profile_.ContentLimit = 10;
  KeypadPublishForm form(publisher_, loop_, profile_);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QLabel* count = form.CountLabel();
  EXPECT_TRUE(count->isVisible());
  EXPECT_EQ(count->text(), Q("0/10"));
  test::TypeKeys(form.Editor(), Q("有货abc"));
  EXPECT_EQ(count->text(), Q("5/10"));
  form.Key(Q("吨"))->click();
  EXPECT_EQ(count->text(), Q("6/10"));
  test::TypeKeys(form.Editor(), Q("defgh"));
  EXPECT_EQ(form.Editor()->toPlainText(), Q("有货abc吨defg"));
  EXPECT_EQ(count->text(), Q("10/10\n已达字数上限"));
  EXPECT_EQ(count->palette().color(QPalette::WindowText), QColor(0xC0, 0, 0));
  QTest::keyClick(form.Editor(), Qt::Key_Backspace);
  EXPECT_EQ(count->text(), Q("9/10"));
  form.Key(Q("元"))->click();
  form.Key(Q("元"))->click();
  EXPECT_EQ(count->text(), Q("10/10\n已达字数上限"));
  // The count sits beside the editor, inside the form.
  EXPECT_LE(count->mapTo(&form, QPoint(count->width(), 0)).x(),
            form.Editor()->mapTo(&form, QPoint(0, 0)).x());

  profile_.ContentLimit = 0;
  KeypadPublishForm unlimited(publisher_, loop_, profile_);
  EXPECT_FALSE(unlimited.CountLabel()->isVisibleTo(&unlimited));
}

// What the member picks in a form is what the request carries: the
// departure, the type and the contact boxes; and the request is a POST.
TEST_F(PublishWidgetsTest, WhatTheMemberPicksReachesTheRequest) {
  struct Case {
    const char* type;
    const char* province;
    const char* city;
    bool keypad;
    const char* type_code;
    const char* contact;
  } cases[] = {
      {"即时车源", "山东省", "青岛", false, "1", "0537-1234567 内线:802 张三"},
      {"即时货源", "河南省", "郑州", true, "0", "0537-1234567 内线:802 张三"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.city);
    std::unique_ptr<PublishForm> form;
    if (c.keypad) {
      form = std::make_unique<KeypadPublishForm>(publisher_, loop_, profile_);
    } else {
      form = std::make_unique<QuickPublishForm>(publisher_, loop_, profile_);
    }
    Pick(form->TypeList(), c.type);
    Pick(form->DepartureList(0), c.province);
    Pick(form->DepartureList(1), c.city);
    // Mobile and company off: their settings say so from now on.
    for (ContactItem item : {ContactItem::kMobile, ContactItem::kCompany}) {
      QCheckBox* box = form->Contact()->Box(item);
      if (box->isChecked()) box->click();
    }
    form->Editor()->setPlainText(Q("有货"));
    paths_.clear();
    verbs_.clear();
    QSignalSpy finished(&publisher_, &PublishController::publishFinished);
    form->PublishButton()->click();
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_FALSE(paths_.empty());
    const std::string& sent = paths_.front();
    EXPECT_EQ(verbs_.front(), "POST");
    EXPECT_NE(sent.find("action=Client_AddInfo"), std::string::npos);
    EXPECT_EQ(U(test::QueryValue(sent, "Msg_StartCity")), c.city);
    EXPECT_EQ(test::QueryValue(sent, "Msg_Type"), c.type_code);
    EXPECT_EQ(U(test::QueryValue(sent, "Msg_Tel")), c.contact);
    EXPECT_EQ(U(test::QueryValue(sent, "Msg_Code")), "济宁") << "the member's own city";
  }
}

TEST_F(PublishWidgetsTest, KeypadKeysMenusAndRegionsInsertAtTheCaret) {
  profile_.ContentLimit = 50;
  KeypadPublishForm form(publisher_, loop_, profile_);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle(), Q("发布信息1"));
  MessageEditor* editor = form.Editor();

  editor->setPlainText(Q("有车"));
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(1);
  cursor.setPosition(2, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
  form.Key(Q("货"))->click();
  EXPECT_EQ(editor->toPlainText(), Q("有货车"));

  editor->clear();
  form.Key(Q("－"))->click();
  form.Key(QStringLiteral(" "))->click();
  form.Key(Q("9"))->click();
  form.Key(Q("."))->click();
  form.Key(Q("6"))->click();
  EXPECT_EQ(editor->toPlainText(), Q("-　9.6"));
  form.BackspaceKey()->click();
  EXPECT_EQ(editor->toPlainText(), Q("-　9."));

  // "添加" next to a list on its placeholder inserts nothing.
  editor->setPlainText(Q("济宁"));
  editor->moveCursor(QTextCursor::End);
  form.BackspaceKey()->click();
  EXPECT_EQ(editor->toPlainText(), Q("济"));
  form.AddRegionButton(1)->click();
  EXPECT_EQ(editor->toPlainText(), Q("济"));
  Pick(form.RegionList(0), "山东省");
  form.AddRegionButton(0)->click();
  EXPECT_EQ(editor->toPlainText(), Q("济山东省"));

  // "明天" in the "时间" submenu of "[常用词]".
  const publish_data::PhraseMenu* words = FindPhraseMenu(G("[常用词]"));
  ASSERT_NE(words, nullptr);
  std::unique_ptr<QMenu> menu(form.BuildPhraseMenu(*words, &form));
  QMenu* time = menu->actions().first()->menu();
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->title(), Q("时间"));
  time->actions().at(5)->trigger();
  EXPECT_EQ(editor->toPlainText(), Q("济山东省明天"));

  // At the limit no key inserts anything.
  editor->setPlainText(QString(50, QChar(0x8D27)));
  form.Key(Q("元"))->click();
  EXPECT_EQ(editor->CharCount(), 50);
  editor->setPlainText(QString(49, QChar(0x8D27)));
  form.Key(Q("元"))->click();
  form.Key(Q("元"))->click();
  EXPECT_EQ(editor->CharCount(), 50);
}

// Every item of every phrase menu the form shows is an item of the data, in
// its place, and inserts exactly its own text ("&" included).
TEST_F(PublishWidgetsTest, EveryPhraseMenuItemInsertsItsText) {
  KeypadPublishForm form(publisher_, loop_, profile_);
  std::size_t items = 0;
  for (const publish_data::PhraseMenu& data : publish_data::PhraseMenus()) {
    SCOPED_TRACE(U(data.title));
    std::unique_ptr<QMenu> menu(form.BuildPhraseMenu(data, &form));
    EXPECT_EQ(menu->title(), FromGbk(data.title));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), data.entries.size());
    for (std::size_t i = 0; i < data.entries.size(); ++i) {
      const publish_data::MenuEntry& entry = data.entries[i];
      std::vector<std::pair<QAction*, std::string_view>> leaves;
      if (entry.submenu.empty()) {
        leaves.emplace_back(actions[static_cast<qsizetype>(i)], entry.text);
      } else {
        QMenu* sub = actions[static_cast<qsizetype>(i)]->menu();
        ASSERT_NE(sub, nullptr) << U(entry.text);
        EXPECT_EQ(sub->title(), FromGbk(entry.text));
        ASSERT_EQ(static_cast<std::size_t>(sub->actions().size()), entry.submenu.size());
        for (std::size_t j = 0; j < entry.submenu.size(); ++j)
          leaves.emplace_back(sub->actions()[static_cast<qsizetype>(j)], entry.submenu[j]);
      }
      for (const auto& [action, text] : leaves) {
        form.Editor()->clear();
        action->trigger();
        EXPECT_EQ(form.Editor()->toPlainText(), FromGbk(text));
        ++items;
      }
    }
  }
  EXPECT_EQ(items, 299u);
}

class HistoryDialogTest : public PublishWidgetsTest {
 protected:
  void Put(const char* name, const char* text) {
    ASSERT_TRUE(CreateSettingKey(kHistoryKey));
    ASSERT_TRUE(WriteSetting(kHistoryKey, name, G(text)));
  }
  static QStringList Lines(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  static void Select(QListWidget* list, int row) {
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
  }
};

TEST_F(HistoryDialogTest, ListsUsesAndDeletesHistory) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "3"));
  Put("1", "货源：A");
  Put("2", "车源：B");
  Put("3", "货源：A");
  std::vector<std::string> used;
  HistoryDialog dialog(publisher_, loop_, [&used](const std::string& t) { used.push_back(t); });
  EXPECT_EQ(dialog.windowTitle(), Q("历史记录/重发管理"));
  EXPECT_EQ(Lines(dialog.HistoryList()), (QStringList{Q("车源：B"), Q("货源：A")}));

  struct Refusal {
    QPushButton* button;
    const char* notice;
  } refusals[] = {
      {dialog.UseButton(), "    请选择您要使用的信息!    "},
      {dialog.DeleteButton(), "    请选择您要删除的信息!    "},
      {dialog.AddButton(), "    请选择您要添加的信息!    "},
      {dialog.LoopDeleteButton(), "    请选择您要删除的循环信息!    "},
  };
  for (const Refusal& r : refusals) {
    notices_.notices.clear();
    r.button->click();
    ASSERT_EQ(notices_.notices.size(), 1u);
    EXPECT_EQ(U(notices_.notices.front()), r.notice);
  }

  Select(dialog.HistoryList(), 1);
  dialog.DeleteButton()->click();
  EXPECT_EQ(Lines(dialog.HistoryList()), QStringList{Q("车源：B")});
  EXPECT_EQ(EnumerateSettings(kHistoryKey).size(), 1u);  // both copies went

  Select(dialog.HistoryList(), 0);
  dialog.UseButton()->click();
  EXPECT_EQ(used, std::vector<std::string>{G("车源：B")});
  EXPECT_EQ(publisher_.LastUsedHistoryText(), G("车源：B"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  // "←清空" asks first, "否" its default: "否" keeps everything.
  notices_.answer = false;
  dialog.ClearButton()->click();
  EXPECT_EQ(notices_.default_no_questions,
            std::vector<std::string>{G("确定要清空全部历史信息吗?")});
  EXPECT_EQ(Lines(dialog.HistoryList()), QStringList{Q("车源：B")});
  EXPECT_TRUE(SettingKeyExists(kHistoryKey));
  notices_.answer = true;
  dialog.ClearButton()->click();
  EXPECT_EQ(notices_.default_no_questions.size(), 2u);
  EXPECT_EQ(dialog.HistoryList()->count(), 0);
  EXPECT_FALSE(SettingKeyExists(kHistoryKey));
  EXPECT_EQ(ReadSetting(kMainKey, kHistoryCount), "3");
}

TEST_F(HistoryDialogTest, TakenEntryPublishedUnchangedMovesToTheNewestNumber) {
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "2"));
  Put("1", "货源：A");
  Put("2", "车源：B");
  QuickPublishForm form(publisher_, loop_, profile_);
  form.show();
  HistoryDialog dialog(publisher_, loop_,
                       [&form](const std::string& t) { form.UseHistoryText(t); });
  Select(dialog.HistoryList(), 1);
  dialog.UseButton()->click();
  EXPECT_EQ(form.Editor()->toPlainText(), Q("A"));
  QSignalSpy finished(&publisher_, &PublishController::publishFinished);
  form.PublishButton()->click();
  ASSERT_TRUE(finished.wait(5000));
  std::vector<std::string> values;
  for (const SettingValue& v : EnumerateSettings(kHistoryKey))
    values.push_back(v.name + "=" + U(v.text));
  EXPECT_EQ(values, (std::vector<std::string>{"2=车源：B", "3=货源：A"}));
}

TEST_F(HistoryDialogTest, LoopListAndItsSwitch) {
  Put("1", "货源：A");
  Put("2", "车源：B");
  HistoryDialog dialog(publisher_, loop_, [](const std::string&) {});
  EXPECT_EQ(dialog.IntervalList()->currentText(), Q("每隔 5 分钟"));

  dialog.LoopBox()->click();
  EXPECT_EQ(U(notices_.notices.back()), "请添加您要循环的信息");
  EXPECT_FALSE(dialog.LoopBox()->isChecked());
  EXPECT_FALSE(loop_.State().looping());

  Select(dialog.HistoryList(), 1);
  dialog.AddButton()->click();
  dialog.AddAllButton()->click();
  dialog.AddAllButton()->click();
  EXPECT_EQ(Lines(dialog.LoopList()), (QStringList{Q("货源：A"), Q("车源：B")}));

  dialog.IntervalList()->setCurrentIndex(2);
  dialog.LoopBox()->click();
  EXPECT_TRUE(loop_.State().looping());
  EXPECT_EQ(loop_.State().interval_index(), 2);
  EXPECT_EQ(loop_.TimerPeriodMs(), 600'000);
  EXPECT_FALSE(dialog.IntervalList()->isEnabled());
  EXPECT_FALSE(dialog.LoopDeleteButton()->isEnabled());
  dialog.ClearLoop();
  EXPECT_EQ(U(notices_.notices.back()), "请先取消循环发布\n\n然后再清空循环的信息");
  dialog.DeleteLoopSelected();
  EXPECT_EQ(U(notices_.notices.back()), "请先取消循环发布\n\n然后再删除循环的信息");

  // A new dialog shows the running loop as it is.
  HistoryDialog again(publisher_, loop_, [](const std::string&) {});
  EXPECT_TRUE(again.LoopBox()->isChecked());
  EXPECT_EQ(again.IntervalList()->currentIndex(), 2);
  EXPECT_EQ(Lines(again.LoopList()).size(), 2);
  again.LoopBox()->click();
  EXPECT_FALSE(loop_.State().looping());
  EXPECT_FALSE(loop_.TimerActive());
  Select(again.LoopList(), 0);
  again.LoopDeleteButton()->click();
  EXPECT_EQ(Lines(again.LoopList()), QStringList{Q("车源：B")});
}

}  // namespace
}  // namespace tv
