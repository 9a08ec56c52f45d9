#pragma once
// The grid's picture strip: five 16 x 16 pictures drawn in code (coloured and
// grey messenger figure, parcel, truck, detail page) on pure green, which is
// then made transparent.
#include <QImage>
#include <QPixmap>

namespace tv {

// The strip as drawn, green background still in (80 x 16, RGB32).
QImage DrawImageStripKeyed();
// Pure green (0, 255, 0) pixels become transparent.
QImage ApplyGreenKey(const QImage& keyed);
// What the grids use: DrawImageStripKeyed with the green keyed out.
QPixmap StandardImageStrip();

}  // namespace tv
