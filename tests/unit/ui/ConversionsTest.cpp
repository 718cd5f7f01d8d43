#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "player/Volume.h"
#include "ui/Placement.h"

namespace {

TEST(Volume, SliderToEngineIsTheNearestFloat) {
  EXPECT_EQ(player::SliderToVolume(57), 0.57f);
  EXPECT_EQ(player::SliderToVolume(0), 0.0f);
  EXPECT_EQ(player::SliderToVolume(100), 1.0f);
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(player::VolumeToSlider(player::SliderToVolume(p)), p);
}

TEST(Volume, EngineToSliderRoundsHalvesToEvenAndHoldsTheRange) {
  const std::pair<float, int> table[] = {{0.57f, 57},
                                         {0.125f, 12},
                                         {0.135f, 14},
                                         {0.375f, 38},
                                         {-1.0f, 0},
                                         {0.0f, 0},
                                         {1.0f, 100},
                                         {1.5f, 100},
                                         {0.015f, 1},
                                         {0.025f, 3},
                                         {std::numeric_limits<float>::quiet_NaN(), 0},
                                         {std::numeric_limits<float>::infinity(), 100}};
  for (auto [volume, position] : table)
    EXPECT_EQ(player::VolumeToSlider(volume), position) << volume;
}

TEST(Placement, BottomRightOfTheFullScreenEvenWhenNegative) {
  const QSize window(543, 193);
  EXPECT_EQ(ui::WindowPlacement({1920, 1080}, window), QPoint(1372, 845));
  EXPECT_EQ(ui::WindowPlacement({1024, 768}, window), QPoint(1024 - 548, 768 - 235));
  EXPECT_EQ(ui::WindowPlacement({400, 200}, window), QPoint(-148, -35));
}

}  // namespace
