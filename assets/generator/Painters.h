// The player's artwork, painted in code so that anyone can change it: the skin, the six small
// buttons and the station logo. Shapes are painted smoothly, then cut with a hard edge onto
// the key colour magenta, so no edge pixel is tinted by the key colour.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>

namespace artwork {

inline constexpr QRgb kKey = 0xFFFF00FF;
inline constexpr int kSkinWidth = 543;
inline constexpr int kSkinHeight = 194;
inline constexpr int kWindowHeight = 193;

enum class Glyph { Close, Minimize, Play, Stop, SoundOn, SoundOff };

// 24-bit skin, top-left pixel magenta, with the window's outline cut onto magenta.
QImage Skin();
// A 24-bit button on magenta, painted over the skin at `at` so its edge blends into it.
QImage Button(const QImage& skin, QPoint at, int size, Glyph glyph);
// The 213 x 135 logo with alpha.
QImage Logo();

// The pixels an antialiased path covers by at least half, as an 8-bit mask.
QImage CoverageMask(const QPainterPath& path, QSize size);
// Pixels outside the mask become the key colour; the result is 24-bit.
QImage CutOnKey(const QImage& art, const QImage& mask);

}  // namespace artwork
