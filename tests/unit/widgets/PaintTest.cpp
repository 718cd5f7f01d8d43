#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "MeterFixture.h"
#include "widgets/BlockBar.h"

namespace widgets {
namespace {

constexpr TColor kLightGreen = 8454016;
constexpr TColor kControl = RGB(240, 240, 240);

QRgb Pixel(TColor c) {
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

struct MeterCase {
  int fillLength;
  bool showFullBlock;
  int firstLitRow;  // block rows from here down to 105 are lit, the others inactive
};

class MeterPaint : public testing::TestWithParam<MeterCase> {};

TEST_P(MeterPaint, EveryPixelMatches) {
  const MeterCase c = GetParam();
  TBlockBar bar;
  bar.SetControlColor(kControl);
  test::ConfigureMeter(bar);
  bar.SetShowFullBlock(c.showFullBlock);
  ASSERT_GE(test::PositionForFill(bar, c.fillLength), 0);
  bar.Paint();

  const QImage& image = bar.Image();
  ASSERT_EQ(image.size(), QSize(20, 112));
  const std::set<int> blockRows = test::MeterBlockRows();
  const TCLRArray inactive = BuildCylinderShades(clWhite, 17, blMetal);
  for (int y = 0; y < 112; ++y) {
    const TCLRArray lit =
        BuildCylinderShades(GradientColor(clRed, kLightGreen, 108, y, false), 17, blMetal);
    for (int x = 0; x < 20; ++x) {
      TColor want = clMaroon;
      if (x == 0 || x == 19 || y == 0 || y == 111) {
        want = 15132415;
      } else if (x >= 3 && x <= 16 && blockRows.count(y)) {
        want = y >= c.firstLitRow ? lit[x] : inactive[x];
      }
      ASSERT_EQ(image.pixel(x, y), Pixel(want))
          << "fill " << c.fillLength << " full " << c.showFullBlock << " at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fills, MeterPaint,
                         testing::Values(MeterCase{0, false, 112}, MeterCase{0, true, 112},
                                         MeterCase{5, false, 112}, MeterCase{5, true, 112},
                                         MeterCase{6, false, 112}, MeterCase{6, true, 112},
                                         MeterCase{7, false, 105}, MeterCase{7, true, 112},
                                         MeterCase{54, false, 58}, MeterCase{54, true, 62},
                                         MeterCase{108, false, 4}, MeterCase{108, true, 4}));

TEST(Paint, MeterTablesAtTheEnds) {
  TBlockBar bar;
  test::ConfigureMeter(bar);
  ASSERT_EQ(bar.BarColors().size(), 109u);
  ASSERT_EQ(bar.BarColors()[0].size(), 17u);
  EXPECT_EQ(bar.BarColors()[0][0], RGB(153, 0, 0));
  EXPECT_EQ(bar.BarColors()[108], BuildCylinderShades(kLightGreen, 17, blMetal));
  EXPECT_EQ(bar.InactiveColors()[0], RGB(204, 204, 204));
}

TEST(Paint, HorizontalBarWithoutBlocks) {
  TBlockBar bar;
  bar.SetShowInactivePos(true);
  bar.SetInactivePosColor(RGB(1, 2, 3));
  bar.SetBarColor(RGB(9, 8, 7));
  for (int fill : {0, 20}) {
    bar.SetPosition(fill * 100 / 60);
    ASSERT_EQ(bar.FillLength(), fill);
    bar.Paint();
    for (int x = 1; x < 63; ++x) {
      const TColor want = x < 3                 ? bar.BackgroundColor()
                          : x <= fill && x >= 3 ? RGB(9, 8, 7)
                          : x <= 60             ? RGB(1, 2, 3)
                                                : bar.BackgroundColor();
      for (int y = 3; y <= 12; ++y)
        ASSERT_EQ(bar.Image().pixel(x, y), Pixel(want)) << x << "," << y;
      EXPECT_EQ(bar.Image().pixel(x, 2), Pixel(bar.BackgroundColor())) << x;
      EXPECT_EQ(bar.Image().pixel(x, 13), Pixel(bar.BackgroundColor())) << x;
    }
  }
}

TEST(Paint, RoundedOutline) {
  TBlockBar bar;
  bar.SetControlColor(kControl);
  bar.Paint();
  const QImage& image = bar.Image();
  const QRgb border = Pixel(bar.ShapeColor());
  for (QPoint corner : {QPoint(0, 0), QPoint(63, 0), QPoint(0, 15), QPoint(63, 15)}) {
    EXPECT_EQ(image.pixel(corner), Pixel(kControl)) << corner.x() << "," << corner.y();
  }
  EXPECT_EQ(image.pixel(1, 0), border);
  EXPECT_EQ(image.pixel(62, 15), border);
  EXPECT_EQ(image.pixel(0, 1), border);
  EXPECT_EQ(image.pixel(63, 14), border);
  EXPECT_EQ(image.pixel(1, 1), Pixel(bar.BackgroundColor()));
  EXPECT_EQ(image.pixel(0, 8), border);
  EXPECT_EQ(image.pixel(30, 0), border);
}

TEST(Paint, UnshapedShowsTheControlColourAroundTheLines) {
  TBlockBar bar;
  bar.SetControlColor(kControl);
  bar.SetShaped(false);
  bar.SetPosition(100);
  bar.Paint();
  EXPECT_EQ(bar.Image().pixel(0, 0), Pixel(kControl));
  EXPECT_EQ(bar.Image().pixel(1, 1), Pixel(kControl));
  EXPECT_EQ(bar.Image().pixel(3, 3), Pixel(65280));
  EXPECT_EQ(bar.Image().pixel(60, 12), Pixel(65280));
  EXPECT_EQ(bar.Image().pixel(61, 12), Pixel(kControl));
}

// A fill beyond the bar's end stays within the bar: after an orientation assignment that
// changed the margin, and on a bar no longer than twice its inset.
TEST(Paint, FillBeyondTheBarStaysWithinIt) {
  TBlockBar bar;
  bar.SetHeight(8);
  bar.SetOrientation(boHorizontal);  // margin 1, barLength 62
  bar.SetPosition(100);
  bar.SetHeight(16);
  bar.SetOrientation(boHorizontal);  // margin 2, barLength 60, fill still 62
  ASSERT_EQ(bar.FillLength(), 62);
  ASSERT_EQ(bar.BarLength(), 60);
  bar.Paint();
  EXPECT_EQ(bar.Image().pixel(60, 8), Pixel(65280));
  EXPECT_EQ(bar.Image().pixel(61, 8), Pixel(bar.BackgroundColor()));

  TBlockBar tiny;
  tiny.SetWidth(8);
  tiny.SetBlockSize(1);
  tiny.SetSpaceSize(1);
  tiny.SetShowFullBlock(true);
  tiny.SetShowInactivePos(true);
  tiny.SetPosition(1);
  ASSERT_EQ(tiny.FillLength(), 5);
  ASSERT_EQ(tiny.BarLength(), 4);
  tiny.Paint();
  EXPECT_EQ(tiny.Image().pixel(3, 8), Pixel(65280));
  EXPECT_EQ(tiny.Image().pixel(5, 8), Pixel(tiny.BackgroundColor()));

  TBlockBar vertical;
  vertical.SetWidth(8);
  vertical.SetOrientation(boVertical);  // 8 x 16, margin 1, barLength 14
  vertical.SetPosition(100);
  vertical.SetWidth(16);
  vertical.SetOrientation(boVertical);  // margin 2, barLength 12, fill still 14
  ASSERT_EQ(vertical.FillLength(), 14);
  ASSERT_EQ(vertical.BarLength(), 12);
  vertical.Paint();
  EXPECT_EQ(vertical.Image().pixel(8, 4), Pixel(65280));
  EXPECT_EQ(vertical.Image().pixel(8, 3), Pixel(vertical.BackgroundColor()));
}

TEST(Paint, DegenerateSizesDrawNoLines) {
  for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(3, 40), QSize(64, 2), QSize(5, 5)}) {
    TBlockBar bar;
    bar.SetBlockSize(1);
    bar.SetSpaceSize(1);
    bar.SetShowInactivePos(true);
    bar.SetSize(size.width(), size.height());
    bar.SetOrientation(boHorizontal);
    bar.SetPosition(100);
    bar.Paint();
    bar.SetOrientation(boVertical);
    bar.SetPosition(1);
    bar.Paint();
    if (!bar.Image().isNull()) {
      EXPECT_EQ(bar.Image().size(), QSize(bar.Width(), bar.Height()));
    }
  }
}

TEST(Paint, CaptionIsDrawnOnTopOfTheLines) {
  TBlockBar bar;
  bar.SetShowInactivePos(true);
  bar.Paint();
  const QImage plain = bar.Image().copy();
  bar.SetAutoCaption(true);
  bar.SetShowPosAsPct(true);
  bar.SetPosition(50);
  bar.SetPosition(0);
  bar.Paint();
  EXPECT_EQ(bar.Caption(), "50%");  // an empty bar keeps the last percentage
  EXPECT_NE(bar.Image(), plain);
}

// The two meters at a few levels, side by side, for people to look at.
TEST(Paint, MetersScreenshot) {
  const int levels[][2] = {{0, 0}, {1, 8192}, {16384, 32768}, {49152, 65535}};
  QImage sheet(4 * 50, 130, QImage::Format_RGB32);
  sheet.fill(qRgb(40, 40, 40));
  QPainter painter(&sheet);
  for (int i = 0; i < 4; ++i) {
    for (int side = 0; side < 2; ++side) {
      TBlockBar bar;
      test::ConfigureMeter(bar);
      bar.SetPosition(levels[i][side]);
      bar.Paint();
      painter.drawImage(i * 50 + 4 + side * 21, 9, bar.Image());
    }
  }
  painter.end();
  const std::string path = std::string(WIDGETS_SCREENSHOT_DIR) + "/level_meters.png";
  const QImage large =
      sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  EXPECT_TRUE(large.save(QString::fromStdString(path))) << path;
}

}  // namespace
}  // namespace widgets
