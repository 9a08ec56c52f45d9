#include "widgets/qt_text_measure.h"

#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <algorithm>

#include "core/qt_gbk.h"
#include "grid/face_table.h"

namespace tv {
namespace {

constexpr int kLeastLineBoxPercent = 145;

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

TextExtent QtTextMeasure::Measure(const CellFont& font, std::string_view gbk) const {
  if (!last_font_ || !(*last_font_ == font)) {
    last_font_ = font;
    last_metrics_.emplace(ToQFont(font));
  }
  // Rows are fitted as if every face had at least the line box of Noto CJK
  // (1.45 em): the wrapped lines of a row step down by about 1.17 em, and in
  // a face whose box is 1 em high (the AR PL faces) the fitted row would cut
  // its second line in half.
  const int least =
      font.height != 0 ? (std::abs(font.height) * kLeastLineBoxPercent + 99) / 100 : 0;
  return {last_metrics_->horizontalAdvance(FromGbk(gbk)), std::max(last_metrics_->height(), least)};
}

}  // namespace tv
