// The two search forms on screen (offscreen platform), driven the way the
// member drives them: double clicks in the lists, typed keywords, the
// buttons, the history item that clears.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "core/notice.h"
#include "core/qt_gbk.h"
#include "search/comprehensive_search_form.h"
#include "search/local_search_form.h"
#include "search_test_util.h"
#include "tests/widgets/type_keys.h"
#include "widgets/completion_box.h"

namespace tv {
namespace {

using search_test::G;
using search_test::TempStore;
using search_test::U;

QApplication& App() {
  static int argc = 1;
  static char name[] = "search_widgets_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

QStringList Texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

// A real double click on the item named `text`.
void DoubleClick(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << text.toStdString();
  list->scrollToItem(found.front());
  const QPoint at = list->visualItemRect(found.front()).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// What the member picks from a drop-down list.
void Choose(QComboBox* box, const QString& text) {
  const int index = box->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// Chinese text arrives from the input method as a committed string.
void Type(QComboBox* box, const QString& text) {
  box->lineEdit()->clear();
  box->setFocus();
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(box, &commit);
}

TEST(LocalSearchFormOnScreen, CollectsPlacesAndATypedKeywordAndStartsTheSearch) {
  App();
  ScopedNoticeRecorder notices;
  TempStore store;
  std::optional<SearchTerms> started;
  LocalSearchForm form(*store, G("泰安"), G("济南"), [&](const SearchTerms& t) { started = t; });
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("搜索即时信息：从［泰安］出发"));
  EXPECT_EQ(Items(form.KeywordEdit()), QStringList{"清除历史记录..."});

  form.AddAllRegions();
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(U(notices.notices[0]), "      请选择一个省/直辖市     ");

  DoubleClick(form.ProvinceList(), "山东省");
  DoubleClick(form.RegionList(), "济宁");
  DoubleClick(form.CountyList(), "嘉祥");
  DoubleClick(form.CountyList(), "嘉祥");
  EXPECT_EQ(Texts(form.KeywordList()), (QStringList{"山东", "济宁", "嘉祥"}));

  Type(form.KeywordEdit(), QStringLiteral("煤炭"));
  form.AddTypedKeyword();
  EXPECT_EQ(Texts(form.KeywordList()), (QStringList{"山东", "济宁", "嘉祥", "煤炭"}));
  EXPECT_EQ(Items(form.KeywordEdit()), (QStringList{"煤炭", "清除历史记录..."}));
  EXPECT_EQ(form.KeywordEdit()->currentText(), QStringLiteral("煤炭"));
  EXPECT_EQ(form.Completion()->Texts(), QStringList{"煤炭"});
  form.KeywordEdit()->lineEdit()->clear();
  form.AddTypedKeyword();
  EXPECT_EQ(U(notices.notices.back()), "      请填写您要添加的附加关键字     ");

  // A double click on an entry of the keyword list takes it out.
  DoubleClick(form.KeywordList(), "济宁");
  EXPECT_EQ(Texts(form.KeywordList()), (QStringList{"山东", "嘉祥", "煤炭"}));

  form.findChild<QPushButton*>("search")->click();
  ASSERT_TRUE(started.has_value());
  EXPECT_EQ(U(started->code), "泰安");
  EXPECT_EQ(U(started->keywords), "山东,嘉祥,煤炭");
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(LocalSearchFormOnScreen, ChoosingTheClearingItemForgetsTheHistory) {
  App();
  TempStore store;
  KeywordHistory(*store, kLocalSearchKey).Record(G("钢材"));
  LocalSearchForm form(*store, G("济宁,泰安"), G("济南"), nullptr);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("搜索即时信息：从［济南］出发"));
  QComboBox* box = form.KeywordEdit();
  ASSERT_EQ(Items(box), (QStringList{"钢材", "清除历史记录..."}));
  Choose(box, QStringLiteral("清除历史记录..."));
  EXPECT_EQ(Items(box), QStringList{"清除历史记录..."});
  EXPECT_TRUE(form.Completion()->Texts().isEmpty());
  EXPECT_FALSE(store->KeyExists(kLocalSearchKey));
}

// A typed keyword with a character GBK lacks is refused with its notice in
// both forms: it would be searched for, and remembered, with '?' in its place.
TEST(SearchFormsOnScreen, AKeywordGbkCannotHoldIsRefused) {
  App();
  ScopedNoticeRecorder notices;
  TempStore store;
  const QString keyword = QStringLiteral("煤炭") + QString::fromUtf8("\xF0\x9F\x98\x80");
  const std::string said = "填写的关键字中有无法搜索的字符: U+1F600";
  bool started = false;
  const auto start = [&](const SearchTerms&) { started = true; };

  LocalSearchForm local(*store, G("泰安"), G("济南"), start);
  Type(local.KeywordEdit(), keyword);
  local.AddTypedKeyword();
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(U(notices.notices[0]).rfind(said, 0), 0u) << U(notices.notices[0]);
  EXPECT_EQ(local.KeywordList()->count(), 0);

  ComprehensiveSearchForm wide(*store, G("泰安"), G("济南"), 0, start);
  Type(wide.KeywordEdit(ComprehensiveSearchModel::kCityKeyword), keyword);
  wide.SearchButton(ComprehensiveSearchModel::kCityKeyword)->click();
  ASSERT_EQ(notices.notices.size(), 2u);
  EXPECT_EQ(U(notices.notices[1]).rfind(said, 0), 0u) << U(notices.notices[1]);
  EXPECT_FALSE(started);
  EXPECT_NE(wide.result(), QDialog::Accepted);
  // Neither form kept it in the history.
  EXPECT_FALSE(store->KeyExists(kLocalSearchKey));
  EXPECT_EQ(Items(wide.KeywordEdit(ComprehensiveSearchModel::kOutbound)),
            QStringList{"清除历史记录..."});
}

// What the member types stays as typed: no box completes it by itself (to
// "abcdef" with the rest selected, which "添加" and "搜索" would then take),
// and the clearing item is never a completion. Only picking a line of the
// completion box changes the text.
TEST(SearchFormsOnScreen, TypedKeywordsAreCompletedOnlyByAPickedLine) {
  App();
  ScopedNoticeRecorder notices;
  TempStore store;
  KeywordHistory(*store, kLocalSearchKey).Record(G("abcdef"));
  KeywordHistory(*store, kWideSearchKey).Record(G("abcdef"));
  std::optional<SearchTerms> started;
  const auto start = [&](const SearchTerms& t) { started = t; };

  LocalSearchForm local(*store, G("泰安"), G("济南"), start);
  local.show();
  local.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&local));
  QComboBox* box = local.KeywordEdit();
  box->setFocus();
  for (const char* typed : {"abc", "ABC", "清", "清除历史记录..."}) {
    SCOPED_TRACE(typed);
    box->lineEdit()->clear();
    test::TypeKeys(box->lineEdit(), QString::fromUtf8(typed));
    EXPECT_EQ(box->currentText(), QString::fromUtf8(typed));
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());
    // The completion box offers the history's lines, never the clearing item.
    const bool offered = local.Completion()->PopupVisible();
    EXPECT_EQ(offered, QByteArray(typed).toLower() == "abc");
  }
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), QStringLiteral("abc"));
  local.AddTypedKeyword();
  EXPECT_EQ(Texts(local.KeywordList()), QStringList{"abc"});
  EXPECT_EQ(Items(box), (QStringList{"abc", "abcdef", "清除历史记录..."}));
  // Down picks the highlighted line: now, and only now, the text changes.
  box->lineEdit()->clear();
  QTest::keyClicks(box->lineEdit(), QStringLiteral("abcd"));
  ASSERT_TRUE(local.Completion()->PopupVisible());
  QTest::keyClick(box, Qt::Key_Down);
  EXPECT_EQ(box->currentText(), QStringLiteral("abcdef"));
  local.AddTypedKeyword();
  EXPECT_EQ(Texts(local.KeywordList()), (QStringList{"abc", "abcdef"}));
  local.hide();

  ComprehensiveSearchForm wide(*store, G("泰安"), G("济南"), 0, start);
  wide.show();
  wide.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&wide));
  QComboBox* keyword = wide.KeywordEdit(ComprehensiveSearchModel::kCityKeyword);
  keyword->setFocus();
  QTest::keyClicks(keyword->lineEdit(), QStringLiteral("ABC"));
  // Leaving the box does not turn it into the item that differs in case.
  QTest::keyClick(keyword, Qt::Key_Tab);
  EXPECT_EQ(keyword->currentText(), QStringLiteral("ABC"));
  wide.SearchButton(ComprehensiveSearchModel::kCityKeyword)->click();
  ASSERT_TRUE(started.has_value());
  EXPECT_EQ(U(started->keywords), "ABC");
  KeywordHistory wide_history(*store, kWideSearchKey);
  wide_history.Load();
  EXPECT_EQ(wide_history.Entries(), (std::vector<std::string>{G("abcdef"), G("ABC")}));
  EXPECT_TRUE(notices.notices.empty());
}

TEST(ComprehensiveSearchFormOnScreen, EachGroupSearchesAndRecordsItsKeywordInEveryBox) {
  App();
  TempStore store;
  std::optional<SearchTerms> started;
  ComprehensiveSearchForm form(*store, G("泰安"), G("济南"), 0,
                               [&](const SearchTerms& t) { started = t; });
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  using M = ComprehensiveSearchModel;
  EXPECT_EQ(form.GroupBox(M::kOutbound)->title(),
            QStringLiteral("搜索从［泰安］出发到其它城市的信息"));
  EXPECT_EQ(form.GroupBox(M::kInbound)->title(),
            QStringLiteral("搜索从其它城市到达［泰安］的信息"));
  EXPECT_EQ(form.ProvinceBox(M::kOutbound)->currentText(), QStringLiteral("北京市"));
  EXPECT_EQ(form.CityBox(M::kOutbound)->count(), 0);

  Choose(form.ProvinceBox(M::kOutbound), QStringLiteral("山东省"));
  EXPECT_EQ(form.CityBox(M::kOutbound)->currentText(), QStringLiteral("济南"));
  Choose(form.CityBox(M::kOutbound), QStringLiteral("济宁"));
  Type(form.KeywordEdit(M::kOutbound), QStringLiteral("煤炭"));
  form.SearchButton(M::kOutbound)->click();
  ASSERT_TRUE(started.has_value());
  EXPECT_EQ(U(started->code), "泰安");
  EXPECT_EQ(U(started->keywords), "济宁,煤炭");
  EXPECT_EQ(form.result(), QDialog::Accepted);
  for (int g = 0; g < M::kGroups; ++g) {
    QComboBox* box = form.KeywordEdit(static_cast<M::Group>(g));
    EXPECT_EQ(Items(box), (QStringList{"煤炭", "清除历史记录..."})) << g;
    EXPECT_EQ(box->currentText(), QStringLiteral("煤炭")) << g;
  }

  // The third group with only a keyword: anywhere in the country.
  ComprehensiveSearchForm again(*store, G("全国信息"), G("济南"), 8,
                                [&](const SearchTerms& t) { started = t; });
  Type(again.KeywordEdit(M::kCityKeyword), QStringLiteral("钢材"));
  again.SearchButton(M::kCityKeyword)->click();
  EXPECT_EQ(U(started->code), "");
  EXPECT_EQ(U(started->keywords), "钢材");
  EXPECT_EQ(Items(again.KeywordEdit(M::kOutbound)),
            (QStringList{"钢材", "煤炭", "清除历史记录..."}));
  Choose(again.KeywordEdit(M::kInbound), QStringLiteral("清除历史记录..."));
  for (int g = 0; g < M::kGroups; ++g) {
    EXPECT_EQ(Items(again.KeywordEdit(static_cast<M::Group>(g))), QStringList{"清除历史记录..."});
  }
}

}  // namespace
}  // namespace tv
