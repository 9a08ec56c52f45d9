#include "widgets/image_strip.h"

#include <gtest/gtest.h>

#include <QImage>

#include "grid/grid_types.h"

namespace tv {
namespace {

TEST(ImageStrip, GreenIsTransparentAndEveryPictureHasPixels) {
  const QImage keyed = DrawImageStripKeyed();
  ASSERT_EQ(keyed.size(), QSize(kImageSize * kImageStripCount, kImageSize));
  const QImage picture_strip = ApplyGreenKey(keyed);
  ASSERT_TRUE(picture_strip.hasAlphaChannel());
  for (int i = 0; i < kImageStripCount; ++i) {
    SCOPED_TRACE(i);
    int opaque = 0;
    int transparent = 0;
    for (int y = 0; y < kImageSize; ++y) {
      for (int x = i * kImageSize; x < (i + 1) * kImageSize; ++x) {
        const QRgb keyed_pixel = keyed.pixel(x, y);
        const QRgb pixel = picture_strip.pixel(x, y);
        const bool green = (keyed_pixel & 0xFFFFFF) == 0x00FF00;
        EXPECT_EQ(qAlpha(pixel), green ? 0 : 255);
        (green ? transparent : opaque)++;
      }
    }
    EXPECT_GT(opaque, 40);       // a picture, not a dot
    EXPECT_GT(transparent, 10);  // and not a filled square
  }
  // The grey figure is the coloured one without colour.
  bool differs = false;
  for (int y = 0; y < kImageSize; ++y) {
    for (int x = 0; x < kImageSize; ++x) {
      const QRgb grey = picture_strip.pixel(strip::kMessengerGrey * kImageSize + x, y);
      EXPECT_EQ(qAlpha(grey), qAlpha(picture_strip.pixel(x, y)));
      if (qAlpha(grey) != 0) {
        EXPECT_TRUE(qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey));
      }
      differs |= grey != picture_strip.pixel(x, y);
    }
  }
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace tv
