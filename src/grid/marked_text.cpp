#include "grid/marked_text.h"

#include "core/gbk.h"

namespace tv {

bool IsTextMarker(std::string_view gbk_char) {
  return gbk_char == kMarkTel || gbk_char == kMarkHighlight || gbk_char == kMarkTime ||
         gbk_char == kMarkEnd;
}

namespace {

// The character that starts at `i`: every GBK lead byte pairs with the next
// one, not only those from 0xA1 up, which keeps the extension characters
// whole instead of drawing their two halves as garbage. Empty for a lone
// lead byte at the end, which is not a character.
std::string_view CharAt(std::string_view text, std::size_t i) {
  if (!IsLeadByte(static_cast<unsigned char>(text[i]))) return text.substr(i, 1);
  if (i + 1 >= text.size()) return {};
  return text.substr(i, 2);
}

// The walk both the drawing and the line count make: calls `on_char(x,
// line, ch)` for every character that is drawn and `on_marker(ch)` for every
// marker, in text order.
template <typename OnChar, typename OnMarker>
int WalkMarkedText(const MarkedTextMetrics& metrics, int left, int right, int left_margin,
                   std::string_view text, OnChar&& on_char, OnMarker&& on_marker) {
  const int w1 = metrics.MeasureOne().width;
  const int limit = right - 2 * w1;
  int x = left;
  int line = 0;
  bool line_used = false;  // a character stands on the current line
  // The stretch measured ahead for the last telephone or time: it ends where
  // the measuring stopped; `ahead` is the advance of its characters not
  // drawn yet, `ahead_last` that of its last one. A "Ψ" or "δ" inside the
  // stretch takes these instead of measuring the rest again, which made a
  // text full of markers cost the square of its length.
  std::size_t ahead_end = 0;
  long long ahead = 0;
  int ahead_last = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::string_view ch = CharAt(text, i);
    if (ch.empty()) break;
    i += ch.size();
    if (IsTextMarker(ch)) {
      if (line_used && (ch == kMarkTel || ch == kMarkTime)) {
        // A telephone or a time split over two lines reads as two numbers:
        // when it would wrap inside itself but fits a line of its own, the
        // line wraps here, at the blank before it.
        if (i >= ahead_end) {
          ahead = 0;
          ahead_last = 0;
          std::size_t j = i;
          while (j < text.size()) {
            const std::string_view next = CharAt(text, j);
            if (next.empty() || next == kMarkEnd) break;
            j += next.size();
            if (IsTextMarker(next)) continue;
            ahead_last = metrics.Advance(next);
            ahead += ahead_last;
          }
          ahead_end = j;
        }
        const long long rest = ahead - ahead_last;
        if (ahead > 0 && x + rest > limit && left_margin + rest <= limit) {
          x = left_margin;
          ++line;
          line_used = false;
        }
      }
      on_marker(ch);
      continue;
    }
    on_char(x, line, ch);
    line_used = true;
    const int advance = metrics.Advance(ch);
    if (i <= ahead_end) ahead -= advance;
    x += advance;
    if (x > limit) {
      x = left_margin;
      ++line;
      line_used = false;
    }
  }
  return line_used || line == 0 ? line + 1 : line;
}

}  // namespace

std::string StripTextMarkers(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  for (std::size_t i = 0; i < gbk.size();) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size();
    const std::string_view ch = gbk.substr(i, pair ? 2 : 1);
    if (!IsTextMarker(ch)) out.append(ch);
    i += ch.size();
  }
  return out;
}

int MarkedTextMetrics::Advance(std::string_view gbk_char) const {
  return static_cast<int>(gbk_char.size()) * MeasureOne().width;
}

void DrawMarkedText(MarkedTextSurface& surface, const GridRect& rect, std::string_view text,
                    int left_margin) {
  Colour saved = surface.TextColour();
  const int line_step = MarkedLineStep(surface.MeasureOne());
  WalkMarkedText(
      surface, rect.left, rect.right, left_margin, text,
      [&](int x, int line, std::string_view ch) {
        surface.DrawChar(x, rect.top + line * line_step, ch);
      },
      [&](std::string_view ch) {
        if (ch == kMarkTel) {
          surface.SetTextColour(kPhoneColour);
        } else if (ch == kMarkHighlight) {
          saved = surface.TextColour();
          surface.SetTextColour(kHighlightColour);
        } else if (ch == kMarkTime) {
          surface.SetTextColour(kTimeColour);
        } else {
          surface.SetTextColour(saved);
        }
      });
}

int MarkedTextLines(const MarkedTextMetrics& metrics, int width, std::string_view text) {
  return WalkMarkedText(
      metrics, 0, width, 0, text, [](int, int, std::string_view) {}, [](std::string_view) {});
}

}  // namespace tv
