#pragma once
// DrawMarkedText on a QPainter: the painter's font and clip are the cell's,
// the colour changes go to the pen.
//
// Characters are collected into glyph runs (one per colour segment) with the
// positions DrawMarkedText chose, and drawn when the colour changes or the
// surface goes: drawing character by character through drawText shaped every
// character on its own and cost most of a frame.
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPointF>
#include <QRawFont>
#include <QVector>

#include "grid/marked_text.h"

namespace tv {

class QtCharAdvances;

class QtMarkedTextSurface final : public MarkedTextSurface {
 public:
  // `painter` has the cell's font and clip set already; `raw_font` is that
  // font's QRawFont (an invalid one makes every character go through
  // drawText) and `advances` its character advances, the ones its rows were
  // fitted with. Characters that start below `clip_bottom` are skipped.
  QtMarkedTextSurface(QPainter& painter, const QRawFont& raw_font, QtCharAdvances& advances,
                      Colour text_colour, int clip_bottom);
  ~QtMarkedTextSurface() override;

  Colour TextColour() const override { return colour_; }
  void SetTextColour(Colour colour) override;
  TextExtent MeasureOne() const override;
  int Advance(std::string_view gbk_char) const override;
  void DrawChar(int x, int y, std::string_view gbk_char) override;

 private:
  void Flush();

  QPainter& painter_;
  const QRawFont& raw_font_;
  QtCharAdvances& advances_;
  int ascent_;
  Colour colour_;
  int clip_bottom_;
  QVector<quint32> glyphs_;
  QVector<QPointF> positions_;
};

// One GBK character (one or two bytes) as a QString, through a cache: cell
// drawing converts character by character. Invalid pairs give U+FFFD.
QString GbkCharToQString(std::string_view gbk_char);

}  // namespace tv
