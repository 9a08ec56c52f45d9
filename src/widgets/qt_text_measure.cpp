#include "widgets/qt_text_measure.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <algorithm>

#include "core/qt_gbk.h"

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

QFont ToQFont(const CellFont& font) {
  QFont result;
  QString face = FromGbk(font.face);
  if (face.isEmpty() || !FaceInstalled(face)) face = FallbackChineseFace();
  if (!face.isEmpty()) result.setFamilies({face, FallbackChineseFace()});
  if (font.height != 0) result.setPixelSize(std::abs(font.height));
  result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  result.setItalic(font.italic);
  result.setUnderline(font.underline);
  return result;
}

TextExtent QtTextMeasure::Measure(const CellFont& font, std::string_view gbk) const {
  if (!last_font_ || !(*last_font_ == font)) {
    last_font_ = font;
    last_metrics_.emplace(ToQFont(font));
  }
  return {last_metrics_->horizontalAdvance(FromGbk(gbk)), last_metrics_->height()};
}

}  // namespace tv
