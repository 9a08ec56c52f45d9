#include "grid/marked_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/gbk.h"

namespace tv {
namespace {

struct DrawnChar {
  int x;
  int y;
  std::string gbk;
  Colour colour;
};

// Records every character DrawMarkedText draws, with the colour it had.
class RecordingSurface final : public MarkedTextSurface {
 public:
  explicit RecordingSurface(Colour start, TextExtent one = {8, 18}) : colour_(start), one_(one) {}
  Colour TextColour() const override { return colour_; }
  void SetTextColour(Colour colour) override { colour_ = colour; }
  TextExtent MeasureOne() const override { return one_; }
  void DrawChar(int x, int y, std::string_view gbk_char) override {
    drawn.push_back({x, y, std::string(gbk_char), colour_});
  }
  std::vector<DrawnChar> drawn;

 private:
  Colour colour_;
  TextExtent one_;
};

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kGreen = MakeColour(0, 128, 0);

// One letter per drawn character: k black, g green (a cell's own colour),
// R red, B blue, G grey.
char Letter(Colour c) {
  if (c == kBlack) return 'k';
  if (c == kGreen) return 'g';
  if (c == kHighlightColour) return 'R';
  if (c == kPhoneColour) return 'B';
  if (c == kTimeColour) return 'G';
  return '?';
}

std::string Draw(std::string_view gbk, Colour start, RecordingSurface* out = nullptr) {
  RecordingSurface surface(start);
  // Wide enough that nothing wraps.
  DrawMarkedText(surface, GridRect{0, 0, 100000, 100}, gbk, 0);
  std::string letters;
  for (const DrawnChar& d : surface.drawn) letters += Letter(d.colour);
  if (out) *out = surface;
  return letters;
}

TEST(DrawMarkedText, ColourOfEveryCharacter) {
  struct Case {
    const char* name;
    const char* utf8;
    Colour start;
    const char* colours;
  };
  const Case cases[] = {
      {"plain text", "有货10吨", kBlack, "kkkkk"},
      {"row text: city, highlight, phone, blank, time", "【济宁】有货Ξ济宁§10吨 Ψ8888§ δ3-7 9:05§",
       kBlack, "kkkkkkRRkkkkBBBBkGGGGGGGG"},
      {"closed row", "【已成交】【济】Ψ1§", kBlack, "kkkkkkkkB"},
      {"the cell's own colour comes back after a segment", "aΨ1§bδ2§c", kGreen, "gBgGg"},
      {"content carrying § switches back at that point", "【京】货Ξ京§物§件 Ψ1§", kBlack,
       "kkkkRkkkB"},
      {"content carrying Ψ turns the rest blue up to the next §", "货Ψ物 Ψ1§ δ2§", kBlack,
       "kBBBkG"},
      {"Ξ inside a blue segment saves blue", "Ψ1Ξ2§3§4", kBlack, "BRBB"},
      {"δ does not save", "Ξ1δ2§3", kGreen, "RGg"},
      {"§ with nothing saved is the start colour", "§a", kGreen, "g"},
      {"markers only", "ΨΞδ§", kBlack, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Draw(Utf8ToGbk(c.utf8), c.start), c.colours);
  }
}

TEST(DrawMarkedText, MarkersTakeNoSpaceAndCharactersAdvanceByBytes) {
  RecordingSurface surface(kBlack);
  DrawMarkedText(surface, GridRect{10, 5, 1000, 100}, Utf8ToGbk("aΨ货Ξ§1"), 10);
  ASSERT_EQ(surface.drawn.size(), 3u);
  EXPECT_EQ(surface.drawn[0].x, 10);  // a: one byte, w1 = 8
  EXPECT_EQ(surface.drawn[1].x, 18);  // 货: two bytes, 2 x w1
  EXPECT_EQ(surface.drawn[2].x, 34);
  for (const DrawnChar& d : surface.drawn) EXPECT_EQ(d.y, 5);
  EXPECT_EQ(surface.drawn[1].gbk, Utf8ToGbk("货"));
}

TEST(DrawMarkedText, WrapsWhenPastRightLessTwoW1) {
  // right 100, w1 8: a line wraps once x > 84, i.e. after the 11th byte.
  RecordingSurface surface(kBlack);
  DrawMarkedText(surface, GridRect{0, 0, 100, 200}, std::string(13, 'a'), 4);
  ASSERT_EQ(surface.drawn.size(), 13u);
  EXPECT_EQ(surface.drawn[10].x, 80);
  EXPECT_EQ(surface.drawn[10].y, 0);
  // Next line at the left margin, 2 x w1 + h1 / 6 = 16 + 3 lower.
  EXPECT_EQ(surface.drawn[11].x, 4);
  EXPECT_EQ(surface.drawn[11].y, 19);
  EXPECT_EQ(surface.drawn[12].x, 12);
}

// A face with proportional Latin letters: "." and ":" 4 wide, blank 5,
// other one-byte characters 10, Chinese characters 20; w1 ("1") is 10.
class ProportionalSurface final : public MarkedTextSurface {
 public:
  Colour TextColour() const override { return kBlack; }
  void SetTextColour(Colour) override {}
  TextExtent MeasureOne() const override { return {10, 18}; }
  int Advance(std::string_view ch) const override {
    if (ch.size() == 2) return 20;
    if (ch == "." || ch == ":") return 4;
    return ch == " " ? 5 : 10;
  }
  void DrawChar(int x, int y, std::string_view gbk_char) override {
    drawn.push_back({x, y, std::string(gbk_char), kBlack});
  }
  std::vector<DrawnChar> drawn;
};

std::string Positions(const std::vector<DrawnChar>& drawn) {
  std::string out;
  for (const DrawnChar& d : drawn) {
    out += (out.empty() ? "" : " ") + std::to_string(d.x) + "," + std::to_string(d.y);
  }
  return out;
}

// Each character moves the pen by its own width: a narrow "." leaves no gap
// before the next digit ("9. 6米" read as two numbers).
TEST(DrawMarkedText, CharactersAdvanceByTheirOwnWidth) {
  ProportionalSurface surface;
  DrawMarkedText(surface, GridRect{0, 0, 1000, 100}, Utf8ToGbk("9.6米 δ1:05§"), 0);
  EXPECT_EQ(Positions(surface.drawn), "0,0 10,0 14,0 24,0 44,0 49,0 59,0 63,0 73,0");
}

// A line that must wrap wraps at the blank before a telephone or a time, so
// that neither is split, unless it alone is wider than a line. The walk that
// counts the lines for the row height agrees.
TEST(DrawMarkedText, TelephoneAndTimeGoWholeToTheNextLine) {
  struct Case {
    const char* name;
    const char* utf8;
    int right;
    const char* lines;  // the drawn characters, "/" between lines
  };
  const Case cases[] = {
      // right 100, w1 10: a line wraps once x passes 80.
      {"time that fits stays", "货物 δ3-7 9:05§", 200, "货物 3-7 9:05"},
      {"time moves whole", "货物货 δ12-10 2:17§", 100, "货物货 /12-10 2:17"},
      {"telephone moves whole", "货 Ψ13897912§", 100, "货 /13897912"},
      {"both move", "货物货 Ψ1389791§ δ12-1 2:17§", 100, "货物货 /1389791 /12-1 2:17"},
      {"a time wider than a line still breaks", "货 δ1234567890123§", 100, "货 123456/7890123"},
      {"content breaks where it must", "货物货物货物", 100, "货物货物货/物"},
      {"the segment ends at §", "货物货 Ψ12§345678", 100, "货物货 12/345678"},
      // The telephone runs on to the time's "§": the time inside it is
      // measured with what is left of it.
      {"a time inside an open telephone", "货物货 Ψ13 δ1-2§", 100, "货物货 /13 1-2"},
      {"an open telephone wider than a line", "货 Ψ1234 δ5-6 7:08§", 100, "货 1234 /5-6 7:08"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = Utf8ToGbk(c.utf8);
    ProportionalSurface surface;
    DrawMarkedText(surface, GridRect{0, 0, c.right, 100}, text, 0);
    std::string lines;
    int y = 0;
    for (const DrawnChar& d : surface.drawn) {
      if (d.y != y) lines += "/";
      y = d.y;
      lines += GbkToUtf8(d.gbk);
    }
    EXPECT_EQ(lines, c.lines);
    const auto slashes = std::count(lines.begin(), lines.end(), '/');
    EXPECT_EQ(MarkedTextLines(surface, c.right, text), 1 + slashes);
  }
}

// A message's content may carry any number of markers. Each "Ψ" or "δ"
// looks ahead to its "§"; looking again at what an earlier one measured made
// a paint cost the square of the text's length (a 64 KB content of "Ψ1"
// froze the window).
TEST(DrawMarkedText, MeasuresEachCharacterAtMostTwice) {
  class CountingSurface final : public MarkedTextSurface {
   public:
    Colour TextColour() const override { return kBlack; }
    void SetTextColour(Colour) override {}
    TextExtent MeasureOne() const override { return {8, 18}; }
    int Advance(std::string_view ch) const override {
      ++advances;
      return 8 * static_cast<int>(ch.size());
    }
    void DrawChar(int, int, std::string_view) override { ++drawn; }
    mutable long long advances = 0;
    long long drawn = 0;
  };
  std::string open_telephones = "a";
  std::string nested = "a";
  for (int i = 0; i < 2000; ++i) {
    open_telephones += Utf8ToGbk("Ψ1");
    nested += Utf8ToGbk(i % 2 ? "Ψ12 " : "δ3");
  }
  for (const std::string& text : {open_telephones, nested + Utf8ToGbk("§ δ4§")}) {
    CountingSurface surface;
    DrawMarkedText(surface, GridRect{0, 0, 300, 100}, text, 0);
    EXPECT_LE(surface.advances, 2 * surface.drawn);
    const long long drawing = surface.advances;
    surface.advances = 0;
    MarkedTextLines(surface, 300, text);
    EXPECT_EQ(surface.advances, drawing);
  }
}

TEST(DrawMarkedText, ByteEdgeCases) {
  struct Case {
    const char* name;
    std::string gbk;
    std::vector<std::string> drawn;
  };
  const Case cases[] = {
      {"lone lead byte at the end is not drawn", "ab\xB0", {"a", "b"}},
      {"lone lead byte alone", "\xD6", {}},
      {"lone lead byte after a marker", "\xA6\xB7\xA6", {}},
      {"lead bytes below 0xA1 still pair", "\x81\x40x", {"\x81\x40", "x"}},
      {"a marker's bytes as a trail byte are no marker",
       "\x81\xA6\xB7\xA1",
       {"\x81\xA6", "\xB7\xA1"}},
      {"0x80 and 0xFF are single bytes", "\x80\xFF", {"\x80", "\xFF"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSurface surface(kBlack);
    DrawMarkedText(surface, GridRect{0, 0, 1000, 100}, c.gbk, 0);
    std::vector<std::string> drawn;
    for (const DrawnChar& d : surface.drawn) drawn.push_back(d.gbk);
    EXPECT_EQ(drawn, c.drawn);
  }
}

}  // namespace
}  // namespace tv
