// The completion box's decisions: which stored texts are offered for what
// was typed, how many lines the list shows, and how the keys move through
// the matches.
#include "widgets/completion_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gbk.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

std::vector<std::string> U(const std::vector<std::string>& gbk) {
  std::vector<std::string> out;
  for (const auto& s : gbk) out.push_back(GbkToUtf8(s));
  return out;
}

CompletionModel With(std::initializer_list<const char*> entries) {
  CompletionModel m;
  for (const char* e : entries) m.Add(G(e));
  return m;
}

TEST(CompletionBox, OffersEntriesThatBeginWithTheTypedTextIgnoringLetterCase) {
  struct Case {
    const char* typed;
    std::vector<std::string> matches;
  } cases[] = {
      {"北", {"北京", "北京市"}},
      {"北京市", {"北京市"}},
      {"ab", {"ABC", "abd"}},
      {"AB", {"ABC", "abd"}},
      {"济", {}},
      {"", {}},
      {"北京市区", {}},
  };
  CompletionModel m = With({"北京", "ABC", "北京市", "abd", "xab"});
  for (const auto& c : cases) {
    EXPECT_EQ(m.TextChanged(G(c.typed)), !c.matches.empty()) << c.typed;
    EXPECT_EQ(U(m.Matches()), c.matches) << c.typed;
    EXPECT_EQ(m.Highlighted(), -1);
  }
  // Only letters fold: B0 41 is one character whose trail byte looks like
  // "A"; typed, it must not offer the character B0 61.
  CompletionModel trail;
  trail.Add("\xB0\x61x");
  trail.Add("\xB0\x41y");
  EXPECT_TRUE(trail.TextChanged("\xB0\x41"));
  EXPECT_EQ(trail.Matches(), (std::vector<std::string>{"\xB0\x41y"}));
  // Nothing stored: nothing shown.
  EXPECT_FALSE(CompletionModel().TextChanged("a"));
}

TEST(CompletionBox, ShowsAtMostEightLinesAndScrollsTheRest) {
  CompletionModel m;
  for (int i = 0; i < 12; ++i) m.Add("k" + std::to_string(i));
  m.TextChanged("k");
  EXPECT_EQ(m.VisibleLines(), 8);
  EXPECT_TRUE(m.NeedsScrollBar());
  EXPECT_EQ(m.PopupHeight(14, 1), 8 * 14 + 2);
  m.TextChanged("k1");  // k1, k10, k11
  EXPECT_EQ(m.VisibleLines(), 3);
  EXPECT_FALSE(m.NeedsScrollBar());
  EXPECT_EQ(m.PopupHeight(14, 1), 3 * 14 + 2);
}

TEST(CompletionBox, KeysMoveTheHighlightAndWrapAround) {
  using K = CompletionModel::Key;
  struct Step {
    K key;
    int highlighted;
  };
  // Twelve matches, eight lines a page.
  const std::vector<Step> steps = {
      {K::kDown, 0},      {K::kUp, 11},      {K::kDown, 0},    {K::kPageDown, 8},
      {K::kPageDown, 11}, {K::kPageDown, 0}, {K::kPageUp, 11}, {K::kPageUp, 3},
      {K::kPageUp, 0},    {K::kEnd, 11},     {K::kDown, 0},    {K::kHome, 0},
  };
  CompletionModel m;
  for (int i = 0; i < 12; ++i) m.Add("k" + std::to_string(100 + i));
  m.TextChanged("k");
  int n = 0;
  for (const Step& s : steps) {
    const auto text = m.Press(s.key);
    ASSERT_TRUE(text.has_value()) << n;
    EXPECT_EQ(m.Highlighted(), s.highlighted) << "step " << n;
    EXPECT_EQ(*text, "k" + std::to_string(100 + s.highlighted)) << "step " << n;
    ++n;
  }
  // Nothing highlighted yet: Up goes to the last match.
  m.TextChanged("k");
  EXPECT_EQ(m.Press(K::kUp), "k111");
  // Enter and Escape close the list and leave the text alone.
  EXPECT_EQ(m.Press(K::kEnter), std::nullopt);
  EXPECT_FALSE(m.Visible());
  EXPECT_EQ(m.Press(K::kDown), std::nullopt);  // hidden: keys do nothing
  m.TextChanged("k");
  EXPECT_EQ(m.Press(K::kEscape), std::nullopt);
  EXPECT_FALSE(m.Visible());
}

TEST(CompletionBox, AClickPicksALineAndLosingFocusHides) {
  CompletionModel m = With({"北京", "北京市"});
  m.TextChanged(G("北"));
  EXPECT_EQ(m.Click(1), G("北京市"));
  EXPECT_EQ(m.Highlighted(), 1);
  EXPECT_EQ(m.Click(2), std::nullopt);
  m.Hide();
  EXPECT_FALSE(m.Visible());
  EXPECT_EQ(m.Click(0), std::nullopt);
}

}  // namespace
}  // namespace tv
