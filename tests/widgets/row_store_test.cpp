#include "grid/row_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tv {
namespace {

// Every byte is `font.height / 2` wide (10 with no font height), the line
// height is the font height (20 by default): a cell font must be the one used.
class FontScaledMeasure final : public TextMeasure {
 public:
  TextExtent Measure(const CellFont& font, std::string_view gbk) const override {
    const int h = font.height != 0 ? font.height : 20;
    return {static_cast<int>(gbk.size()) * h / 2, h};
  }
};

RowStore MakeStore(int rows) {
  RowStore store(14, std::make_shared<FontScaledMeasure>());
  store.ResizeRows(rows);
  return store;
}

struct FitCase {
  const char* name;
  std::string text;  // each byte 10 px wide at th = 20, w1 = 10
  int width;
  int expected_height;
};

std::string Bytes(int n) { return std::string(static_cast<std::size_t>(n), 'x'); }

// Lines as the drawing makes them: inside the 2 px cell margins, wrapping once
// x passes the right edge less 2 x w1, so a column 100 wide holds 8 bytes a
// line. One line is th + 2 high, every further line one line step
// (2 x w1 + th / 6 = 23) more.
TEST(RowStoreFit, HeightFollowsTheDrawnLines) {
  const FitCase cases[] = {
      {"one line", Bytes(5), 100, 22},
      {"empty text is one line", "", 100, 22},
      {"a full line is one line", Bytes(8), 100, 22},
      {"one byte more is two lines", Bytes(9), 100, 45},
      {"25 bytes take four lines", Bytes(25), 100, 91},
      {"thirteen lines stay", Bytes(104), 100, 22 + 12 * 23},  // 298
      {"fourteen lines reach 300: capped", Bytes(105), 100, 60},
      {"width 0 counts as 1: a line a character", Bytes(5), 0, 22 + 4 * 23},
      {"negative width counts as 1", Bytes(1), -5, 22},
      // Markers are never drawn and take no room: these 8 characters fit one
      // line although the text has 12 bytes.
      {"markers take no room",
       "\xA6\xB7"
       "1234"
       "\xA1\xEC"
       "\xA6\xC4"
       "5678",
       100, 22},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.name);
    RowStore store = MakeStore(3);
    store.PutCellText(1, 8, c.text);
    store.FitRowToText(1, 8, c.width);
    EXPECT_EQ(store.RowHeight(1), c.expected_height);
    EXPECT_EQ(store.CellFormatOf(1, 8), kFormatWordWrap | kFormatVCentre);
    EXPECT_EQ(store.RowHeight(0), RowStore::kInitialRowHeight);  // neighbours untouched
  }
}

TEST(RowStoreFit, UsesTheCellsOwnFont) {
  RowStore store = MakeStore(1);
  CellFont big;
  big.height = 30;
  store.PutCellText(0, 8, "abc");  // 45 px at 30 high
  store.PutCellFont(0, 8, big);
  store.FitRowToText(0, 8, 100);
  EXPECT_EQ(store.RowHeight(0), 32);
  store.FitRowToText(0, 8, 20);  // a line a character, 2 x 15 + 30 / 6 apart
  EXPECT_EQ(store.RowHeight(0), 30 + 2 * 35 + 2);
}

TEST(RowStoreFit, OutsideTheStoreDoesNothing) {
  RowStore store = MakeStore(2);
  store.FitRowToText(2, 8, 100);
  store.FitRowToText(-1, 8, 100);
  store.FitRowToText(0, 14, 100);
  EXPECT_EQ(store.FilledRowCount(), 0u);
  EXPECT_EQ(store.RowHeight(0), RowStore::kInitialRowHeight);
}

TEST(RowStore, MillionRowsStaySparseUntilWritten) {
  RowStore store = MakeStore(1'000'000);
  EXPECT_EQ(store.RowCount(), 1'000'000);
  EXPECT_EQ(store.FilledRowCount(), 0u);
  store.PutCellText(999'999, 8, "last");
  store.PutCellText(5, 3, "");  // empty text into an unwritten row keeps it unwritten
  store.PutCellImage(6, 7, kImageNone);
  EXPECT_EQ(store.FilledRowCount(), 1u);
  EXPECT_EQ(store.GetCellText(999'999, 8), "last");
  EXPECT_EQ(store.GetCellText(999'998, 8), "");
  EXPECT_FALSE(store.FindCell(5, 3).has_value());
  store.ResizeRows(10);
  EXPECT_EQ(store.FilledRowCount(), 0u);
  store.ResizeRows(1'000'000);  // grown again: the old row does not come back
  EXPECT_EQ(store.GetCellText(999'999, 8), "");
}

TEST(RowStore, OutsideCellsReadEmptyAndIgnoreWrites) {
  RowStore store = MakeStore(2);
  const int bad[][2] = {{-1, 0}, {2, 0}, {0, -1}, {0, 14}, {1 << 30, 1 << 30}};
  for (const auto& rc : bad) {
    store.PutCellText(rc[0], rc[1], "x");
    store.PutCellImage(rc[0], rc[1], 3);
    store.PutCellColour(rc[0], rc[1], 5);
    store.PutCellFont(rc[0], rc[1], CellFont{});
    store.PutRowHeight(rc[0], 99);
    EXPECT_EQ(store.GetCellText(rc[0], rc[1]), "");
    EXPECT_EQ(store.CellImage(rc[0], rc[1]), kImageNone);
    EXPECT_EQ(store.CellColour(rc[0], rc[1]), kDefaultColour);
  }
  EXPECT_EQ(store.FilledRowCount(), 0u);
  EXPECT_EQ(store.RowCount(), 2);
}

TEST(RowStore, InsertRowAt) {
  struct Case {
    const char* name;
    int rows;
    int index;
    int expected;  // returned index
  };
  const Case cases[] = {
      {"on top", 3, 0, 0},
      {"in the middle", 3, 2, 2},
      {"-1 appends", 3, -1, 3},
      {"-1 appends to an empty store", 0, -1, 0},
      {"at the end is outside", 3, 3, -1},
      {"top of an empty store is outside", 0, 0, -1},
      {"below -1 is outside", 3, -2, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RowStore store = MakeStore(c.rows);
    for (int r = 0; r < c.rows; ++r) {
      store.PutCellText(r, 8, std::to_string(r));
      store.PutRowHeight(r, 30 + r);
    }
    EXPECT_EQ(store.InsertRowAt("", c.index), c.expected);
    if (c.expected < 0) {
      EXPECT_EQ(store.RowCount(), c.rows);
      continue;
    }
    ASSERT_EQ(store.RowCount(), c.rows + 1);
    EXPECT_EQ(store.GetCellText(c.expected, 8), "");
    EXPECT_EQ(store.RowHeight(c.expected), store.DefaultRowHeight());
    // Every old row keeps its text and height, shifted past the new one.
    for (int r = 0; r < c.rows; ++r) {
      const int now = r < c.expected ? r : r + 1;
      EXPECT_EQ(store.GetCellText(now, 8), std::to_string(r));
      EXPECT_EQ(store.RowHeight(now), 30 + r);
    }
  }
}

TEST(RowStore, InsertRowAtPutsTheTextInColumnZero) {
  RowStore store = MakeStore(1);
  EXPECT_EQ(store.InsertRowAt("id", 0), 0);
  EXPECT_EQ(store.GetCellText(0, 0), "id");
  EXPECT_EQ(store.FilledRowCount(), 1u);
}

TEST(RowStore, BlankAllCellsKeepsEverythingButTheText) {
  RowStore store = MakeStore(3);
  CellFont font;
  font.height = 30;
  store.PutCellText(1, 8, "text");
  store.PutCellImage(1, 7, strip::kTruck);
  store.PutCellFont(1, 8, font);
  store.PutCellColour(1, 8, MakeColour(1, 2, 3));
  store.PutRowHeight(1, 51);
  store.BlankAllCells();
  EXPECT_EQ(store.RowCount(), 3);
  EXPECT_EQ(store.GetCellText(1, 8), "");
  EXPECT_EQ(store.CellImage(1, 7), strip::kTruck);
  ASSERT_NE(store.CellFontOf(1, 8), nullptr);
  EXPECT_EQ(store.CellFontOf(1, 8)->height, 30);
  EXPECT_EQ(store.CellColour(1, 8), MakeColour(1, 2, 3));
  EXPECT_EQ(store.RowHeight(1), 51);
}

TEST(RowStore, CellFontSurvivesAGridFontChange) {
  RowStore store = MakeStore(1);
  CellFont font;
  font.height = 20;
  store.PutCellFont(0, 8, font);
  CellFont other;
  other.height = 12;
  store.SetGridFont(other);
  ASSERT_NE(store.CellFontOf(0, 8), nullptr);
  EXPECT_EQ(store.CellFontOf(0, 8)->height, 20);
  EXPECT_EQ(store.CellFontOf(0, 7), nullptr);
  store.PutCellFont(0, 7, font);  // the same font is shared, not added twice
  EXPECT_EQ(store.FontCount(), 2u);
}

TEST(RowStore, ReportsWhatChanged) {
  RowStore store = MakeStore(0);
  using C = RowStore::Change;
  std::vector<std::pair<C, int>> seen;
  store.SetChangeHandler([&seen](C c, int row) { seen.emplace_back(c, row); });
  store.ResizeRows(5);
  store.ResizeRows(5);  // no change, no report
  store.PutCellText(3, 8, std::string(25, 'x'));
  store.FitRowToText(3, 8, 100);
  store.PutColumnWidth(8, 100);
  store.InsertRowAt("", 0);
  store.InsertRowAt("", -1);
  store.PutCellImage(6, 1, 2);
  store.RemoveAllRows();
  // The row tells a view which rows to repaint and which rows an insert
  // pushed down; -1 stands for "any".
  const std::vector<std::pair<C, int>> expected = {
      {C::kRows, -1}, {C::kCells, 3}, {C::kHeights, 3}, {C::kCells, 3}, {C::kColumns, -1},
      {C::kRows, 0},  {C::kRows, 6},  {C::kCells, 6},   {C::kRows, -1}};
  EXPECT_EQ(seen, expected);
}

TEST(RowStore, SetColumnCountKeepsFilledRows) {
  RowStore store = MakeStore(2);
  store.PutCellText(0, 3, "keep");
  store.PutCellText(0, 10, "drop");
  store.SetColumnCount(5);
  EXPECT_EQ(store.GetCellText(0, 3), "keep");
  EXPECT_EQ(store.GetCellText(0, 10), "");
  store.SetColumnCount(14);
  EXPECT_EQ(store.GetCellText(0, 3), "keep");
  EXPECT_EQ(store.GetCellText(0, 10), "");
  EXPECT_EQ(store.FilledRowCount(), 1u);
}

// A filled row keeps its cells in one block that is rebuilt as texts change
// length and cells gain attributes: after any sequence of writes every cell
// must read back exactly what a plain cell-by-cell model holds.
TEST(RowStore, CellsStayApartThroughAnyOrderOfWrites) {
  struct ModelCell {
    std::string text;
    int image = kImageNone;
    Colour colour = kDefaultColour;
    Colour back = kDefaultColour;
    int font_height = -1;  // -1: the grid font
    std::uint8_t format = kFormatNone;
  };
  constexpr int kRows = 4;
  int columns = 14;
  RowStore store = MakeStore(kRows);
  std::vector<std::vector<ModelCell>> model(kRows, std::vector<ModelCell>(columns));
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  const std::string texts[] = {"", "a", "BB", "某地到某地", std::string(300, 'x'), "Ξ北京§"};
  for (int step = 0; step < 4000; ++step) {
    const int row = static_cast<int>(next(kRows));
    const int column = static_cast<int>(next(static_cast<std::uint32_t>(columns)));
    ModelCell& cell = model[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    switch (next(9)) {
      case 0:
      case 1:
      case 2: {
        const std::string& text = texts[next(6)];
        store.PutCellText(row, column, text);
        cell.text = text;
        break;
      }
      case 3: {  // a text taken from the same row
        const int from = static_cast<int>(next(static_cast<std::uint32_t>(columns)));
        store.PutCellText(row, column, store.GetCellText(row, from));
        cell.text = model[static_cast<std::size_t>(row)][static_cast<std::size_t>(from)].text;
        break;
      }
      case 4:
        cell.image = static_cast<int>(next(5));
        store.PutCellImage(row, column, cell.image);
        break;
      case 5:
        cell.colour = MakeColour(static_cast<int>(next(256)), 1, 2);
        store.PutCellColour(row, column, cell.colour);
        cell.back = MakeColour(3, static_cast<int>(next(256)), 4);
        store.PutCellBackColour(row, column, cell.back);
        break;
      case 6: {
        CellFont font;
        font.height = 10 + static_cast<int>(next(3));
        store.PutCellFont(row, column, font);
        cell.font_height = font.height;
        cell.format = static_cast<std::uint8_t>(next(4));
        store.PutCellFormat(row, column, cell.format);
        break;
      }
      case 7:
        if (next(40) == 0) {
          store.BlankAllCells();
          for (auto& cells : model) {
            for (ModelCell& c : cells) c.text.clear();
          }
        }
        break;
      case 8:
        if (next(40) == 0) {
          columns = columns == 14 ? 9 : 14;
          store.SetColumnCount(columns);
          for (auto& cells : model) cells.resize(static_cast<std::size_t>(columns));
        }
        break;
    }
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < columns; ++c) {
        const ModelCell& m = model[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
        ASSERT_EQ(store.GetCellText(r, c), m.text) << "step " << step << " cell " << r << "," << c;
        ASSERT_EQ(store.CellImage(r, c), m.image) << "step " << step;
        ASSERT_EQ(store.CellColour(r, c), m.colour) << "step " << step;
        ASSERT_EQ(store.CellBackColour(r, c), m.back) << "step " << step;
        ASSERT_EQ(store.CellFormatOf(r, c), m.format) << "step " << step;
        const CellFont* font = store.CellFontOf(r, c);
        ASSERT_EQ(font ? font->height : -1, m.font_height) << "step " << step;
      }
    }
  }
}

// Hidden rows against a plain list of flags: every look-up after a mix of
// hides, shows, inserts on top and in the middle, resizes and bulk settings.
TEST(RowStoreHiddenRows, LookUpsAgreeWithAPlainListThroughEveryChange) {
  RowStore store(2);
  std::vector<bool> model;  // hidden, by row
  std::uint32_t seed = 12345;
  const auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % bound;
  };
  const auto check = [&](int step) {
    std::vector<int> shown;
    for (std::size_t r = 0; r < model.size(); ++r) {
      ASSERT_EQ(store.RowHidden(static_cast<int>(r)), model[r]) << "step " << step;
      if (!model[r]) shown.push_back(static_cast<int>(r));
    }
    ASSERT_EQ(store.ShownRowCount(), static_cast<int>(shown.size())) << "step " << step;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      ASSERT_EQ(store.ShownRowAt(static_cast<int>(i)), shown[i]) << "step " << step;
      ASSERT_EQ(store.ShownIndexOf(shown[i]), static_cast<int>(i)) << "step " << step;
    }
    EXPECT_EQ(store.ShownRowAt(static_cast<int>(shown.size())), -1);
    for (int r = -1; r <= static_cast<int>(model.size()); ++r) {
      int expected_next = -1;
      for (int x : shown) {
        if (x > r) {
          expected_next = x;
          break;
        }
      }
      int expected_prev = -1;
      for (int x : shown) {
        if (x < r) expected_prev = x;
      }
      ASSERT_EQ(store.NextShownRow(r), expected_next) << "step " << step << " row " << r;
      ASSERT_EQ(store.PrevShownRow(r), expected_prev) << "step " << step << " row " << r;
    }
  };
  store.ResizeRows(40);
  model.assign(40, false);
  check(0);
  for (int step = 1; step <= 400; ++step) {
    const std::uint32_t op = next(100);
    const int n = store.RowCount();
    if (op < 45 && n > 0) {
      const int row = static_cast<int>(next(static_cast<std::uint32_t>(n)));
      const bool hidden = next(3) != 0;
      store.SetRowHidden(row, hidden);
      model[static_cast<std::size_t>(row)] = hidden;
    } else if (op < 75) {
      // A poll's row on top, sometimes hidden at once (a folded copy).
      ASSERT_EQ(store.InsertRowAt("", n > 0 ? 0 : -1), 0);
      model.insert(model.begin(), false);
      if (next(2) == 0) {
        store.SetRowHidden(0, true);
        model[0] = true;
      }
    } else if (op < 82 && n > 0) {
      const int at = static_cast<int>(next(static_cast<std::uint32_t>(n)));
      ASSERT_EQ(store.InsertRowAt("", at), at);
      model.insert(model.begin() + at, false);
    } else if (op < 88) {
      const int rows = static_cast<int>(next(60));
      store.ResizeRows(rows);
      model.resize(static_cast<std::size_t>(rows), false);
    } else if (op < 94) {
      const std::uint32_t every = next(4) + 1;
      store.SetHiddenRows([every](int row) { return row % static_cast<int>(every) == 0; });
      for (std::size_t r = 0; r < model.size(); ++r) model[r] = r % every == 0;
    } else if (op < 96) {
      store.RemoveAllRows();
      model.clear();
    }
    check(step);
    if (HasFatalFailure()) return;
  }
}

TEST(RowStoreHiddenRows, AHiddenRowHasNoHeightInTheViewAndKeepsItsCells) {
  RowStore store = MakeStore(3);
  store.PutCellText(1, 0, "kept");
  store.PutRowHeight(1, 40);
  std::vector<std::pair<RowStore::Change, int>> changes;
  store.SetChangeHandler([&](RowStore::Change c, int row) { changes.emplace_back(c, row); });
  store.SetRowHidden(1, true);
  EXPECT_EQ(store.ShownHeight(1), 0);
  EXPECT_EQ(store.RowHeight(1), 40);
  EXPECT_EQ(store.GetCellText(1, 0), "kept");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], std::pair(RowStore::Change::kShown, 1));
  store.SetRowHidden(1, true);  // no change, no notice
  EXPECT_EQ(changes.size(), 1u);
  store.SetRowHidden(1, false);
  EXPECT_EQ(store.ShownHeight(1), 40);
}

}  // namespace
}  // namespace tv
