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

QtMarkedTextSurface::QtMarkedTextSurface(QPainter& painter, Colour text_colour, int clip_bottom)
    : painter_(painter), metrics_(painter.font()), colour_(text_colour), clip_bottom_(clip_bottom) {
  painter_.setPen(ToQColor(colour_));
}

void QtMarkedTextSurface::SetTextColour(Colour colour) {
  if (colour == colour_) return;
  colour_ = colour;
  painter_.setPen(ToQColor(colour_));
}

TextExtent QtMarkedTextSurface::MeasureOne() const {
  return {metrics_.horizontalAdvance(QLatin1Char('1')), metrics_.height()};
}

void QtMarkedTextSurface::DrawChar(int x, int y, std::string_view gbk_char) {
  if (y >= clip_bottom_) return;
  painter_.drawText(QPoint(x, y + metrics_.ascent()), GbkCharToQString(gbk_char));
}

}  // namespace tv
