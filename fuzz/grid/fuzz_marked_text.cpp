// The walk that draws a marked text and counts its lines, with the
// fixed-width measure of the tests (or a proportional one) standing in for
// the font. Every character is drawn once, in order, in the colour its
// markers give it; pens move by the advances and wrap by the rule; a
// telephone or a time that fits a line is never split; the line count and
// the row height agree with what is drawn; the work is linear in the text.
//
// Input: six bytes of layout (w1, h1, left, width, margin, switches), then
// the marked text.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "grid/marked_text.h"
#include "grid/row_store.h"
#include "grid/text_measure.h"
#include "text_checks.h"

namespace {

// The tests' fixed-width measure, or a proportional face where every
// character has its own width between 0 and 3 x w1; counts its calls.
class StandInMetrics : public tv::MarkedTextMetrics {
 public:
  StandInMetrics(int w1, int h1, bool proportional)
      : measure_(w1, h1), w1_(w1), proportional_(proportional) {}
  tv::TextExtent MeasureOne() const override { return measure_.Measure(font_, "1"); }
  int Advance(std::string_view gbk_char) const override {
    ++calls;
    return Width(gbk_char);
  }
  int Width(std::string_view gbk_char) const {
    if (!proportional_) return measure_.CharAdvance(font_, gbk_char);
    unsigned code = 0;
    for (char c : gbk_char) code = code * 131 + static_cast<unsigned char>(c);
    return static_cast<int>(code % static_cast<unsigned>(3 * w1_ + 1));
  }
  mutable long long calls = 0;

 private:
  tv::FixedTextMeasure measure_;
  tv::CellFont font_;
  int w1_;
  bool proportional_;
};

struct Drawn {
  int x;
  int y;
  std::string ch;
  tv::Colour colour;
};

class RecordingSurface final : public tv::MarkedTextSurface {
 public:
  RecordingSurface(const StandInMetrics& metrics, tv::Colour start)
      : metrics_(metrics), colour_(start) {}
  tv::TextExtent MeasureOne() const override { return metrics_.MeasureOne(); }
  int Advance(std::string_view gbk_char) const override { return metrics_.Advance(gbk_char); }
  tv::Colour TextColour() const override { return colour_; }
  void SetTextColour(tv::Colour colour) override { colour_ = colour; }
  void DrawChar(int x, int y, std::string_view gbk_char) override {
    drawn.push_back({x, y, std::string(gbk_char), colour_});
  }
  std::vector<Drawn> drawn;

 private:
  const StandInMetrics& metrics_;
  tv::Colour colour_;
};

// One character of the text as the walk reads it.
struct Piece {
  std::string_view ch;
  bool marker;
  int width;  // its advance; 0 for a marker
  // For "Ψ" and "δ": the characters up to the next "§" (markers take no
  // space), their advances and the last of them.
  std::size_t scan_count;
  long long scan_width;
  int scan_last;
};

std::vector<Piece> Pieces(std::string_view text, const StandInMetrics& metrics) {
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t width = tv::CharWidthAt(text, i);
    const std::string_view ch = text.substr(i, width);
    // A lead byte that ends the text is no character: the walk stops there.
    if (width == 1 && tv::IsLeadByte(static_cast<unsigned char>(ch[0]))) break;
    const bool marker = tv::IsTextMarker(ch);
    pieces.push_back({ch, marker, marker ? 0 : metrics.Width(ch), 0, 0, 0});
    i += width;
  }
  std::size_t count = 0;
  long long width = 0;
  int last = 0;
  for (auto p = pieces.rbegin(); p != pieces.rend(); ++p) {
    if (p->ch == tv::kMarkEnd) {
      count = 0;
      width = 0;
      last = 0;
    } else if (!p->marker) {
      if (count == 0) last = p->width;
      ++count;
      width += p->width;
    } else if (p->ch == tv::kMarkTel || p->ch == tv::kMarkTime) {
      p->scan_count = count;
      p->scan_width = width;
      p->scan_last = last;
    }
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const int w1 = 1 + data[0] % 24;
  const int h1 = data[1] % 48;
  const int left = static_cast<std::int8_t>(data[2]);
  const int right = left + data[3] * 4 - 16;
  const int margin = (data[5] & 2) != 0 ? left : left + static_cast<std::int8_t>(data[4]) % 32;
  const bool proportional = (data[5] & 1) != 0;
  const tv::Colour start = (data[5] & 4) != 0 ? tv::MakeColour(0, 128, 0) : tv::kDefaultTextColour;
  const std::string_view text(reinterpret_cast<const char*>(data) + 6, size - 6);
  const int top = 7;
  const int limit = right - 2 * w1;
  const int step = tv::MarkedLineStep({w1, h1});

  const StandInMetrics metrics(w1, h1, proportional);
  const std::vector<Piece> pieces = Pieces(text, metrics);
  std::size_t chars = 0;
  for (const Piece& p : pieces) chars += p.marker ? 0 : 1;

  RecordingSurface surface(metrics, start);
  metrics.calls = 0;
  tv::DrawMarkedText(surface, tv::GridRect{left, top, right, top + 100}, text, margin);
  const std::vector<Drawn>& drawn = surface.drawn;
  // Each character measured once to draw it, and at most once more to see
  // whether the telephone or time it belongs to fits.
  TV_REQUIRE(metrics.calls <= 2 * static_cast<long long>(chars));
  TV_REQUIRE(drawn.size() == chars);

  // Walk the pieces beside what was drawn. Colours: "Ψ" blue, "Ξ" saves the
  // colour and turns red, "δ" grey, "§" back to the saved colour (the start
  // colour until a "Ξ"). Positions: each character where the last one ended,
  // or at the margin of the next line when the last one passed the limit, or
  // when a telephone or time that would not fit where it starts fits a line
  // of its own.
  tv::Colour colour = start;
  tv::Colour saved = start;
  std::size_t d = 0;
  long long pen = left;
  int line = 0;
  bool must_wrap = false;
  std::vector<std::size_t> first_drawn(pieces.size(), 0);
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    first_drawn[k] = d;
    if (p.ch == tv::kMarkTel || p.ch == tv::kMarkTime) {
      colour = p.ch == tv::kMarkTel ? tv::kPhoneColour : tv::kTimeColour;
      if (d > 0 && pen <= limit && p.scan_width > 0 && pen + p.scan_width - p.scan_last > limit &&
          margin + p.scan_width - p.scan_last <= limit) {
        must_wrap = true;
      }
    } else if (p.ch == tv::kMarkHighlight) {
      saved = colour;
      colour = tv::kHighlightColour;
    } else if (p.ch == tv::kMarkEnd) {
      colour = saved;
    }
    if (p.marker) continue;
    if (d > 0 && (pen > limit || must_wrap)) {
      pen = margin;
      ++line;
    }
    must_wrap = false;
    const Drawn& c = drawn[d++];
    TV_REQUIRE(c.ch == p.ch && c.colour == colour);
    TV_REQUIRE(c.x == pen && c.y == top + line * step);
    pen += p.width;
  }

  // A telephone or time that fits where it starts stays on one line.
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    if (p.scan_count == 0) continue;
    const Drawn& first = drawn[first_drawn[k]];
    const Drawn& last = drawn[first_drawn[k] + p.scan_count - 1];
    if (first.x + p.scan_width - p.scan_last <= limit) TV_REQUIRE(first.y == last.y);
  }

  // The line count that row heights go by agrees with the drawing.
  if (margin == left) {
    const int lines = drawn.empty() ? 1 : line + 1;
    metrics.calls = 0;
    TV_REQUIRE(tv::MarkedTextLines(metrics, right - left, text) == lines);
    TV_REQUIRE(metrics.calls <= 2 * static_cast<long long>(chars));
    // The row store fits a row to those lines (inside the cell's margins).
    if (!proportional && right - left >= 1) {
      tv::RowStore store(1, std::make_shared<tv::FixedTextMeasure>(w1, h1));
      store.ResizeRows(1);
      store.PutCellText(0, 0, text);
      store.FitRowToText(0, 0, right - left + 2 * tv::kCellMargin);
      const long long height = h1 + static_cast<long long>(lines - 1) * step + 2;
      TV_REQUIRE(store.RowHeight(0) == (height >= 300 ? 60 : height));
    }
  }
  return 0;
}
