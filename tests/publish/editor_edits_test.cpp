// Insertions and "←退格" of the publishing forms on the editor's text: at the
// start of the selection, on whole characters, within the content limit.
#include <gtest/gtest.h>

#include "publish/publish_record.h"
#include "publish_test_util.h"
#include "widgets/editor_edits.h"

namespace tv {
namespace {

using test::G;
using test::U;

std::u16string Apply(std::u16string text, const EditorChange& change) {
  text.replace(change.position, change.remove, change.insert);
  return text;
}

std::u16string Repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

TEST(EditorEdits, InsertGoesToTheSelectionStartAndKeepsTheSelectedText) {
  const std::u16string text = u"有车";
  // Caret after 有, 车 selected.
  const auto change = PlanInsertText(text, 1, u"货", 0);
  ASSERT_TRUE(change);
  EXPECT_EQ(Apply(text, *change), u"有货车");
  EXPECT_EQ(change->caret, 2u);
}

TEST(EditorEdits, InsertStopsAtTheContentLimit) {
  struct Case {
    std::u16string text;
    int limit;
    bool inserts;
  } cases[] = {
      {Repeat(u'货', 50), 50, false},
      {Repeat(u'货', 49), 50, true},
      {Repeat(u'a', 49), 50, true},
      {Repeat(u'货', 500), 0, true},  // no limit
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlanInsertText(c.text, c.text.size(), u"高价急走", c.limit).has_value(), c.inserts)
        << c.text.size() << " " << c.limit;

  // One insertion at 49 may pass the limit; none follows it.
  std::u16string text = Repeat(u'货', 49);
  text = Apply(text, *PlanInsertText(text, 49, u"高价", 50));
  EXPECT_FALSE(PlanInsertText(text, 0, u"x", 50));
}

TEST(EditorEdits, BackspaceTakesOneWholeCharacter) {
  struct Case {
    std::u16string text;
    std::size_t selection_start;
    std::u16string after;
    std::size_t caret;
  } cases[] = {
      {u"济宁", 2, u"济", 1},
      {u"9.6", 3, u"9.", 2},
      {u"a\U0001F69Ab", 3, u"ab", 1},  // a surrogate pair goes whole
      {u"abc", 2, u"ac", 1},           // before the selection start, not at the end
  };
  for (const Case& c : cases) {
    const auto change = PlanBackspace(c.text, c.selection_start);
    ASSERT_TRUE(change);
    EXPECT_EQ(Apply(c.text, *change), c.after);
    EXPECT_EQ(change->caret, c.caret);
  }
  EXPECT_FALSE(PlanBackspace(u"abc", 0));
  EXPECT_FALSE(PlanBackspace(u"", 0));
}

TEST(EditorEdits, TypedTextIsHeldToTheLimitOnWholeCharacters) {
  struct Case {
    std::u16string added;
    std::size_t before;
    int limit;
    std::size_t units;
  } cases[] = {
      {u"abc", 48, 50, 2},
      {u"abc", 10, 0, 3},
      {u"\U0001F69A\U0001F69A", 49, 50, 2},  // one emoji fits, never half of the next
      {u"abc", 50, 50, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UnitsWithinLimit(c.added, c.before, c.limit), c.units) << c.before;
  EXPECT_EQ(EditorCharCount(u"货a\U0001F69A"), 3u);
}

TEST(EditorEdits, HistoryEntryChoosesTheTypeAndFillsTheEditor) {
  struct Case {
    const char* text;
    std::optional<int> type;
    const char* content;
  } cases[] = {
      {"货源：济宁→北京", 0, "济宁→北京"},
      {"车源：有车", 1, "有车"},
      {"其他：T", std::nullopt, "T"},
      {"短", std::nullopt, "短"},  // not a history text: kept whole
  };
  for (const Case& c : cases) {
    const HistoryUse use = PlanUseHistoryText(G(c.text));
    EXPECT_EQ(use.type_index, c.type) << c.text;
    EXPECT_EQ(U(use.content), c.content) << c.text;
  }
}

}  // namespace
}  // namespace tv
