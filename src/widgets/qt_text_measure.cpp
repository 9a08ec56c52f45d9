#include "widgets/qt_text_measure.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <algorithm>

#include "core/qt_gbk.h"
#include "grid/face_table.h"
#include "widgets/qt_marked_surface.h"

namespace tv {
namespace {

bool FaceInstalled(const QString& face) {
  static QHash<QString, bool> known;
  auto it = known.find(face);
  if (it == known.end()) it = known.insert(face, QFontDatabase::hasFamily(face));
  return it.value();
}

}  // namespace

QString FallbackChineseFace() {
  static const QString face = [] {
    // Serif first: the faces the program names are Song-style.
    const QStringList candidates = {"Noto Serif CJK SC", "Noto Sans CJK SC", "WenQuanYi Zen Hei",
                                    "AR PL UMing CN", "Noto Sans Mono CJK SC"};
    for (const QString& candidate : candidates) {
      if (QFontDatabase::hasFamily(candidate)) return candidate;
    }
    return QString();
  }();
  return face;
}

QStringList InstalledFamilies(std::string_view gbk_face) {
  QStringList families;
  for (const std::string& family : FamiliesForFace(gbk_face)) {
    const QString name = QString::fromStdString(family);
    if (FaceInstalled(name)) families.append(name);
  }
  const QString fallback = FallbackChineseFace();
  if (!fallback.isEmpty() && !families.contains(fallback)) families.append(fallback);
  return families;
}

QFont ToQFont(const CellFont& font) {
  QFont result;
  const QStringList families = InstalledFamilies(font.face);
  if (!families.isEmpty()) result.setFamilies(families);
  if (font.height != 0) result.setPixelSize(std::abs(font.height));
  result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  return result;
}

QtCharAdvances::QtCharAdvances(const QFont& font)
    : metrics_(font),
      one_{metrics_.horizontalAdvance(QLatin1Char('1')), metrics_.height()},
      table_(0x10000, -1) {}

int QtCharAdvances::Advance(std::string_view gbk_char) {
  if (gbk_char.empty() || gbk_char.size() > 2) return 0;
  const unsigned code = gbk_char.size() == 1 ? static_cast<unsigned char>(gbk_char[0])
                                             : (static_cast<unsigned char>(gbk_char[0]) << 8) |
                                                   static_cast<unsigned char>(gbk_char[1]);
  std::int16_t& slot = table_[code];
  if (slot < 0) {
    slot = static_cast<std::int16_t>(
        std::clamp(metrics_.horizontalAdvance(GbkCharToQString(gbk_char)), 0, 0x7FFF));
  }
  return slot;
}

QtCharAdvances& CharAdvancesOf(const CellFont& font) {
  // A handful of fonts in a run (the grid's, the row text's), asked for
  // character by character: the last one answers without a look-up.
  static std::vector<std::pair<CellFont, std::unique_ptr<QtCharAdvances>>> fonts;
  static std::size_t last = 0;
  if (last < fonts.size() && fonts[last].first == font) return *fonts[last].second;
  for (last = 0; last < fonts.size(); ++last) {
    if (fonts[last].first == font) return *fonts[last].second;
  }
  fonts.emplace_back(font, std::make_unique<QtCharAdvances>(ToQFont(font)));
  last = fonts.size() - 1;
  return *fonts.back().second;
}

TextExtent QtTextMeasure::Measure(const CellFont& font, std::string_view gbk) const {
  const QFontMetrics& metrics = CharAdvancesOf(font).Metrics();
  return {metrics.horizontalAdvance(FromGbk(gbk)), metrics.height()};
}

int QtTextMeasure::CharAdvance(const CellFont& font, std::string_view gbk_char) const {
  return CharAdvancesOf(font).Advance(gbk_char);
}

}  // namespace tv
