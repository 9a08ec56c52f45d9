#pragma once
// The Qt side of the grid's fonts and measuring: CellFont -> QFont (with a
// fall-back to an installed Chinese face), and the TextMeasure of the program.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <memory>
#include <string_view>
#include <vector>

#include "grid/grid_types.h"
#include "grid/text_measure.h"

namespace tv {

// The QFont for a cell font: the installed stand-ins of a listed face (the
// face table), or the face itself when installed, then the first Chinese face
// that is installed.
QFont ToQFont(const CellFont& font);
// The families of that QFont, best first (GBK face name as stored).
QStringList InstalledFamilies(std::string_view gbk_face);
// The face used when a named face is missing.
QString FallbackChineseFace();

inline QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }
inline Colour FromQColor(const QColor& c) { return MakeColour(c.red(), c.green(), c.blue()); }

// The advances of the characters of one cell font, cached by GBK code. Row
// heights are fitted and cells drawn with the same instance (CharAdvancesOf),
// so what a row was fitted to is what is drawn in it. UI thread only.
class QtCharAdvances {
 public:
  explicit QtCharAdvances(const QFont& font);
  const QFontMetrics& Metrics() const { return metrics_; }
  // The extent of "1": w1 and h1 of the marked-text layout.
  TextExtent One() const { return one_; }
  // One character of one or two GBK bytes.
  int Advance(std::string_view gbk_char);

 private:
  QFontMetrics metrics_;
  TextExtent one_;
  std::vector<std::int16_t> table_;  // -1: not measured yet
};

// The shared advances of a cell font.
QtCharAdvances& CharAdvancesOf(const CellFont& font);

// Qt font metrics: width is the horizontal advance of the converted text,
// height the font's line height. Use on the UI thread.
class QtTextMeasure final : public TextMeasure {
 public:
  TextExtent Measure(const CellFont& font, std::string_view gbk) const override;
  int CharAdvance(const CellFont& font, std::string_view gbk_char) const override;
};

}  // namespace tv
