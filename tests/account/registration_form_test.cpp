// The registration form offscreen: what a failed check does to the fields,
// the form while it sends, the answers as the member sees them, and the keys
// and links.
#include "account/registration_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>
#include <atomic>
#include <future>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "local_service.h"
#include "shell/web_page_window.h"
#include "widgets/color_label.h"

namespace tv {
namespace {

using Field = RegistrationField;

std::string Notice(const ScopedNoticeRecorder& notices) {
  return notices.notices.empty() ? std::string() : GbkToUtf8(notices.notices.back());
}

// Fills every field as a member would, so that all checks pass.
void FillIn(RegistrationForm& form, const QString& user) {
  form.Edit(Field::kMemberName)->setText(user);
  form.Edit(Field::kMemberPassword)->setText(QStringLiteral("secret 1"));
  form.Edit(Field::kConfirm)->setText(QStringLiteral("SECRET 1"));
  form.Edit(Field::kRealName)->setText(QStringLiteral("王小明"));
  form.SexBox()->setCurrentIndex(1);
  form.Edit(Field::kCompany)->setText(QStringLiteral("济南顺达物流"));
  form.ProvinceBox()->setCurrentIndex(form.ProvinceBox()->findText(QStringLiteral("山东省")));
  form.Edit(Field::kAreaCode)->setText(QStringLiteral("0531"));
  form.Edit(Field::kTelNumber)->setText(QStringLiteral("88886666"));
  form.Edit(Field::kEmail)->setText(QStringLiteral("wang@example.cn"));
}

class RegistrationFormTest : public ::testing::Test {
 protected:
  // A form whose sends are answered by `answer` (on the worker).
  std::unique_ptr<RegistrationForm> MakeForm(
      std::function<std::string(const RegistrationValues&)> answer) {
    RegistrationForm::Services services;
    services.current_host = [] { return std::string("127.0.0.1:9"); };
    services.send = [answer = std::move(answer)](const std::string&,
                                                 const RegistrationValues& values) {
      return answer(values);
    };
    services.terms_address = QUrl(QStringLiteral("http://127.0.0.1:9/reg_read.asp"));
    auto form = std::make_unique<RegistrationForm>(std::move(services));
    form->show();
    return form;
  }

  ScopedNoticeRecorder notices_;
};

TEST_F(RegistrationFormTest, AFailedCheckEmptiesItsFieldsAndTakesTheFocus) {
  int sends = 0;
  auto form = MakeForm([&](const RegistrationValues&) {
    ++sends;
    return std::string("RegSuccess");
  });
  FillIn(*form, QStringLiteral("wang01"));
  form->Edit(Field::kConfirm)->setText(QStringLiteral("other 2"));
  form->Submit();
  EXPECT_EQ(Notice(notices_), "两次输入密码不一致,请重新输入!");
  EXPECT_EQ(form->Edit(Field::kConfirm)->text(), "");
  EXPECT_EQ(form->Edit(Field::kMemberPassword)->text(), "secret 1");
  EXPECT_EQ(form->focusWidget(), form->Edit(Field::kConfirm));

  // The province list keeps its placeholder; nothing else is touched.
  form->Edit(Field::kConfirm)->setText(QStringLiteral("secret 1"));
  form->ProvinceBox()->setCurrentIndex(0);
  form->Submit();
  EXPECT_EQ(Notice(notices_), "请选择您所在地的所属省份!");
  EXPECT_EQ(form->focusWidget(), form->ProvinceBox());
  EXPECT_EQ(form->Edit(Field::kEmail)->text(), "wang@example.cn");
  EXPECT_EQ(form->Edit(Field::kRealName)->text(), "王小明");
  EXPECT_EQ(sends, 0);
  EXPECT_TRUE(form->isVisible());
}

// GBK has no room for such a character: stored, it would come back as '?'
// (a member "张三?", a password nobody typed). Every text field refuses it
// and says which, before any check or send.
TEST_F(RegistrationFormTest, ACharacterGbkCannotHoldIsRefusedInEveryTextField) {
  int sends = 0;
  auto form = MakeForm([&](const RegistrationValues&) {
    ++sends;
    return std::string("RegSuccess");
  });
  const struct {
    Field field;
    const char* name;
  } fields[] = {
      {Field::kMemberName, "会员名"}, {Field::kMemberPassword, "密码"},
      {Field::kConfirm, "确认密码"},  {Field::kRealName, "真实姓名"},
      {Field::kCompany, "公司名称"},  {Field::kUrl, "公司网址"},
      {Field::kAreaCode, "电话区号"}, {Field::kTelNumber, "联系电话"},
      {Field::kMobile, "手机"},       {Field::kTel2, "电话二"},
      {Field::kQq, "ＱＱ号码"},       {Field::kEmail, "E-mail"},
      {Field::kAddress, "联系地址"},  // the postal code's field is hidden
  };
  auto fill_in = [&] {
    for (const auto& f : fields) form->Edit(f.field)->clear();
    FillIn(*form, QStringLiteral("wang01"));
  };
  for (const auto& f : fields) {
    SCOPED_TRACE(f.name);
    fill_in();
    QLineEdit* edit = form->Edit(f.field);
    const QString typed = edit->text() + QStringLiteral("张三😀");
    edit->setText(typed);
    notices_.notices.clear();
    form->Submit();
    ASSERT_EQ(notices_.notices.size(), 1u);
    EXPECT_EQ(Notice(notices_),
              std::string(f.name) + "中有无法发送的字符: U+1F600\n\n请删除或换成其他文字后再提交");
    // The member mends the text: nothing is emptied.
    EXPECT_EQ(edit->text(), typed);
    EXPECT_EQ(form->focusWidget(), edit);
    EXPECT_FALSE(form->Sending());
  }
  EXPECT_EQ(sends, 0);
  fill_in();
  QSignalSpy answered(form.get(), &RegistrationForm::answered);
  form->Submit();
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_EQ(sends, 1);
}

TEST_F(RegistrationFormTest, TheListsAndFieldsGoIntoTheRequest) {
  auto form = MakeForm([](const RegistrationValues&) { return std::string(); });
  FillIn(*form, QStringLiteral("wang01"));
  form->CityBox()->setCurrentIndex(form->CityBox()->findText(QStringLiteral("青岛")));
  const RegistrationValues v = form->Values();
  EXPECT_EQ(GbkToUtf8(v.sex), "女");
  EXPECT_EQ(GbkToUtf8(v.province), "山东省");
  EXPECT_EQ(GbkToUtf8(v.city), "青岛");
  EXPECT_FALSE(v.town.empty());
  EXPECT_EQ(FromGbk(v.town), form->TownBox()->currentText());
  EXPECT_EQ(v.password, "secret 1");
  EXPECT_EQ(v.post, "");
}

TEST_F(RegistrationFormTest, SendingShowsAndCannotBeSubmittedTwice) {
  std::promise<std::string> release;
  std::shared_future<std::string> answer = release.get_future().share();
  std::atomic<int> sends{0};
  auto form = MakeForm([&](const RegistrationValues&) {
    ++sends;
    return answer.get();
  });
  FillIn(*form, QStringLiteral("wang01"));
  QSignalSpy answered(form.get(), &RegistrationForm::answered);
  form->Submit();
  EXPECT_TRUE(form->Sending());
  EXPECT_FALSE(form->SubmitButton()->isEnabled());
  EXPECT_EQ(form->SubmitButton()->text(), "正在提交...");
  EXPECT_FALSE(form->Edit(Field::kMemberName)->isEnabled());
  form->Submit();
  QTest::mouseClick(form->SubmitButton(), Qt::LeftButton);

  release.set_value("HasReged");
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_EQ(sends, 1);
  EXPECT_EQ(Notice(notices_), "此会员名已被注册,请重新选择会员名注册!");
  // The member chooses another name in the same form.
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->Sending());
  EXPECT_TRUE(form->SubmitButton()->isEnabled());
  EXPECT_EQ(form->SubmitButton()->text(), "同意服务条款,确认提交");
  EXPECT_EQ(form->Edit(Field::kMemberName)->text(), "wang01");
}

TEST_F(RegistrationFormTest, AnswersCloseTheFormOrKeepIt) {
  struct Case {
    std::string answer;
    const char* notice_start;  // "" for none
    bool closes;
  };
  const Case cases[] = {
      {"RegNoGo", "信息提交成功,请等待管理员的审核!", true},
      {"RegSuccess", "恭喜您,注册成功!", true},
      {"RegError", "", true},
  };
  for (const Case& c : cases) {
    notices_.notices.clear();
    auto form = MakeForm([&](const RegistrationValues&) { return c.answer; });
    FillIn(*form, QStringLiteral("wang01"));
    QSignalSpy answered(form.get(), &RegistrationForm::answered);
    form->Submit();
    ASSERT_TRUE(answered.wait(5000)) << c.answer;
    EXPECT_EQ(form->isVisible(), !c.closes) << c.answer;
    EXPECT_TRUE(Notice(notices_).starts_with(c.notice_start)) << c.answer;
    if (*c.notice_start == '\0') {
      EXPECT_TRUE(notices_.notices.empty()) << c.answer;
    }
  }
}

TEST_F(RegistrationFormTest, FourFailedSendsLeaveTheFormOpenAndResponsive) {
  LocalService service;
  ASSERT_TRUE(service.ok()) << service.error();
  const std::string host = service.host();
  service.Stop();

  RegistrationForm::Services services;
  services.current_host = [host] { return host; };
  RegistrationForm form(std::move(services));
  form.show();
  FillIn(form, QStringLiteral("gone01"));
  QSignalSpy answered(&form, &RegistrationForm::answered);
  // The UI thread keeps running while the sends and their pauses go on.
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(20);
  form.Submit();
  ASSERT_TRUE(answered.wait(20000));
  EXPECT_EQ(answered.at(0).at(0).value<RegistrationOutcome>(), RegistrationOutcome::kNotSent);
  EXPECT_GE(ticks, 5) << "three pauses of 100 ms between the sends";
  EXPECT_EQ(Notice(notices_), "注册失败,请检查网络是否已连接!");
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.SubmitButton()->isEnabled());
}

TEST_F(RegistrationFormTest, EnterAndEscapeNeitherSubmitNorClose) {
  int sends = 0;
  auto form = MakeForm([&](const RegistrationValues&) {
    ++sends;
    return std::string("RegSuccess");
  });
  FillIn(*form, QStringLiteral("wang01"));
  QTest::keyClick(form->Edit(Field::kMemberName), Qt::Key_Return);
  QTest::keyClick(form->Edit(Field::kEmail), Qt::Key_Enter);
  QTest::keyClick(form.get(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->Sending());
  EXPECT_EQ(sends, 0);
  EXPECT_TRUE(notices_.notices.empty());

  QTest::mouseClick(form->RefuseButton(), Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(sends, 0);
}

TEST_F(RegistrationFormTest, TheTermsOpenInOneWebPageWindow) {
  auto form = MakeForm([](const RegistrationValues&) { return std::string(); });
  EXPECT_FALSE(form->DownloadLink()->isVisible());
  EXPECT_EQ(form->TermsLink()->toolTip(), "点击阅读服务条款");
  QTest::mouseClick(form->TermsLink(), Qt::LeftButton);
  WebPageWindow* terms = form->TermsWindow();
  ASSERT_NE(terms, nullptr);
  EXPECT_EQ(terms->windowTitle(), "Tarvolo");
  EXPECT_EQ(terms->Address(), QUrl(QStringLiteral("http://127.0.0.1:9/reg_read.asp")));
  QTest::mouseClick(form->TermsLink(), Qt::LeftButton);
  EXPECT_EQ(form->TermsWindow(), terms) << "a second click opens no second window";
  terms->close();
}

}  // namespace
}  // namespace tv
