#pragma once
// Drawing of one cell's text with its colour markers. Every grid cell goes
// through DrawMarkedText, so the markers work the same everywhere, and the
// row store fits row heights with MarkedTextLines, so a row is exactly as
// tall as the lines drawn into it.
//
// Markers (two-byte GBK characters, never drawn, take no space):
//   "Ψ" A6 B7  text colour becomes blue (telephone)
//   "Ξ" A6 AE  current colour is saved, then red (highlighted word)
//   "δ" A6 C4  text colour becomes grey (time)
//   "§" A1 EC  text colour becomes the saved colour (end of a segment)
#include <string>
#include <string_view>

#include "grid/grid_types.h"

namespace tv {

inline constexpr std::string_view kMarkTel = "\xA6\xB7";        // "Ψ": blue from here
inline constexpr std::string_view kMarkHighlight = "\xA6\xAE";  // "Ξ": save colour, red
inline constexpr std::string_view kMarkTime = "\xA6\xC4";       // "δ": grey from here
inline constexpr std::string_view kMarkEnd = "\xA1\xEC";        // "§": back to the saved colour

// True when `gbk_char` (one character) is one of the four markers.
bool IsTextMarker(std::string_view gbk_char);
// `gbk` without its markers, character by character.
std::string StripTextMarkers(std::string_view gbk);

// The measures the layout of a marked text goes by, in the cell's font.
class MarkedTextMetrics {
 public:
  virtual ~MarkedTextMetrics() = default;
  // The extent of the one-character text "1": w1 and h1 of the wrap rule.
  virtual TextExtent MeasureOne() const = 0;
  // How far one character (one or two GBK bytes) moves the pen. By default
  // w1 per byte, the advance of a face whose Latin letters are half as wide
  // as its Chinese ones.
  virtual int Advance(std::string_view gbk_char) const;
};

// What DrawMarkedText needs from a drawing surface. The Qt painter version is
// QtMarkedTextSurface; tests record the calls.
class MarkedTextSurface : public MarkedTextMetrics {
 public:
  virtual Colour TextColour() const = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // Draws one character (one or two GBK bytes) with its top-left corner at
  // (x, y) in the current colour, clipped to the cell by the caller.
  virtual void DrawChar(int x, int y, std::string_view gbk_char) = 0;
};

// Draws `text` into `rect` starting at its top-left corner, one character at
// a time, each moving the pen by its advance. After a character, when x
// passes rect.right - 2 x w1, the line wraps to `left_margin` and y grows by
// MarkedLineStep. A telephone ("Ψ" ... "§") or a time ("δ" ... "§") that
// would wrap inside itself goes whole to the next line instead, unless it is
// wider than a line on its own. The saved colour starts as the surface's.
void DrawMarkedText(MarkedTextSurface& surface, const GridRect& rect, std::string_view text,
                    int left_margin);

// The lines DrawMarkedText takes for `text` in a rectangle `width` pixels
// wide whose left edge is also the left margin; at least 1.
int MarkedTextLines(const MarkedTextMetrics& metrics, int width, std::string_view text);

// How far apart the lines of a wrapped text are: 2 x w1 + h1 / 6.
inline int MarkedLineStep(TextExtent one) { return 2 * one.width + one.height / 6; }

}  // namespace tv
