#pragma once
// Drawing of one cell's text with its colour markers. Every grid cell goes
// through DrawMarkedText, so the markers work the same everywhere.
//
// Markers (two-byte GBK characters, never drawn, take no space):
//   "Ψ" A6 B7  text colour becomes blue (telephone)
//   "Ξ" A6 AE  current colour is saved, then red (highlighted word)
//   "δ" A6 C4  text colour becomes grey (time)
//   "§" A1 EC  text colour becomes the saved colour (end of a segment)
#include <string_view>

#include "grid/grid_types.h"

namespace tv {

// What DrawMarkedText needs from a drawing surface. The Qt painter version is
// QtMarkedTextSurface; tests record the calls.
class MarkedTextSurface {
 public:
  virtual ~MarkedTextSurface() = default;
  virtual Colour TextColour() const = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // The extent of the one-character text "1" in the current font.
  virtual TextExtent MeasureOne() const = 0;
  // Draws one character (one or two GBK bytes) with its top-left corner at
  // (x, y) in the current colour, clipped to the cell by the caller.
  virtual void DrawChar(int x, int y, std::string_view gbk_char) = 0;
};

// Draws `text` into `rect` starting at its top-left corner, one character at a
// time with a fixed advance (w1 for a one-byte character, 2 x w1 for a
// two-byte one, w1 = width of "1"). After a character, when x passes
// rect.right - 2 x w1, the line wraps to `left_margin` and y grows by
// 2 x w1 + h1 / 6. The saved colour starts as the surface's colour.
void DrawMarkedText(MarkedTextSurface& surface, const GridRect& rect, std::string_view text,
                    int left_margin);

}  // namespace tv
