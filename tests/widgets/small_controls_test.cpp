// The colour label and the completion box on screen (offscreen platform):
// what shows behind a label, and how the pop-up list follows typing, keys,
// clicks and the focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "core/gbk.h"

#include "widgets/color_label.h"
#include "widgets/completion_box.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "controls_tests";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

TEST(ColorLabel, FillDecidesWhetherTheFormShowsBehindTheText) {
  App();
  QWidget form;
  form.resize(200, 40);
  QPalette palette = form.palette();
  palette.setColor(QPalette::Window, QColor(10, 200, 30));
  form.setPalette(palette);
  form.setAutoFillBackground(true);
  ColorLabel label(&form);
  label.setGeometry(0, 0, 200, 40);
  label.SetTextStyle(QStringLiteral("提示"), MakeColour(0, 0, 255), 12, true, QString(), 2);
  for (bool fill : {false, true}) {
    label.SetBackground(MakeColour(255, 255, 0), fill);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 2), fill ? QColor(255, 255, 0) : QColor(10, 200, 30))
        << "fill " << fill;
  }
  EXPECT_EQ(label.TextFont().weight(), QFont::Bold);
  EXPECT_EQ(label.TextFont().pixelSize(), 12);
  // "宋体" is drawn with its installed stand-in.
  EXPECT_EQ(label.TextFont().family(), InstalledFamilies(Utf8ToGbk("宋体")).front());
}

TEST(LinkLabel, AClickIsReported) {
  App();
  LinkLabel link;
  link.resize(100, 20);
  link.SetTextStyle(QStringLiteral("服务条款"), MakeColour(0, 0, 255), 12, false, QString(), 0);
  link.SetTip(QStringLiteral("tip"));
  QSignalSpy clicks(&link, &LinkLabel::clicked);
  QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(link.toolTip(), QStringLiteral("tip"));
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

// The keyboard's click: Tab reaches the link, Space or Enter clicks it.
TEST(LinkLabel, SpaceOrEnterClicksItOnceTabReachedIt) {
  App();
  QWidget form;
  auto* before = new QLineEdit(&form);
  auto* link = new LinkLabel(&form);
  link->setGeometry(0, 30, 100, 20);
  link->SetTextStyle(QStringLiteral("服务条款"), MakeColour(0, 0, 255), 12, false, QString(), 0);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_TRUE(link->hasFocus());
  QSignalSpy clicks(link, &LinkLabel::clicked);
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int clicks;
  } kKeys[] = {{Qt::Key_Space, Qt::NoModifier, 1},  {Qt::Key_Return, Qt::NoModifier, 1},
               {Qt::Key_Enter, Qt::KeypadModifier, 1}, {Qt::Key_A, Qt::NoModifier, 0},
               {Qt::Key_Space, Qt::ControlModifier, 0}};
  for (const auto& k : kKeys) {
    clicks.clear();
    QTest::keyClick(link, k.key, k.modifiers);
    EXPECT_EQ(clicks.count(), k.clicks) << k.key << " " << k.modifiers;
  }
  // A mouse click does not move the focus to it.
  before->setFocus();
  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(before->hasFocus());
}

class CompletionBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    window_ = std::make_unique<QWidget>();
    window_->resize(300, 200);
    combo_ = new QComboBox(window_.get());
    combo_->setEditable(true);
    combo_->setGeometry(10, 10, 180, 24);
    other_ = new QLineEdit(window_.get());
    other_->setGeometry(10, 60, 180, 24);
    box_ptr_ = std::make_unique<CompletionBox>();
    box().Attach(combo_);
    for (const char* text : {"Beijing", "beihai", "Baoding", "bengbu"}) {
      box().AddItem(QString::fromUtf8(text));
    }
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    combo_->setFocus();
    combo_->setEditText(QString());
  }

  QString Text() const { return combo_->lineEdit()->text(); }
  CompletionBox& box() { return *box_ptr_; }

  std::unique_ptr<QWidget> window_;
  QComboBox* combo_ = nullptr;
  QLineEdit* other_ = nullptr;
  std::unique_ptr<CompletionBox> box_ptr_;
};

TEST_F(CompletionBoxTest, TypingShowsTheMatchesUnderTheHostAndKeysPickOne) {
  EXPECT_EQ(combo_->count(), 4);  // the items and the completion list together
  QTest::keyClicks(combo_, "BEI");
  ASSERT_TRUE(box().PopupVisible());
  QListWidget* popup = box().Popup();
  ASSERT_EQ(popup->count(), 2);
  EXPECT_EQ(popup->item(0)->text(), "Beijing");
  EXPECT_EQ(popup->geometry().topLeft(), combo_->mapToGlobal(QPoint(0, combo_->height())));
  EXPECT_EQ(popup->width(), combo_->width());

  QTest::keyClick(combo_, Qt::Key_Up);  // from none: the last
  EXPECT_EQ(Text(), "beihai");
  QTest::keyClick(combo_, Qt::Key_Down);  // past the last: the first
  EXPECT_EQ(Text(), "Beijing");
  EXPECT_EQ(combo_->lineEdit()->cursorPosition(), 7);
  EXPECT_TRUE(box().PopupVisible());  // moving does not filter again
  QTest::keyClick(combo_, Qt::Key_Escape);
  EXPECT_FALSE(box().PopupVisible());
  EXPECT_EQ(Text(), "Beijing");

  QTest::keyClick(combo_, Qt::Key_Backspace);
  EXPECT_EQ(box().Model().Matches().size(), 1u);  // "Beijin"
  QTest::keyClick(combo_, Qt::Key_Return);
  EXPECT_FALSE(box().PopupVisible());
  EXPECT_EQ(Text(), "Beijin");
}

TEST_F(CompletionBoxTest, AClickPicksTheLineAndLosingTheFocusHidesTheList) {
  QTest::keyClicks(combo_, "b");
  ASSERT_TRUE(box().PopupVisible());
  QListWidget* popup = box().Popup();
  ASSERT_EQ(popup->count(), 4);
  QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                    popup->visualItemRect(popup->item(2)).center());
  EXPECT_EQ(Text(), "Baoding");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !box().PopupVisible(); }, 3000));
  // The test platform lets the click activate the list's window; a desktop
  // keeps the form active.
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  combo_->setFocus();

  QTest::keyClicks(combo_, "x");  // "Baodingx": nothing
  EXPECT_FALSE(box().PopupVisible());
  combo_->setEditText(QString());
  QTest::keyClicks(combo_, "be");
  ASSERT_TRUE(box().PopupVisible());
  other_->setFocus();
  EXPECT_FALSE(box().PopupVisible());

  box().ClearItems();
  EXPECT_EQ(combo_->count(), 0);
  combo_->setFocus();
  QTest::keyClicks(combo_, "b");
  EXPECT_FALSE(box().PopupVisible());
}

}  // namespace
}  // namespace tv
