// Painting: outline, lit lines, inactive lines, caption, straight into the off-screen image.
// Only table look-ups and index comparisons here; nothing is allocated unless a caption shows.
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "widgets/BlockBar.h"

namespace widgets {

namespace {

// System colour indices (top byte 0x80) resolve to the desktop's colours.
QRgb Resolve(TColor c) {
  if ((c & 0xFF000000u) == 0x80000000u) {
    const QPalette palette = QGuiApplication::palette();
    return (c == clWindowText ? palette.color(QPalette::WindowText)
                              : palette.color(QPalette::Window))
        .rgb();
  }
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Where lines may be drawn: the position and cross index ranges that lie inside both the
// tables and the image, whatever state the bar is in.
struct Lines {
  std::uint32_t* bits;
  int stride;
  bool horizontal;
  int crossFirst;
  int crossLast;

  void Set(int p, const std::uint32_t* colours) const {
    if (horizontal) {
      for (int c = crossFirst; c <= crossLast; ++c) bits[c * stride + p] = colours[c];
    } else {
      std::uint32_t* row = bits + p * stride;
      for (int c = crossFirst; c <= crossLast; ++c) row[c] = colours[c];
    }
  }
};

}  // namespace

void TBlockBar::Paint() {
  if (image_.isNull()) return;
  // The toolkit composes each paint from the control's ordinary background.
  image_.fill(Resolve(controlColor_));
  PaintOutline();
  PaintLines();
  if (autoCaption_) {
    SetCaption(showPosAsPct_ ? PercentText() + QStringLiteral("%") : QString::number(position_));
  }
  PaintCaption();
}

void TBlockBar::PaintOutline() {
  if (!shaped_) return;
  const QRgb border = Resolve(shapeColor_);
  const QRgb inside = Resolve(backgroundColor_);
  const int corner = int(cornerCut_.size());
  auto cutAt = [&](int y) {
    const int fromEdge = std::min(y, height_ - 1 - y);
    return fromEdge < corner ? cornerCut_[fromEdge] : 0;
  };
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const int cut = cutAt(y);
    const int left = cut;
    const int right = width_ - 1 - cut;
    if (left > right) continue;
    if (y == 0 || y == height_ - 1) {
      std::fill(row + left, row + right + 1, border);
      continue;
    }
    // Where the corner curves, the border runs along the row up to the next row outward.
    const int outer = cutAt(y < height_ / 2 ? y - 1 : y + 1);
    const int edge = std::max(cut, outer - 1);
    std::fill(row + left, row + right + 1, inside);
    std::fill(row + left, row + std::min(edge, right) + 1, border);
    std::fill(row + std::max(width_ - 1 - edge, left), row + right + 1, border);
  }
}

void TBlockBar::PaintLines() {
  const bool horizontal = orientation_ == boHorizontal;
  const int along = horizontal ? width_ : height_;
  const int across = horizontal ? height_ : width_;
  const int tableLast = int(barColors_.size()) - 1;
  const int mapLast = blocksOn_ ? int(blockMap_.size()) - 1 : tableLast;
  const int last = std::min({barLength_, tableLast, mapLast, along - 1});
  const Lines lines{reinterpret_cast<std::uint32_t*>(image_.bits()), int(image_.bytesPerLine() / 4),
                    horizontal, std::max(inset_ - 1, 0),
                    std::min({Thickness() - inset_, pixelCount_ - 1, across - 1})};
  auto lit = [&](int p) { lines.Set(p, barPixels_.data() + std::size_t(p) * pixelCount_); };
  auto inactive = [&](int p) { lines.Set(p, inactivePixels_.data()); };
  auto inBlock = [&](int p) { return blockMap_[p].inBlock; };
  // A fill beyond the bar's end (a bar no longer than twice its inset, or a margin changed
  // by an orientation assignment) is drawn as a full bar.
  const int fill = std::min(fillLength_, barLength_);

  if (horizontal) {
    for (int p = std::max(inset_ - 1, 0); p <= std::min(fill, last); ++p) {
      if (!blocksOn_) {
        lit(p);
      } else if (inBlock(p)) {
        if (!showFullBlock_ || blockMap_[p].blockEnd <= fill) {
          lit(p);
        } else if (showInactivePos_) {
          inactive(p);
        }
      }
    }
    if (!showInactivePos_) return;
    for (int p = fill >= 3 ? fill + 1 : 3; p <= last; ++p) {
      if (!blocksOn_ || inBlock(p)) inactive(p);
    }
    return;
  }

  const int top = height_ - fill;
  for (int p = std::min(barLength_ - 1, last); p >= std::max(top, 0); --p) {
    if (!blocksOn_) {
      lit(p);
    } else if (inBlock(p)) {
      if (!showFullBlock_ || blockMap_[p].blockEnd >= top) {
        lit(p);
      } else if (showInactivePos_) {
        inactive(p);
      }
    }
  }
  if (!showInactivePos_) return;
  for (int p = std::min(fill >= 3 ? top - 1 : barLength_, last); p >= std::max(inset_, 0); --p) {
    if (!blocksOn_ || inBlock(p)) inactive(p);
  }
}

void TBlockBar::PaintCaption() {
  if (!captionShown_) return;
  QPainter painter(&image_);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setFont(canvasFont_.font);
  painter.setPen(QColor::fromRgb(Resolve(canvasFont_.color)));
  painter.drawText(captionX_, captionY_ + painter.fontMetrics().ascent(), caption_);
}

}  // namespace widgets
