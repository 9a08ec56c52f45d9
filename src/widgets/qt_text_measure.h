#pragma once
// The Qt side of the grid's fonts and measuring: CellFont -> QFont (with a
// fall-back to an installed Chinese face), and the TextMeasure of the program.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <optional>
#include <string_view>

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
