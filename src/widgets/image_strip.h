#pragma once
// The grid's picture strip: five 16 x 16 pictures drawn in code (coloured and
// grey messenger figure, parcel, truck, detail page). At scale 1 they are
// drawn without smoothing on pure green, which is then made transparent; at a
// higher scale (a HiDPI screen) the same shapes are drawn smooth on a
// transparent ground with `scale` times the pixels.
#include <QImage>
#include <QPixmap>

namespace tv {

// The strip as drawn, green background still in (80 x 16 times `scale`,
// RGB32), without smoothing.
QImage DrawImageStripKeyed(int scale = 1);
// Pure green (0, 255, 0) pixels become transparent.
QImage ApplyGreenKey(const QImage& keyed);
// The pictures with transparency, 80 x 16 times `scale`: at scale 1 the keyed
// strip with its green taken out, above that drawn smooth.
QImage DrawImageStrip(int scale);
// The strip scale for a device pixel ratio: the ratio rounded up.
int ImageStripScale(qreal ratio);
// What the grids use: DrawImageStrip at `scale` (0: the application's device
// pixel ratio) marked with it, so the pictures stay sharp on a
// high-resolution screen. Drawn from a pixmap's device pixels, a picture is
// kImageSize * ratio wide. Drawn once per scale.
QPixmap StandardImageStrip(int scale = 0);
// Whether `strip` is one StandardImageStrip gave (then a grid may swap it for
// the one of another scale when its screen changes).
bool IsStandardImageStrip(const QPixmap& strip);

}  // namespace tv
