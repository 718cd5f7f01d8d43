// The tables painting reads: where the blocks are, and the colour of every pixel.
#include <QColor>
#include <algorithm>
#include <climits>
#include <cmath>

#include "widgets/BlockBar.h"

namespace widgets {

namespace {

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

std::uint32_t ToPixel(TColor c) {
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

TCLRArray Shades(TColor colour, int count, TBarKind kind, TBarLook look) {
  if (kind == bkCylinder) return BuildCylinderShades(colour, count, look);
  return TCLRArray(std::max(count, 0), colour);
}

}  // namespace

// Block arithmetic runs in 64 bits: sizes may be as large as a 32-bit integer holds.
void TBlockBar::BuildBlockMap() {
  if (blockSize_ == 0 || spaceSize_ == 0) return;
  blockMap_.resize(std::max(barLength_, 0) + 1);
  if (orientation_ == boHorizontal) {
    blockMap_[0].inBlock = false;
    std::int64_t start = 3;
    std::int64_t end = start + blockSize_ - 1;
    for (int i = 1; i <= barLength_; ++i) {
      blockMap_[i] = {start <= i && i <= end, Saturate(end)};
      if (i == end) {
        start = end + spaceSize_ + 1;
        end = std::min<std::int64_t>(start + blockSize_ - 1, barLength_);
      }
    }
    return;
  }
  const int highest = std::max(barLength_, 0);
  blockMap_[highest].inBlock = false;
  std::int64_t start = highest - 3;
  std::int64_t end = start - blockSize_ + 1;
  for (int i = barLength_; i >= inset_; --i) {
    blockMap_[i] = {end <= i && i <= start, Saturate(end)};
    if (i == end) {
      start = end - spaceSize_ - 1;
      end = std::max<std::int64_t>(start - blockSize_ + 1, inset_);
    }
  }
}

void TBlockBar::BuildColorTables() {
  if (suspended_) return;
  const int count = Thickness() - inset_ + 1;
  barColors_.assign(std::max(barLength_, 0) + 1, TCLRArray{});
  for (int i = 0; i <= barLength_; ++i) {
    const TColor c = GradientColor(startColor_, finalColor_, barLength_, i, singleColor_);
    barColors_[i] = Shades(c, count, barKind_, barLook_);
  }
  if (count - 1 <= 0) {
    inactiveColors_.assign(1, inactivePosColor_);
  } else {
    inactiveColors_ = Shades(inactivePosColor_, count, barKind_, barLook_);
  }
  if (barKind_ == bkCylinder && invertInactPos_) {
    for (TColor& entry : inactiveColors_) {
      const Hls hls = RgbToHls(entry);
      entry = HlsToRgb(hls.h, 240 - hls.l, hls.s);
    }
  }

  pixelCount_ = std::max(count, 0);
  barPixels_.resize(barColors_.size() * pixelCount_);
  for (std::size_t i = 0; i < barColors_.size(); ++i) {
    std::transform(barColors_[i].begin(), barColors_[i].end(), barPixels_.begin() + i * pixelCount_,
                   ToPixel);
  }
  inactivePixels_.resize(inactiveColors_.size());
  std::transform(inactiveColors_.begin(), inactiveColors_.end(), inactivePixels_.begin(), ToPixel);
}

// The corner ellipse is cornerRadius pixels wide and high; per row from the edge, the
// columns that lie outside it.
void TBlockBar::BuildCorners() {
  cornerCut_.clear();
  const double r = cornerRadius_ / 2.0;
  for (int k = 0; k < r; ++k) {
    const double dy = r - (k + 0.5);
    const int cut = static_cast<int>(std::lround(r - std::sqrt(r * r - dy * dy)));
    if (cut == 0) break;
    cornerCut_.push_back(cut);
  }
}

}  // namespace widgets
