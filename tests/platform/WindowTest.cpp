// The window layer: the shape of a window cut from a bitmap.
#include <gtest/gtest.h>

#include <QImage>

#include <random>

#include "platform/Window.h"

namespace tarvik {
namespace {

TEST(RegionFromBitmap, CoversExactlyThePixelsThatAreNotTransparent) {
  std::mt19937 rng(5);
  QImage noise(37, 23, QImage::Format_ARGB32);
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x) {
      noise.setPixel(x, y, rng() % 3 ? qRgba(255, 0, 255, rng() % 256) : qRgb(10, 20, 30));
    }
  }
  const QRegion n = RegionFromBitmap(noise, qRgb(255, 0, 255));  // alpha does not count
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x) {
      ASSERT_EQ(n.contains(QPoint(x, y)), (noise.pixel(x, y) & 0xFFFFFF) != 0xFF00FF) << x << "," << y;
    }
  }
  noise.fill(qRgb(255, 0, 255));
  EXPECT_TRUE(RegionFromBitmap(noise, qRgb(255, 0, 255)).isEmpty());
}

}  // namespace
}  // namespace tarvik
