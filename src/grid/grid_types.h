#pragma once
// Plain value types shared by the row store, the marked-text drawing and the
// grid widget. No Qt here: the feed controllers use them headless.
#include <cstdint>
#include <string>

namespace tv {

// A 24-bit colour with red in the low byte (0x00BBGGRR), the form in which the
// settings store and every caller pass colours around.
using Colour = std::uint32_t;
// "No own colour": the cell falls back to the grid's colour.
inline constexpr Colour kDefaultColour = 0xFFFFFFFFu;

constexpr Colour MakeColour(int red, int green, int blue) {
  return static_cast<Colour>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int ColourRed(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int ColourGreen(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColourBlue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Marker colours of the row text.
inline constexpr Colour kPhoneColour = MakeColour(0, 0, 255);          // after "Ψ"
inline constexpr Colour kHighlightColour = MakeColour(255, 0, 0);      // after "Ξ"
inline constexpr Colour kTimeColour = MakeColour(102, 102, 102);       // after "δ"
inline constexpr Colour kFocusFrameColour = MakeColour(255, 0, 0);     // focus cell outline
inline constexpr Colour kEmptyTextColour = MakeColour(102, 102, 102);  // text of an empty grid

// Grid defaults before the owner sets its own.
inline constexpr Colour kDefaultBackColour = MakeColour(231, 247, 255);
inline constexpr Colour kDefaultLineColour = MakeColour(192, 192, 192);
inline constexpr Colour kDefaultTextColour = MakeColour(0, 0, 0);

// A cell's own font. `face` is GBK like every other stored text; `height` is
// the character height in pixels (0 lets the measure choose).
struct CellFont {
  std::string face;
  int height = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  int charset = 134;  // GB2312

  friend bool operator==(const CellFont&, const CellFont&) = default;
};

// The extent of a text measured on one line.
struct TextExtent {
  int width = 0;
  int height = 0;
};

// Pixels between a cell's border and its image or text. Row heights are
// fitted to the text as it is drawn inside this margin.
inline constexpr int kCellMargin = 2;

// A rectangle in pixels, right and bottom exclusive.
struct GridRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

// Cell format flags; `FitRowToText` sets both on the cell it fits.
enum CellFormat : std::uint8_t {
  kFormatNone = 0,
  kFormatWordWrap = 1 << 0,
  kFormatVCentre = 1 << 1,
};

// The pictures of the standard image strip, by index (kImageNone: no picture).
inline constexpr int kImageNone = -1;
namespace strip {
inline constexpr int kMessenger = 0;      // coloured messenger figure (has a QQ number)
inline constexpr int kMessengerGrey = 1;  // grey messenger figure (no QQ number)
inline constexpr int kParcel = 2;         // cargo source
inline constexpr int kTruck = 3;          // truck source
inline constexpr int kDetail = 4;         // detail page
}  // namespace strip
inline constexpr int kImageStripCount = 5;
inline constexpr int kImageSize = 16;

}  // namespace tv
