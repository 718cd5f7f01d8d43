#include "widgets/BlockBarColors.h"

#include <algorithm>
#include <cmath>

namespace widgets {

namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;

int HueDelta(int max, int channel, int d) {
  return ((max - channel) * (kHlsMax / 6) + d / 2) / d;
}

int ToRgb(int channel) {
  return (channel * kRgbMax + kHlsMax / 2) / kHlsMax;
}

}  // namespace

Hls RgbToHls(TColor colour) {
  const int r = GetRValue(colour);
  const int g = GetGValue(colour);
  const int b = GetBValue(colour);
  const int max = std::max({r, g, b});
  const int min = std::min({r, g, b});
  Hls hls;
  hls.l = ((max + min) * kHlsMax + kRgbMax) / (2 * kRgbMax);
  if (max == min) {
    hls.s = 0;
    hls.h = kHlsMax * 2 / 3;
    return hls;
  }
  const int d = max - min;
  const int sum = hls.l <= kHlsMax / 2 ? max + min : 2 * kRgbMax - max - min;
  hls.s = (d * kHlsMax + sum / 2) / sum;
  const int rd = HueDelta(max, r, d);
  const int gd = HueDelta(max, g, d);
  const int bd = HueDelta(max, b, d);
  if (r == max) {
    hls.h = bd - gd;
  } else if (g == max) {
    hls.h = kHlsMax / 3 + rd - bd;
  } else {
    hls.h = 2 * kHlsMax / 3 + gd - rd;
  }
  if (hls.h < 0) {
    hls.h += kHlsMax;
  } else if (hls.h > kHlsMax) {
    hls.h -= kHlsMax;
  }
  return hls;
}

int HueToChannel(int m1, int m2, int h) {
  if (h < 0) {
    h += kHlsMax;
  } else if (h > kHlsMax) {
    h -= kHlsMax;
  }
  if (h < kHlsMax / 6) return m1 + ((m2 - m1) * h + kHlsMax / 12) / (kHlsMax / 6);
  if (h < kHlsMax / 2) return m2;
  if (h < kHlsMax * 2 / 3) {
    return m1 + ((m2 - m1) * (kHlsMax * 2 / 3 - h) + kHlsMax / 12) / (kHlsMax / 6);
  }
  return m1;
}

TColor HlsToRgb(int h, int l, int s) {
  if (s == 0) {
    const int grey = l * kRgbMax / kHlsMax;
    return RGB(grey, grey, grey);
  }
  const int m2 = l <= kHlsMax / 2 ? (l * (s + kHlsMax) + kHlsMax / 2) / kHlsMax
                                  : l + s - (l * s + kHlsMax / 2) / kHlsMax;
  const int m1 = 2 * l - m2;
  return RGB(ToRgb(HueToChannel(m1, m2, h + kHlsMax / 3)), ToRgb(HueToChannel(m1, m2, h)),
             ToRgb(HueToChannel(m1, m2, h - kHlsMax / 3)));
}

// An empirical curve, a fifth-degree fit to the lightness (0..240) seen across a lit metal
// tube: 164.6 at the near edge, a highlight of about 203 at 28 %, the darkest 145 at 69 % and
// light reflected back up to about 178 at the far edge. The meters' colours are defined by these
// exact coefficients; keep them as written.
long double ShadeLightness(long double x) {
  return -4342.9L * x * x * x * x * x + 10543.0L * x * x * x * x - 8216.0L * x * x * x +
         2018.1L * x * x + 11.096L * x + 164.6L;
}

TCLRArray BuildCylinderShades(TColor colour, int n, TBarLook look) {
  TCLRArray shades(std::max(n, 0));
  const Hls hls = RgbToHls(colour);
  for (int i = 0; i < n; ++i) {
    const long double shade = ShadeLightness(static_cast<long double>(i) / n);
    int l;
    if (look == blMetal) {
      l = std::clamp(static_cast<int>(shade) + hls.l - 212, 0, kHlsMax);
    } else {
      l = static_cast<int>(std::nearbyint(shade)) & 0xFF;
    }
    shades[i] = HlsToRgb(hls.h, l, hls.s);
  }
  return shades;
}

int BlendChannel(int p, int q, long double t) {
  if (p < q) return p + static_cast<int>((q - p) * t);
  if (p > q) return p - static_cast<int>((p - q) * t);
  return p;
}

TColor GradientColor(TColor a, TColor b, int n, int i, bool singleColor) {
  if (singleColor || i <= 0) return a;
  if (i >= n) return b;
  if (a == b) return a;
  const long double t = static_cast<long double>(i) / n;
  return RGB(BlendChannel(GetRValue(a), GetRValue(b), t),
             BlendChannel(GetGValue(a), GetGValue(b), t),
             BlendChannel(GetBValue(a), GetBValue(b), t));
}

}  // namespace widgets
