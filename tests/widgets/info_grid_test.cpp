#include "widgets/info_grid.h"
#include "widgets_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "grid/marked_text.h"
#include "grid/text_measure.h"
#include "widgets/demo/sample_rows.h"
#include "widgets/image_strip.h"
#include "widgets/qt_text_measure.h"

namespace tv {
namespace {

constexpr int kRowHeight = 22;
constexpr int kRows = 100;

// A grid laid out like the main feed: icon 30, text 200, detail 30,
// messenger 30, every other column hidden; 100 rows of 22 pixels.
class InfoGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    grid_ = std::make_unique<InfoGrid>();
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid_->resize(320, 20 * kRowHeight + 11);  // 20 whole rows and a part of the 21st
    RowStore& store = grid_->Store();
    store.SetTextMeasure(std::make_shared<FixedTextMeasure>(10, 20));
    store.SetDefaultRowHeight(kRowHeight);
    for (int c = 0; c < 14; ++c) store.PutColumnWidth(c, 0);
    store.PutColumnWidth(7, 30);
    store.PutColumnWidth(8, 200);
    store.PutColumnWidth(10, 30);
    store.PutColumnWidth(11, 30);
    store.ResizeRows(kRows);
    grid_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid_.get()));
    ASSERT_EQ(grid_->viewport()->height(), 20 * kRowHeight + 11);
    reports_ = std::make_unique<QSignalSpy>(grid_.get(), &InfoGrid::scrollReported);
  }

  // The reports are posted: none may have arrived before the event loop runs.
  int ReportsAfterEvents() {
    EXPECT_EQ(reports_->count(), 0) << "scroll report sent instead of posted";
    QCoreApplication::processEvents();
    return static_cast<int>(reports_->count());
  }

  void Wheel(int delta_y) {
    const QPoint pos(50, 50);
    QWheelEvent event(pos, grid_->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta_y),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid_->viewport(), &event);
  }

  std::unique_ptr<InfoGrid> grid_;
  std::unique_ptr<QSignalSpy> reports_;
};

TEST_F(InfoGridTest, PageDownThenEndOfScrollReportsOnceWithTheMark) {
  EXPECT_EQ(grid_->ScrollMark(), 0);
  grid_->Scroll(InfoGrid::ScrollCode::kPageDown);
  EXPECT_EQ(grid_->TopRow(), 20);  // the partly shown row 20 is the new first row
  EXPECT_EQ(grid_->ScrollMark(), 0) << "the mark waits for the end of the scroll";
  grid_->Scroll(InfoGrid::ScrollCode::kEndScroll);
  EXPECT_EQ(grid_->ScrollMark(), 21);
  EXPECT_EQ(ReportsAfterEvents(), 1);
  EXPECT_EQ(grid_->verticalScrollBar()->value(), 20);

  grid_->Scroll(InfoGrid::ScrollCode::kPageUp);
  grid_->Scroll(InfoGrid::ScrollCode::kEndScroll);
  EXPECT_EQ(grid_->TopRow(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(grid_->ScrollMark(), 1);
  EXPECT_EQ(reports_->count(), 2);
}

// Rows that a key brings into view must be loaded like those of the scroll
// bar: every key that scrolled ends with a report and the mark of the view.
TEST_F(InfoGridTest, KeysThatScrollReportWithTheMark) {
  QTest::keyClick(grid_.get(), Qt::Key_PageDown);
  QTest::keyClick(grid_.get(), Qt::Key_PageDown);
  EXPECT_EQ(grid_->TopRow(), 40);
  EXPECT_EQ(grid_->ScrollMark(), 41);
  EXPECT_EQ(ReportsAfterEvents(), 2);
  QTest::keyClick(grid_.get(), Qt::Key_PageUp);
  EXPECT_EQ(grid_->TopRow(), 20);
  QTest::keyClick(grid_.get(), Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid_->TopRow(), 0);
  EXPECT_EQ(grid_->ScrollMark(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(reports_->count(), 4);
  // A key that does not move the view reports nothing.
  QTest::keyClick(grid_.get(), Qt::Key_PageUp);
  QCoreApplication::processEvents();
  EXPECT_EQ(reports_->count(), 4);
}

TEST_F(InfoGridTest, CtrlEndScrollsToTheLastPageAndReports) {
  QTest::keyClick(grid_.get(), Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid_->TopRow(), kRows - 20);  // the last 20 rows fill the view
  EXPECT_EQ(grid_->ScrollMark(), kRows - 20 + 1);
  EXPECT_EQ(ReportsAfterEvents(), 1);
  grid_->Scroll(InfoGrid::ScrollCode::kPageDown);  // already at the end
  EXPECT_EQ(grid_->TopRow(), kRows - 20);
}

TEST_F(InfoGridTest, FewerRowsPullTheViewBack) {
  grid_->ScrollToRow(70);
  grid_->Store().ResizeRows(30);
  EXPECT_EQ(grid_->TopRow(), 10);
  grid_->Store().RemoveAllRows();
  EXPECT_EQ(grid_->TopRow(), 0);
  EXPECT_FALSE(grid_->FocusCell().IsValid());
}

// Away from the top, rows that arrive on top leave the view on the rows it
// showed, and a bar says how many wait above; at the top they come in.
TEST_F(InfoGridTest, AwayFromTheTopRowsInsertedOnTopDoNotMoveTheView) {
  grid_->ScrollToRow(5);
  grid_->Store().InsertRowAt("", 0);
  grid_->Store().InsertRowAt("", 0);
  EXPECT_EQ(grid_->TopRow(), 7);
  EXPECT_EQ(grid_->NewRowsWaiting(), 2);
  EXPECT_EQ(grid_->verticalScrollBar()->maximum(), kRows + 2 - 20);
  // A row that arrives hidden (a blocked member's) is not news.
  grid_->Store().InsertRowAt("", 0);
  grid_->Store().SetRowHidden(0, true);
  EXPECT_EQ(grid_->TopRow(), 8);
  EXPECT_EQ(grid_->NewRowsWaiting(), 2);
  QTest::keyClick(grid_.get(), Qt::Key_Home);
  EXPECT_EQ(grid_->TopRow(), 1);
  EXPECT_EQ(grid_->NewRowsWaiting(), 0);
  // At the top, a new row is the first in view.
  grid_->Store().InsertRowAt("", 0);
  EXPECT_EQ(grid_->TopRow(), 0);
  EXPECT_EQ(grid_->NewRowsWaiting(), 0);
}

TEST_F(InfoGridTest, DoubleClickReportsRowAndColumnSkippingHiddenColumns) {
  QSignalSpy clicks(grid_.get(), &InfoGrid::doubleClicked);
  struct Case {
    int x;
    int expected_column;
  };
  // x = 0 is the start of the hidden columns 0-6: they must not take the hit.
  const Case cases[] = {{0, 7},    {29, 7},   {30, 8},   {229, 8},
                        {230, 10}, {259, 10}, {260, 11}, {289, 11}};
  grid_->ScrollToRow(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    clicks.clear();
    QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(c.x, 2 * kRowHeight + 5));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 5);
    EXPECT_EQ(clicks.at(0).at(1).toInt(), c.expected_column);
  }
  clicks.clear();
  QTest::mouseDClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(295, 5));
  EXPECT_EQ(clicks.count(), 0) << "right of the last column is no cell";
}

// Enter is the keyboard's double click on the focus row, and stays in the
// grid (the window would take it for its default button).
TEST_F(InfoGridTest, EnterReportsADoubleClickOnTheFocusRow) {
  QSignalSpy clicks(grid_.get(), &InfoGrid::doubleClicked);
  auto enter = [this](int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    press.ignore();
    QCoreApplication::sendEvent(grid_.get(), &press);
    return press.isAccepted();
  };
  EXPECT_TRUE(enter(Qt::Key_Return));
  EXPECT_EQ(clicks.count(), 0) << "no focus row yet";
  grid_->SetFocusCell(5, 11);
  EXPECT_TRUE(enter(Qt::Key_Return));
  grid_->SetEnterColumn(8);
  EXPECT_TRUE(enter(Qt::Key_Enter));
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_EQ(clicks.at(0), (QList<QVariant>{5, 11}));
  EXPECT_EQ(clicks.at(1), (QList<QVariant>{5, 8}));
  EXPECT_EQ(grid_->FocusCell().column, 11) << "the focus stays where it was";
}

TEST_F(InfoGridTest, ClickMakesTheFocusCell) {
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 30));
  EXPECT_EQ(grid_->FocusCell().row, 1);
  EXPECT_EQ(grid_->FocusCell().column, 8);
  EXPECT_EQ(grid_->CellAt(QPoint(0, 30)).column, 7);
}

TEST_F(InfoGridTest, HiddenColumnIsNotDrawn) {
  RowStore& store = grid_->Store();
  grid_->SetLineColour(MakeColour(192, 192, 192));
  // Black text and the red focus frame on the hidden columns only.
  for (int c = 0; c < 7; ++c) store.PutCellText(0, c, "WWWWWWWW");
  store.PutCellBackColour(0, 3, MakeColour(0, 0, 0));
  grid_->SetFocusCell(0, 0);
  const QImage image = grid_->viewport()->grab().toImage();
  int dark = 0;
  int red = 0;
  for (int y = 0; y < kRowHeight; ++y) {
    for (int x = 0; x < 290; ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() < 120 && c.green() < 120 && c.blue() < 120) ++dark;
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
    }
  }
  EXPECT_EQ(dark, 0);
  EXPECT_EQ(red, 0);
  // The same text in a shown column is drawn (the check above can fail).
  store.PutCellText(0, 8, "WWWWWWWW");
  const QImage shown = grid_->viewport()->grab().toImage();
  int shown_dark = 0;
  for (int y = 0; y < kRowHeight; ++y) {
    for (int x = 30; x < 230; ++x) {
      const QColor c = shown.pixelColor(x, y);
      if (c.red() < 120 && c.green() < 120 && c.blue() < 120) ++shown_dark;
    }
  }
  EXPECT_GT(shown_dark, 0);
}

TEST_F(InfoGridTest, AGridWithoutRowsShowsItsEmptyText) {
  const auto dark_pixels = [&] {
    const QImage image = grid_->viewport()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        dark += c.red() + c.green() + c.blue() < 3 * 130;
      }
    }
    return dark;
  };
  grid_->Store().ResizeRows(0);
  EXPECT_EQ(dark_pixels(), 0) << "no text until the owner gives one";
  grid_->SetEmptyText(QString::fromUtf8("该地区暂无信息"));
  EXPECT_GT(dark_pixels(), 50);
  grid_->Store().ResizeRows(3);
  EXPECT_EQ(dark_pixels(), 0) << "rows, even empty ones, are no empty list";
}

TEST_F(InfoGridTest, WheelByLinesMovesTheFocusAndReportsEachEvent) {
  ASSERT_NE(grid_->WheelStep(), -1);
  grid_->SetFocusCell(0, 8);
  Wheel(-120);  // towards the user
  EXPECT_EQ(grid_->FocusCell().row, 1);
  EXPECT_EQ(grid_->FocusCell().column, 8);
  EXPECT_EQ(grid_->TopRow(), 0);
  EXPECT_EQ(ReportsAfterEvents(), 1);
  // Down to the last wholly shown row (19): no scrolling yet.
  for (int i = 0; i < 18; ++i) Wheel(-120);
  EXPECT_EQ(grid_->FocusCell().row, 19);
  EXPECT_EQ(grid_->TopRow(), 0);
  Wheel(-120);  // row 20 is only partly shown: one line down
  EXPECT_EQ(grid_->FocusCell().row, 20);
  EXPECT_EQ(grid_->TopRow(), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(reports_->count(), 20);
  EXPECT_EQ(grid_->ScrollMark(), 2);
  // Up: row 1 is still in view, row 0 is not.
  grid_->SetFocusCell(2, 8);
  Wheel(120);
  EXPECT_EQ(grid_->TopRow(), 1);
  Wheel(120);
  EXPECT_EQ(grid_->FocusCell().row, 0);
  EXPECT_EQ(grid_->TopRow(), 0);
  Wheel(120);  // stays within the rows
  EXPECT_EQ(grid_->FocusCell().row, 0);
}

TEST_F(InfoGridTest, WheelByPagesScrollsAndReportsEachEvent) {
  grid_->SetWheelStep(-1);
  Wheel(-120);
  EXPECT_EQ(grid_->TopRow(), 20);
  EXPECT_EQ(grid_->ScrollMark(), 21);
  Wheel(-240);  // two notches, two pages
  EXPECT_EQ(grid_->TopRow(), 60);
  Wheel(120);
  EXPECT_EQ(grid_->TopRow(), 40);
  EXPECT_EQ(grid_->ScrollMark(), 41);
  EXPECT_EQ(ReportsAfterEvents(), 3);
  EXPECT_FALSE(grid_->FocusCell().IsValid());
}

// The wheel over the scroll bar scrolls the bar itself; its scroll ends with
// a report too, carrying the mark of where the bar went.
TEST_F(InfoGridTest, WheelOverTheScrollBarReports) {
  QScrollBar* bar = grid_->verticalScrollBar();
  const QPoint pos(bar->width() / 2, bar->height() / 2);
  QWheelEvent event(pos, bar->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(bar, &event);
  const int top = grid_->TopRow();
  EXPECT_GT(top, 0);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(reports_->count(), 1);
  EXPECT_EQ(grid_->ScrollMark(), top + 1);
}

// With the focus cell left above the view (the scroll bar or "末页" moved the
// view, not the focus), a notch towards the user still moves the view down.
TEST_F(InfoGridTest, WheelFollowsItsOwnDirectionWhenTheFocusIsOutOfView) {
  grid_->SetFocusCell(0, 8);
  grid_->ScrollToRow(50);
  Wheel(-120);
  EXPECT_EQ(grid_->FocusCell().row, 1);
  EXPECT_EQ(grid_->TopRow(), 51);
  // And away from the user with the focus below the view: up.
  grid_->SetFocusCell(90, 8);
  Wheel(120);
  EXPECT_EQ(grid_->FocusCell().row, 89);
  EXPECT_EQ(grid_->TopRow(), 50);
}

TEST_F(InfoGridTest, ArrowKeysMoveTheFocusOverShownColumnsOnly) {
  grid_->SetFocusCell(0, 8);
  QTest::keyClick(grid_.get(), Qt::Key_Right);
  EXPECT_EQ(grid_->FocusCell().column, 10);
  QTest::keyClick(grid_.get(), Qt::Key_Tab);
  EXPECT_EQ(grid_->FocusCell().column, 11);
  QTest::keyClick(grid_.get(), Qt::Key_Right);  // no shown column further right
  EXPECT_EQ(grid_->FocusCell().column, 11);
  QTest::keyClick(grid_.get(), Qt::Key_Home);
  EXPECT_EQ(grid_->FocusCell().column, 7);
  QTest::keyClick(grid_.get(), Qt::Key_End);
  EXPECT_EQ(grid_->FocusCell().column, 11);
  EXPECT_EQ(grid_->TopRow(), 0) << "Home and End alone do not scroll";
  EXPECT_EQ(ReportsAfterEvents(), 0);
  for (int i = 0; i < 20; ++i) QTest::keyClick(grid_.get(), Qt::Key_Down);
  EXPECT_EQ(grid_->FocusCell().row, 20);
  EXPECT_EQ(grid_->TopRow(), 1);
  // Only the last move scrolled, and only it reports.
  QCoreApplication::processEvents();
  EXPECT_EQ(reports_->count(), 1);
  EXPECT_EQ(grid_->ScrollMark(), 2);
}

TEST_F(InfoGridTest, FittedRowsChangeTheLastPage) {
  RowStore& store = grid_->Store();
  // Rows of 68 pixels (three lines) at the end: fewer of them fit.
  for (int r = kRows - 10; r < kRows; ++r) {
    store.PutCellText(r, 8, std::string(50, 'x'));  // 18 characters a line in 200 px
    store.FitRowToText(r, 8, store.ColumnWidth(8));
    ASSERT_EQ(store.RowHeight(r), 20 + 2 * 23 + 2);
  }
  grid_->Scroll(InfoGrid::ScrollCode::kBottom);
  // 6 rows of 68 = 408 fit in 451; a seventh would not.
  EXPECT_EQ(grid_->TopRow(), kRows - 6);
  EXPECT_EQ(ReportsAfterEvents(), 1);
}

// Writes are taken in once the event loop runs and drawn in the frame that
// follows: WaitForNext waits for that frame. Every frame's painted area is
// kept.
struct FrameCounter : QObject {
  int frames = 0;
  QRegion painted;
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++frames;
      painted += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
  }
  void WaitForNext() {
    const int before = frames;
    QCoreApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frames > before; }, 5000));
  }
};

// New messages as the feed puts them on top.
void InsertOnTop(InfoGrid& grid, int count, const char* text) {
  for (int i = 0; i < count; ++i) {
    grid.Store().InsertRowAt("", 0);
    grid.Store().PutCellText(0, 8, text);
    grid.Store().PutCellImage(0, 7, 1);
  }
}

// The grid moves the pixels already on screen when rows arrive on top and
// paints only the rows written. Whatever the writes, what is on screen
// afterwards must be what a paint of the whole view draws.
TEST_F(InfoGridTest, TheScreenShowsTheStoreAfterWrites) {
  FrameCounter counter;
  const auto next_frame = [&counter] { counter.WaitForNext(); };
  struct Case {
    const char* name;
    std::function<void(InfoGrid&)> writes;
  };
  const std::vector<Case> cases = {
      {"rows on top", [](InfoGrid& g) { InsertOnTop(g, 5, "new"); }},
      {"rows on top of a taller one",
       [&](InfoGrid& g) {
         InsertOnTop(g, 1, "tall");
         g.Store().PutCellText(0, 8, std::string(50, 'x'));
         g.Store().FitRowToText(0, 8, g.Store().ColumnWidth(8));
         InsertOnTop(g, 2, "new");
       }},
      {"the focus stays on its row index",
       [&](InfoGrid& g) {
         g.SetFocusCell(3, 8);
         next_frame();
         InsertOnTop(g, 2, "new");
       }},
      {"a cell on screen", [](InfoGrid& g) { g.Store().PutCellText(4, 8, "changed"); }},
      {"a row on screen grows",
       [](InfoGrid& g) {
         g.Store().PutCellText(2, 8, std::string(50, 'y'));
         g.Store().FitRowToText(2, 8, g.Store().ColumnWidth(8));
       }},
      {"rows on top of a view scrolled down",
       [&](InfoGrid& g) {
         g.ScrollToRow(10);
         next_frame();
         InsertOnTop(g, 3, "new");
       }},
      {"a row on top, then its height",
       [](InfoGrid& g) {
         InsertOnTop(g, 1, "new");
         g.Store().PutRowHeight(0, 34);
       }},
      {"a row on screen shrinks", [](InfoGrid& g) { g.Store().PutRowHeight(6, 12); }},
      {"a text below the view, and one on screen",
       [](InfoGrid& g) {
         g.Store().PutCellText(60, 8, "far");
         g.Store().PutCellText(2, 8, "near");  // so that a frame follows
       }},
      {"an insert inside the view", [](InfoGrid& g) { g.Store().InsertRowAt("mid", 6); }},
      {"two polls before a frame",
       [&](InfoGrid& g) {
         InsertOnTop(g, 2, "one");
         QCoreApplication::processEvents();  // taken in, not yet drawn
         InsertOnTop(g, 2, "two");
       }},
      {"rows go", [](InfoGrid& g) { g.Store().ResizeRows(8); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    QWidget* view = grid_->viewport();
    view->installEventFilter(&counter);
    RowStore& store = grid_->Store();
    for (int r = 0; r < kRows; ++r) store.PutCellText(r, 8, "row " + std::to_string(r));
    next_frame();
    c.writes(*grid_);
    grid_->Redraw();  // as the feed asks after every answer it applies
    next_frame();
    const QImage screen =
        grid_->screen()
            ->grabWindow(grid_->winId(), view->x(), view->y(), view->width(), view->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    // Rendered afresh with what lies over the rows (the bar of new rows).
    const QImage painted =
        grid_->grab(view->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(screen.size(), painted.size());
    EXPECT_TRUE(screen == painted);
  }
}

// A poll of a few rows on top of a full view, with the feed's redraw after
// it, paints those rows only: a repaint of every row on screen after each
// poll cost a busy list most of its CPU.
TEST_F(InfoGridTest, APollOnTopPaintsOnlyTheNewRows) {
  FrameCounter counter;
  grid_->viewport()->installEventFilter(&counter);
  for (int r = 0; r < kRows; ++r) grid_->Store().PutCellText(r, 8, "row " + std::to_string(r));
  counter.WaitForNext();
  counter.painted = QRegion();
  InsertOnTop(*grid_, 5, "new");
  grid_->Redraw();
  counter.WaitForNext();
  EXPECT_EQ(counter.painted.boundingRect(),
            QRect(0, 0, grid_->viewport()->width(), 5 * kRowHeight));
}

// With the program's own measure and fonts, as the feed writes rows: every
// row is exactly as tall as the lines drawn into it. Rows whose text ends
// near the edge of a line are the ones a measure other than the drawing's
// got wrong (an empty second line, or a last line cut off). "宋体" stands for
// a face with a tall line box and proportional Latin letters, "新宋体" for one
// whose line box is 1 em.
TEST(InfoGridLook, RowsAreAsTallAsTheLinesDrawnInThem) {
  App();
  std::vector<std::string> texts;
  for (int n = 34; n <= 46; ++n) {
    std::string content;
    for (int i = 0; i < n; ++i) content += i % 7 == 3 ? "9.6米" : "货";
    texts.push_back(Utf8ToGbk("【郑州】Ξ郑州§" + content + " Ψ13897912250§ δ12-10 8:56§"));
  }
  for (const demo::SampleRow& sample : demo::MakeSampleRows()) texts.push_back(sample.row_text);
  for (const char* face : {"宋体", "新宋体"}) {
    SCOPED_TRACE(face);
    InfoGrid grid;
    grid.setFrameShape(QFrame::NoFrame);
    grid.resize(1024 - 126, 900);
    grid.SetBackColour(MakeColour(255, 255, 255));
    RowStore& store = grid.Store();
    demo::PutFeedColumnWidths(store, grid.width());
    CellFont font;
    font.face = Utf8ToGbk(face);
    font.height = 20;
    store.ResizeRows(static_cast<int>(texts.size()));
    demo::SampleRow row = demo::MakeSampleRows()[0];
    for (std::size_t i = 0; i < texts.size(); ++i) {
      row.row_text = texts[i];
      demo::PutSampleRow(store, static_cast<int>(i), row, font);
    }
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    const int step = MarkedLineStep(CharAdvancesOf(font).One());
    const int left = 30 + kCellMargin;
    const int right = 30 + store.ColumnWidth(8) - kCellMargin;
    int top = 0;
    int rows_seen = 0;
    for (int r = 0; r < store.RowCount() && top + store.RowHeight(r) <= image.height(); ++r) {
      const int height = store.RowHeight(r);
      int last_ink = -1;
      for (int y = top; y < top + height - 1; ++y) {
        for (int x = left; x < right; ++x) {
          const QColor c = image.pixelColor(x, y);
          if (c.red() + c.green() + c.blue() < 3 * 160) last_ink = y - top;
        }
      }
      SCOPED_TRACE("row " + std::to_string(r) + ", height " + std::to_string(height));
      ASSERT_GE(last_ink, 0) << "nothing drawn";
      // No room for another line below the last one drawn, and the last
      // line not cut by the row's bottom line.
      EXPECT_LT(height - 1 - last_ink, step);
      EXPECT_LT(last_ink, height - 2);
      top += height;
      ++rows_seen;
    }
    EXPECT_GE(rows_seen, 12);
  }
}

// On a screen of device pixel ratio 2 the pictures come from a strip drawn
// with twice the pixels: what the grid paints into a 2x image is the sharp
// strip's pixels, not the plain strip blown up.
TEST(InfoGridHiDpi, PicturesAreDrawnFromTheSharpStrip) {
  App();
  const QImage plain = ApplyGreenKey(DrawImageStripKeyed(1));
  const QImage sharp = DrawImageStrip(2);
  ASSERT_EQ(sharp.size(), plain.size() * 2);
  // The same shapes: a 2 x 2 block mostly has the plain pixel's coverage ...
  int differing = 0;
  bool any_mixed_block = false;
  for (int y = 0; y < plain.height(); ++y) {
    for (int x = 0; x < plain.width(); ++x) {
      int opaque = 0;
      for (int d = 0; d < 4; ++d) opaque += qAlpha(sharp.pixel(2 * x + d % 2, 2 * y + d / 2)) != 0;
      differing += (opaque >= 2) != (qAlpha(plain.pixel(x, y)) != 0);
      any_mixed_block |= opaque != 0 && opaque != 4;
    }
  }
  EXPECT_LT(differing, plain.width() * plain.height() / 20);
  // ... with finer edges than a blown-up picture has.
  EXPECT_TRUE(any_mixed_block);

  const QPixmap strip = StandardImageStrip(2);
  EXPECT_EQ(strip.devicePixelRatio(), 2.0);
  EXPECT_EQ(strip.deviceIndependentSize(), QSizeF(kImageSize * kImageStripCount, kImageSize));

  // Given the sharp strip, or left with the one it starts with (drawn for
  // the application's ratio, 1 here): a grid painting on a 2x surface takes
  // the pictures of the 2x strip, as when its window moves to a HiDPI screen.
  for (const bool given : {true, false}) {
    SCOPED_TRACE(given ? "strip given" : "grid's own strip");
    InfoGrid grid;
    grid.setFrameShape(QFrame::NoFrame);
    grid.resize(200, 60);
    RowStore& store = grid.Store();
    store.SetDefaultRowHeight(22);
    for (int c = 0; c < 14; ++c) store.PutColumnWidth(c, 0);
    store.PutColumnWidth(7, 30);
    store.ResizeRows(1);
    store.PutCellImage(0, 7, strip::kTruck);
    grid.SetBackColour(MakeColour(255, 255, 255));
    if (given) grid.SetImageStrip(strip);
    QImage shot(grid.viewport()->size() * 2, QImage::Format_ARGB32);
    shot.setDevicePixelRatio(2);
    shot.fill(Qt::white);
    grid.viewport()->render(&shot);
    const QImage picture = strip.toImage().copy(strip::kTruck * kImageSize * 2, 0, 32, 32);
    const QPoint origin(2 * InfoGrid::kCellMargin, 2 * InfoGrid::kCellMargin);
    int compared = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const QRgb want = picture.pixel(x, y);
        if (qAlpha(want) != 255) continue;
        ++compared;
        ASSERT_EQ(shot.pixel(origin + QPoint(x, y)) & 0xFFFFFF, want & 0xFFFFFF) << x << "," << y;
      }
    }
    EXPECT_GT(compared, 100);
  }
}

}  // namespace
}  // namespace tv
