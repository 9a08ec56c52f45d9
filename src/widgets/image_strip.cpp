#include "widgets/image_strip.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <map>

#include "grid/grid_types.h"

namespace tv {
namespace {

const QColor kKeyGreen(0, 255, 0);

// A round-bodied messenger figure: head and body, belly, eyes, beak, scarf
// and feet. `grey` draws the same figure in greys (member without QQ).
void DrawMessenger(QPainter& p, int x0, bool grey) {
  auto pick = [grey](const QColor& colour) {
    if (!grey) return colour;
    const int v = qGray(colour.rgb());
    // Lift the greys so the figure reads as "not available".
    const int g = 90 + v * 150 / 255;
    return QColor(g, g, g);
  };
  p.setPen(Qt::NoPen);
  p.setBrush(pick(QColor(20, 20, 20)));
  p.drawEllipse(QRect(x0 + 4, 0, 8, 8));    // head
  p.drawEllipse(QRect(x0 + 3, 5, 10, 10));  // body
  p.setBrush(pick(QColor(250, 250, 250)));
  p.drawEllipse(QRect(x0 + 5, 7, 6, 7));  // belly
  p.setBrush(pick(QColor(255, 255, 255)));
  p.drawRect(QRect(x0 + 5, 2, 2, 2));  // eyes
  p.drawRect(QRect(x0 + 9, 2, 2, 2));
  p.setBrush(pick(QColor(255, 200, 0)));
  p.drawRect(QRect(x0 + 7, 4, 2, 2));   // beak
  p.drawRect(QRect(x0 + 3, 14, 4, 2));  // feet
  p.drawRect(QRect(x0 + 9, 14, 4, 2));
  p.setBrush(pick(QColor(220, 20, 20)));
  p.drawRect(QRect(x0 + 4, 7, 8, 1));  // scarf
}

// Outlined shapes: a smooth painter strokes a one-pixel pen centred on the
// coordinate, an aliased one fills the pixel right of and below it. Moved by
// half a pixel, the smooth outline covers the pixels the aliased one does.
class OutlineOffset {
 public:
  explicit OutlineOffset(QPainter& p) : p_(p) {
    p_.save();
    if (p_.testRenderHint(QPainter::Antialiasing)) p_.translate(0.5, 0.5);
  }
  ~OutlineOffset() { p_.restore(); }
  OutlineOffset(const OutlineOffset&) = delete;
  OutlineOffset& operator=(const OutlineOffset&) = delete;

 private:
  QPainter& p_;
};

void DrawParcel(QPainter& p, int x0) {
  const OutlineOffset offset(p);
  p.setPen(QColor(110, 70, 20));
  p.setBrush(QColor(205, 150, 80));
  p.drawRect(QRect(x0 + 1, 4, 13, 10));  // box (outline included: 14 x 11)
  p.setBrush(QColor(230, 185, 120));
  p.drawPolygon(QPolygon(
      {QPoint(x0 + 1, 4), QPoint(x0 + 4, 1), QPoint(x0 + 14, 1), QPoint(x0 + 14, 4)}));  // lid
  p.setPen(QColor(240, 230, 200));
  p.drawLine(x0 + 8, 2, x0 + 8, 13);  // tape
  p.drawLine(x0 + 2, 8, x0 + 13, 8);
}

void DrawTruck(QPainter& p, int x0) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(160, 160, 170));
  p.drawRect(QRect(x0 + 0, 3, 10, 8));  // cargo box
  p.setBrush(QColor(30, 90, 200));
  p.drawRect(QRect(x0 + 10, 6, 6, 5));  // cab
  p.setBrush(QColor(180, 220, 255));
  p.drawRect(QRect(x0 + 12, 7, 3, 2));  // window
  p.setBrush(QColor(20, 20, 20));
  p.drawEllipse(QRect(x0 + 1, 10, 5, 5));  // wheels
  p.drawEllipse(QRect(x0 + 10, 10, 5, 5));
}

void DrawDetailPage(QPainter& p, int x0) {
  const OutlineOffset offset(p);
  p.setPen(QColor(60, 60, 90));
  p.setBrush(QColor(255, 255, 255));
  p.drawPolygon(QPolygon({QPoint(x0 + 2, 0), QPoint(x0 + 10, 0), QPoint(x0 + 13, 3),
                          QPoint(x0 + 13, 15), QPoint(x0 + 2, 15)}));  // page
  p.drawLine(x0 + 10, 0, x0 + 10, 3);                                  // folded corner
  p.drawLine(x0 + 10, 3, x0 + 13, 3);
  p.setPen(QColor(40, 110, 210));
  for (int y = 5; y <= 12; y += 2) p.drawLine(x0 + 4, y, x0 + (y == 12 ? 8 : 11), y);
}

void DrawPictures(QPainter& p) {
  DrawMessenger(p, strip::kMessenger * kImageSize, false);
  DrawMessenger(p, strip::kMessengerGrey * kImageSize, true);
  DrawParcel(p, strip::kParcel * kImageSize);
  DrawTruck(p, strip::kTruck * kImageSize);
  DrawDetailPage(p, strip::kDetail * kImageSize);
}

}  // namespace

QImage DrawImageStripKeyed(int scale) {
  scale = std::max(scale, 1);
  QImage image(kImageSize * kImageStripCount * scale, kImageSize * scale, QImage::Format_RGB32);
  image.fill(kKeyGreen);
  QPainter p(&image);
  p.scale(scale, scale);
  // No anti-aliasing: blended edge pixels would be near-green and survive the key.
  p.setRenderHint(QPainter::Antialiasing, false);
  DrawPictures(p);
  p.end();
  return image;
}

QImage DrawImageStrip(int scale) {
  scale = std::max(scale, 1);
  if (scale == 1) return ApplyGreenKey(DrawImageStripKeyed(1));
  QImage image(kImageSize * kImageStripCount * scale, kImageSize * scale,
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing, true);
  DrawPictures(p);
  p.end();
  return image;
}

QImage ApplyGreenKey(const QImage& keyed) {
  QImage out = keyed.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if ((line[x] & 0x00FFFFFFu) == 0x0000FF00u) line[x] = 0;
    }
  }
  return out;
}

int ImageStripScale(qreal ratio) {
  return std::max(1, static_cast<int>(std::ceil(ratio - 0.01)));
}

QPixmap StandardImageStrip(int scale) {
  if (scale <= 0) {
    scale = ImageStripScale(qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0);
  }
  // Drawn once per scale; every grid shares the pixmap (pixmaps live on the
  // UI thread only, and go with the application).
  static std::map<int, QPixmap> drawn;
  if (drawn.empty()) qAddPostRoutine([] { drawn.clear(); });
  QPixmap& strip = drawn[scale];
  if (strip.isNull()) {
    strip = QPixmap::fromImage(DrawImageStrip(scale));
    strip.setDevicePixelRatio(scale);
  }
  return strip;
}

bool IsStandardImageStrip(const QPixmap& strip) {
  const int scale = static_cast<int>(strip.devicePixelRatio());
  return !strip.isNull() && scale == strip.devicePixelRatio() &&
         strip.cacheKey() == StandardImageStrip(scale).cacheKey();
}

}  // namespace tv
