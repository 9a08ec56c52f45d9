#pragma once
// The grid's picture strip: five 16 x 16 pictures drawn in code (coloured and
// grey messenger figure, parcel, truck, detail page) on pure green, which is
// then made transparent.
#include <QImage>
#include <QPixmap>

namespace tv {

// The strip as drawn, green background still in (80 x 16 times `scale`,
// RGB32): at scale 2 every picture is drawn with twice the pixels, not blown up.
QImage DrawImageStripKeyed(int scale = 1);
// Pure green (0, 255, 0) pixels become transparent.
QImage ApplyGreenKey(const QImage& keyed);
// What the grids use: DrawImageStripKeyed with the green keyed out, drawn at
// `scale` (0: the application's device pixel ratio, rounded up) and marked
// with it, so the pictures stay sharp on a high-resolution screen. Drawn from
// a pixmap's device pixels, a picture is kImageSize * ratio wide.
QPixmap StandardImageStrip(int scale = 0);

}  // namespace tv
