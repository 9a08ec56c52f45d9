#include "widgets/qt_marked_surface.h"

#include <vector>

#include "core/gbk.h"
#include "widgets/qt_text_measure.h"

namespace tv {

QString GbkCharToQString(std::string_view gbk_char) {
  if (gbk_char.size() == 1) {
    const unsigned char c = static_cast<unsigned char>(gbk_char[0]);
    return QString(c < 0x80 ? QChar(c) : QChar(QChar::ReplacementCharacter));
  }
  if (gbk_char.size() != 2) return QString(QChar(QChar::ReplacementCharacter));
  // Painting converts every visible character on every frame; one iconv call
  // per distinct character, then a table look-up.
  static std::vector<char16_t> table(0x10000, 0);
  const unsigned code =
      (static_cast<unsigned char>(gbk_char[0]) << 8) | static_cast<unsigned char>(gbk_char[1]);
  char16_t& slot = table[code];
  if (slot == 0) {
    const std::string utf8 = GbkToUtf8(gbk_char);
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    slot = text.size() == 1 ? text.at(0).unicode() : char16_t{QChar::ReplacementCharacter};
  }
  return QString(QChar(slot));
}

QtMarkedTextSurface::QtMarkedTextSurface(QPainter& painter, const QRawFont& raw_font,
                                         QtCharAdvances& advances, Colour text_colour,
                                         int clip_bottom)
    : painter_(painter),
      raw_font_(raw_font),
      advances_(advances),
      ascent_(advances.Metrics().ascent()),
      colour_(text_colour),
      clip_bottom_(clip_bottom) {
  painter_.setPen(ToQColor(colour_));
}

QtMarkedTextSurface::~QtMarkedTextSurface() { Flush(); }

void QtMarkedTextSurface::SetTextColour(Colour colour) {
  if (colour == colour_) return;
  Flush();
  colour_ = colour;
  painter_.setPen(ToQColor(colour_));
}

TextExtent QtMarkedTextSurface::MeasureOne() const { return advances_.One(); }

int QtMarkedTextSurface::Advance(std::string_view gbk_char) const {
  return advances_.Advance(gbk_char);
}

void QtMarkedTextSurface::DrawChar(int x, int y, std::string_view gbk_char) {
  if (y >= clip_bottom_) return;
  const QString text = GbkCharToQString(gbk_char);
  const QPointF baseline(x, y + ascent_);
  quint32 glyph = 0;
  int count = 1;
  if (raw_font_.isValid() && raw_font_.glyphIndexesForChars(text.constData(), 1, &glyph, &count) &&
      count == 1 && glyph != 0) {
    glyphs_.append(glyph);
    positions_.append(baseline);
    return;
  }
  // Not in the cell's face: let the painter find a face that has it.
  Flush();
  painter_.drawText(baseline, text);
}

void QtMarkedTextSurface::Flush() {
  if (glyphs_.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(raw_font_);
  run.setGlyphIndexes(glyphs_);
  run.setPositions(positions_);
  run.setUnderline(painter_.font().underline());
  painter_.drawGlyphRun(QPointF(0, 0), run);
  glyphs_.clear();
  positions_.clear();
}

}  // namespace tv
