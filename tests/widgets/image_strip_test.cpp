#include "widgets/image_strip.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "widgets_app.h"

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

// At a pixel ratio of 2 or 3 every picture is drawn with that many times the
// pixels, smooth: the same shape as at 1x (about the same pixels covered),
// but not the 1x picture blown up, whose every scale x scale block is one
// colour and whose edges have no partly covered pixels.
TEST(ImageStrip, EveryPictureIsDrawnSharpAtHigherRatios) {
  App();  // pixmaps need the application
  const QImage plain = DrawImageStrip(1);
  const struct {
    int picture;
    const char* what;
  } kPictures[] = {{strip::kMessenger, "messenger"},
                   {strip::kMessengerGrey, "grey messenger"},
                   {strip::kParcel, "parcel"},
                   {strip::kTruck, "truck"},
                   {strip::kDetail, "detail page"}};
  for (const int scale : {2, 3}) {
    const QPixmap strip = StandardImageStrip(scale);
    ASSERT_EQ(strip.devicePixelRatio(), scale);
    ASSERT_EQ(strip.size(), QSize(kImageSize * kImageStripCount, kImageSize) * scale);
    EXPECT_EQ(strip.deviceIndependentSize(), QSizeF(kImageSize * kImageStripCount, kImageSize));
    EXPECT_TRUE(IsStandardImageStrip(strip));
    const QImage sharp = strip.toImage();
    for (const auto& [picture, what] : kPictures) {
      SCOPED_TRACE(testing::Message() << what << " at " << scale << "x");
      int differing = 0;
      int mixed_blocks = 0;
      int partly_covered = 0;
      for (int y = 0; y < kImageSize; ++y) {
        for (int x = picture * kImageSize; x < (picture + 1) * kImageSize; ++x) {
          int covered = 0;
          bool one_colour = true;
          const QRgb first = sharp.pixel(x * scale, y * scale);
          for (int dy = 0; dy < scale; ++dy) {
            for (int dx = 0; dx < scale; ++dx) {
              const QRgb pixel = sharp.pixel(x * scale + dx, y * scale + dy);
              covered += qAlpha(pixel) >= 128;
              partly_covered += qAlpha(pixel) != 0 && qAlpha(pixel) != 255;
              one_colour &= pixel == first;
            }
          }
          differing += (2 * covered >= scale * scale) != (qAlpha(plain.pixel(x, y)) != 0);
          mixed_blocks += !one_colour;
        }
      }
      EXPECT_LT(differing, kImageSize * kImageSize / 10);
      EXPECT_GT(mixed_blocks, 4);
      EXPECT_GT(partly_covered, 4);
    }
  }
  // The 1x pictures are the keyed strip, as they always were.
  EXPECT_EQ(StandardImageStrip(1).toImage().convertToFormat(QImage::Format_ARGB32),
            ApplyGreenKey(DrawImageStripKeyed(1)));
}

}  // namespace
}  // namespace tv
