#pragma once
// DrawMarkedText on a QPainter: the painter's font and clip are the cell's,
// the colour changes go to the pen.
#include <QFontMetrics>
#include <QPainter>

#include "widgets/marked_text.h"

namespace tv {

class QtMarkedTextSurface final : public MarkedTextSurface {
 public:
  // `painter` has the cell's font and clip set already; characters that
  // start below `clip_bottom` are not sent to the painter at all.
  QtMarkedTextSurface(QPainter& painter, Colour text_colour, int clip_bottom);

  Colour TextColour() const override { return colour_; }
  void SetTextColour(Colour colour) override;
  TextExtent MeasureOne() const override;
  void DrawChar(int x, int y, std::string_view gbk_char) override;

 private:
  QPainter& painter_;
  QFontMetrics metrics_;
  Colour colour_;
  int clip_bottom_;
};

// One GBK character (one or two bytes) as a QString, through a cache: cell
// drawing converts character by character. Invalid pairs give U+FFFD.
QString GbkCharToQString(std::string_view gbk_char);

}  // namespace tv
