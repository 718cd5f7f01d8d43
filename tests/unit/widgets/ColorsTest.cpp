#include <gtest/gtest.h>

#include "widgets/BlockBar.h"
#include "widgets/BlockBarColors.h"

namespace widgets {
namespace {

constexpr TColor kLightGreen = 8454016;  // RGB(128, 255, 128)

TEST(Colors, RgbToHls) {
  struct Case {
    TColor colour;
    Hls hls;
  };
  const Case cases[] = {
      {RGB(255, 0, 0), {0, 120, 240}},      {RGB(255, 255, 255), {160, 240, 0}},
      {RGB(0, 0, 0), {160, 0, 0}},          {RGB(0, 255, 0), {80, 120, 240}},
      {RGB(0, 0, 255), {160, 120, 240}},    {RGB(128, 0, 0), {0, 60, 240}},
      {RGB(128, 255, 128), {80, 180, 240}}, {RGB(204, 204, 204), {160, 192, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RgbToHls(c.colour), c.hls) << std::hex << c.colour;
  }
}

TEST(Colors, HlsToRgbAndRoundTrips) {
  EXPECT_EQ(HlsToRgb(0, 120, 240), RGB(255, 0, 0));
  EXPECT_EQ(HlsToRgb(160, 48, 0), RGB(51, 51, 51));
  for (TColor c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(0, 0, 0),
                   RGB(128, 0, 0), RGB(128, 255, 128), RGB(255, 255, 0)}) {
    const Hls hls = RgbToHls(c);
    EXPECT_EQ(HlsToRgb(hls.h, hls.l, hls.s), c) << std::hex << c;
  }
}

TEST(Colors, HueToChannelWrapsAndRamps) {
  EXPECT_EQ(HueToChannel(0, 144, 0), 0);
  EXPECT_EQ(HueToChannel(0, 144, 20), 72);
  EXPECT_EQ(HueToChannel(0, 144, 80), 144);
  EXPECT_EQ(HueToChannel(0, 144, 140), 72);
  EXPECT_EQ(HueToChannel(0, 144, 200), 0);
  EXPECT_EQ(HueToChannel(0, 144, -220), 72);  // wraps to 20
  EXPECT_EQ(HueToChannel(0, 144, 320), 144);  // wraps to 80
}

TEST(Colors, ShadeLightnessProfile) {
  EXPECT_NEAR(double(ShadeLightness(0)), 164.6, 1e-12);
  EXPECT_NEAR(double(ShadeLightness(0.28L)), 202.9, 0.1);
  EXPECT_NEAR(double(ShadeLightness(0.69L)), 144.6, 0.1);
  EXPECT_NEAR(double(ShadeLightness(1)), 177.9, 0.1);
}

TEST(Colors, CylinderShadesAtCrossIndexZero) {
  struct Case {
    TColor colour;
    TBarLook look;
    TColor first;
  };
  const Case cases[] = {
      {RGB(255, 0, 0), blMetal, RGB(153, 0, 0)},
      {RGB(255, 255, 255), blMetal, RGB(204, 204, 204)},
      {RGB(255, 255, 255), blGlass, RGB(175, 175, 175)},
  };
  for (const Case& c : cases) {
    const TCLRArray shades = BuildCylinderShades(c.colour, 17, c.look);
    ASSERT_EQ(shades.size(), 17u);
    EXPECT_EQ(shades[0], c.first) << std::hex << c.colour << " look " << c.look;
  }
  EXPECT_TRUE(BuildCylinderShades(RGB(255, 0, 0), 0, blMetal).empty());
}

TEST(Colors, MetalShadesKeepHueAndDarkenAcross) {
  const TCLRArray shades = BuildCylinderShades(RGB(255, 0, 0), 17, blMetal);
  for (TColor c : shades) {
    EXPECT_EQ(GetGValue(c), 0);
    EXPECT_EQ(GetBValue(c), 0);
  }
  // Lightest about 28 % across, darkest about 69 % across.
  EXPECT_GT(GetRValue(shades[5]), GetRValue(shades[0]));
  EXPECT_LT(GetRValue(shades[12]), GetRValue(shades[0]));
}

TEST(Colors, InvertedInactiveShades) {
  TBlockBar bar;
  bar.SetBarKind(bkCylinder);
  bar.SetInactivePosColor(clWhite);
  EXPECT_EQ(bar.InactiveColors()[0], RGB(204, 204, 204));
  bar.SetInvertInactPos(true);
  EXPECT_EQ(bar.InactiveColors()[0], RGB(51, 51, 51));
  bar.SetBarKind(bkFlat);  // inversion belongs to the cylinder only
  EXPECT_EQ(bar.InactiveColors()[0], clWhite);
}

TEST(Colors, MeterGradient) {
  struct Case {
    int i;
    TColor colour;
  };
  const Case cases[] = {{0, RGB(255, 0, 0)},       {1, RGB(254, 2, 1)},  {54, RGB(192, 127, 64)},
                        {108, RGB(128, 255, 128)}, {-1, RGB(255, 0, 0)}, {200, RGB(128, 255, 128)}};
  for (const Case& c : cases) {
    EXPECT_EQ(GradientColor(clRed, kLightGreen, 108, c.i, false), c.colour) << c.i;
  }
  EXPECT_EQ(GradientColor(clRed, kLightGreen, 108, 54, true), clRed);
  EXPECT_EQ(BlendChannel(10, 10, 0.5L), 10);
}

TEST(Colors, SingleColorBarHasTheStartColourEverywhere) {
  TBlockBar bar;  // 65280 at both ends after construction
  ASSERT_TRUE(bar.SingleColor());
  ASSERT_EQ(bar.BarColors().size(), 61u);
  for (const TCLRArray& across : bar.BarColors()) {
    ASSERT_EQ(across.size(), 13u);
    for (TColor c : across) EXPECT_EQ(c, 65280u);
  }
}

}  // namespace
}  // namespace widgets
