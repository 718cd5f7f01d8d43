#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include "assets/Artwork.h"
#include "ui/WindowShape.h"

namespace {

constexpr QRgb kKey = 0xFFFF00FF;
constexpr QRgb kSkin = 0xFF203050;

QImage Picture(int width, int height, QRgb fill = kSkin) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(fill);
  return image;
}

// Every pixel of the picture: in the region exactly when it is not the key colour.
void ExpectRegionFollowsKey(const QImage& image, const QRegion& region) {
  const QRgb key = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_EQ(region.contains(QPoint(x, y)), image.pixel(x, y) != key) << x << "," << y;
    }
  }
  EXPECT_TRUE(region.boundingRect().isEmpty() ||
              QRect(0, 0, image.width(), image.height()).contains(region.boundingRect()));
}

TEST(RegionFromBitmap, OnlyTheTopLeftPixelKeyedLeavesTheRestWhole) {
  QImage image = Picture(7, 3);
  image.setPixel(0, 0, kKey);
  const QRegion region = ui::RegionFromBitmap(image);
  EXPECT_EQ(region, QRegion(0, 0, 7, 3) - QRegion(0, 0, 1, 1));
}

TEST(RegionFromBitmap, RunsAreCutRowByRow) {
  QImage image = Picture(10, 3);
  for (int x = 0; x <= 4; ++x) image.setPixel(x, 0, kKey);  // columns 0..4, then skin at 5
  for (int x = 6; x < 10; ++x) image.setPixel(x, 1, kKey);  // a run to the right edge
  image.setPixel(3, 2, kKey);                               // a hole inside
  image.setPixel(5, 2, kKey);
  const QRegion region = ui::RegionFromBitmap(image);
  ExpectRegionFollowsKey(image, region);
  EXPECT_TRUE(region.contains(QPoint(5, 0)));
  EXPECT_FALSE(region.contains(QPoint(9, 1)));
  EXPECT_TRUE(region.contains(QPoint(4, 2)));
}

TEST(RegionFromBitmap, AllKeyGivesNothing) {
  EXPECT_TRUE(ui::RegionFromBitmap(Picture(5, 4, kKey)).isEmpty());
  EXPECT_TRUE(ui::RegionFromBitmap(QImage()).isEmpty());
}

TEST(RegionFromBitmap, AColourOneOffInAnyChannelStays) {
  for (QRgb near : {0xFFFE00FFu, 0xFFFF01FFu, 0xFFFF00FEu}) {
    QImage image = Picture(3, 1, kKey);
    image.setPixel(1, 0, near);
    EXPECT_EQ(ui::RegionFromBitmap(image), QRegion(1, 0, 1, 1)) << std::hex << near;
  }
}

TEST(RegionFromBitmap, ThirtyTwoBitPicturesAreComparedAsTwentyFourBit) {
  QImage image(4, 2, QImage::Format_ARGB32);
  image.fill(0x80FF00FF);  // the key colour with some alpha: alpha is not part of the colour
  image.setPixel(2, 1, 0xFF102030);
  EXPECT_EQ(ui::RegionFromBitmap(image), QRegion(2, 1, 1, 1));
}

TEST(RegionFromBitmap, TheSkinIsShapedAndKeyedFromItsCorner) {
  const QImage skin(artwork::kSkin);
  ASSERT_EQ(skin.size(), QSize(543, 194));
  EXPECT_EQ(skin.pixel(0, 0), kKey);
  const QRegion region = ui::RegionFromBitmap(skin);
  ExpectRegionFollowsKey(skin, region);
  // Rounded corners and the row below the window are cut; the middle stays.
  for (QPoint corner : {QPoint(0, 0), QPoint(542, 0), QPoint(0, 192), QPoint(542, 192)}) {
    EXPECT_FALSE(region.contains(corner)) << corner.x() << "," << corner.y();
  }
  EXPECT_TRUE(region.contains(QPoint(271, 96)));
  EXPECT_FALSE(region.intersects(QRect(0, 193, 543, 1)));
  EXPECT_GT(region.rectCount(), 4) << "the outline is not a plain rectangle";
}

TEST(TranslucencyAlpha, FollowsThePercentage) {
  const std::pair<int, int> table[] = {{0, 255}, {10, 229}, {20, 204}, {50, 127}, {100, 0}};
  for (auto [percent, alpha] : table) EXPECT_EQ(ui::TranslucencyAlpha(percent), alpha) << percent;
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(ui::TranslucencyAlpha(p), (100 - p) * 51 / 20);
}

}  // namespace
