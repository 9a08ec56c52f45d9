#pragma once
// How the row store learns the size of a text: Qt font metrics in the program
// (QtTextMeasure, qt_text_measure.h), a fixed-width measure in tests.
#include <string_view>

#include "grid/grid_types.h"

namespace tv {

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // The extent of `gbk` drawn on one line in `font`, markers included as
  // ordinary characters.
  virtual TextExtent Measure(const CellFont& font, std::string_view gbk) const = 0;
  // How far one character (one or two GBK bytes) moves the pen in `font`;
  // the marked-text layout goes by it. The width of the character on its own
  // unless a measure knows better (or faster).
  virtual int CharAdvance(const CellFont& font, std::string_view gbk_char) const {
    return Measure(font, gbk_char).width;
  }
};

// Every one-byte character is `char_width` wide, every two-byte character
// (a byte of 0x81 or more and the byte after it) twice that; the height is
// fixed. Used by tests and by headless tools.
class FixedTextMeasure final : public TextMeasure {
 public:
  FixedTextMeasure(int char_width, int height) : char_width_(char_width), height_(height) {}
  TextExtent Measure(const CellFont& font, std::string_view gbk) const override;

 private:
  int char_width_;
  int height_;
};

}  // namespace tv
