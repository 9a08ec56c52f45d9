#pragma once
// The Qt side of the grid's fonts and measuring: CellFont -> QFont (with a
// fall-back to an installed Chinese face), and the TextMeasure of the program.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <optional>

#include "grid/grid_types.h"
#include "grid/text_measure.h"

namespace tv {

// The QFont for a cell font. A face that is not installed (the usual "宋体"
// on Linux) is replaced by the first Chinese face that is.
QFont ToQFont(const CellFont& font);
// The face used when a named face is missing.
QString FallbackChineseFace();

inline QColor ToQColor(Colour c) { return QColor(ColourRed(c), ColourGreen(c), ColourBlue(c)); }
inline Colour FromQColor(const QColor& c) { return MakeColour(c.red(), c.green(), c.blue()); }

// Qt font metrics: width is the horizontal advance of the converted text,
// height the font's line height. Use on the UI thread.
class QtTextMeasure final : public TextMeasure {
 public:
  TextExtent Measure(const CellFont& font, std::string_view gbk) const override;

 private:
  // The last font's metrics: rows are fitted one font at a time.
  mutable std::optional<CellFont> last_font_;
  mutable std::optional<QFontMetrics> last_metrics_;
};

}  // namespace tv
