// Colour arithmetic of the block bar: an integer hue/lightness/saturation conversion on the
// scale 0..240, the cylinder shading across the bar and the gradient along it. Colours are
// 0x00BBGGRR (red in the lowest byte). Everything here runs while tables are built, never
// while painting.
#pragma once

#include <cstdint>
#include <vector>

namespace widgets {

using TColor = std::uint32_t;
using TCLRArray = std::vector<TColor>;

constexpr TColor RGB(int r, int g, int b) {
  return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}
constexpr int GetRValue(TColor c) {
  return int(c & 0xFF);
}
constexpr int GetGValue(TColor c) {
  return int(c >> 8 & 0xFF);
}
constexpr int GetBValue(TColor c) {
  return int(c >> 16 & 0xFF);
}

constexpr TColor clMaroon = RGB(128, 0, 0);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clWhite = RGB(255, 255, 255);
// A system colour index (top byte 0x80): the desktop's window-text colour.
constexpr TColor clWindowText = 0x80000008;

enum TBarLook { blMetal = 0, blGlass = 1 };

// Hue, lightness and saturation, each 0..240.
struct Hls {
  int h = 0;
  int l = 0;
  int s = 0;
  friend bool operator==(const Hls&, const Hls&) = default;
};

Hls RgbToHls(TColor colour);
int HueToChannel(int m1, int m2, int h);
TColor HlsToRgb(int h, int l, int s);

// Lightness profile across a cylinder, x in [0, 1).
long double ShadeLightness(long double x);
// n colours across a cylinder of the given colour.
TCLRArray BuildCylinderShades(TColor colour, int n, TBarLook look);

int BlendChannel(int p, int q, long double t);
// Colour of position i of n along a gradient from a to b.
TColor GradientColor(TColor a, TColor b, int n, int i, bool singleColor);

}  // namespace widgets
