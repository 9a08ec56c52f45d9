#include "grid/marked_text.h"

#include "core/gbk.h"

namespace tv {
namespace {

constexpr std::string_view kPhoneMark = "\xA6\xB7";      // Ψ
constexpr std::string_view kHighlightMark = "\xA6\xAE";  // Ξ
constexpr std::string_view kTimeMark = "\xA6\xC4";       // δ
constexpr std::string_view kEndMark = "\xA1\xEC";        // §

}  // namespace

void DrawMarkedText(MarkedTextSurface& surface, const GridRect& rect, std::string_view text,
                    int left_margin) {
  Colour saved = surface.TextColour();
  const TextExtent one = surface.MeasureOne();
  const int w1 = one.width;
  const int line_step = 2 * w1 + one.height / 6;
  int x = rect.left;
  int y = rect.top;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (IsLeadByte(lead)) {
      // Every GBK lead byte pairs with the next one, not only those from 0xA1
      // up: pairing 0x81..0xA0 leads too keeps the extension characters whole
      // instead of drawing their two halves as garbage; the advance is the
      // same 2 x w1 either way.
      if (i + 1 >= text.size()) break;  // a lone lead byte at the end is not a character
      length = 2;
    }
    const std::string_view ch = text.substr(i, length);
    i += length;
    if (ch == kPhoneMark) {
      surface.SetTextColour(kPhoneColour);
    } else if (ch == kHighlightMark) {
      saved = surface.TextColour();
      surface.SetTextColour(kHighlightColour);
    } else if (ch == kTimeMark) {
      surface.SetTextColour(kTimeColour);
    } else if (ch == kEndMark) {
      surface.SetTextColour(saved);
    } else {
      surface.DrawChar(x, y, ch);
      x += static_cast<int>(length) * w1;
      if (x > rect.right - 2 * w1) {
        x = left_margin;
        y += line_step;
      }
    }
  }
}

}  // namespace tv
