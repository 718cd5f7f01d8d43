#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "assets/generator/Painters.h"

namespace artwork {
namespace {

// The outline: rounded corners, a lower top edge over the left half that sweeps up to the
// caption strip on the right, and a tab under the middle of the bottom edge for the link.
QPainterPath Outline() {
  QPainterPath p;
  p.moveTo(16, 7);
  p.lineTo(288, 7);
  p.cubicTo(306, 7, 314, 0, 332, 0);
  p.lineTo(527, 0);
  p.quadTo(543, 0, 543, 16);
  p.lineTo(543, 165);
  p.quadTo(543, 181, 527, 181);
  p.lineTo(480, 181);
  p.cubicTo(468, 181, 468, 193, 456, 193);
  p.lineTo(87, 193);
  p.cubicTo(75, 193, 75, 181, 63, 181);
  p.lineTo(16, 181);
  p.quadTo(0, 181, 0, 165);
  p.lineTo(0, 23);
  p.quadTo(0, 7, 16, 7);
  p.closeSubpath();
  return p;
}

void PaintBody(QPainter& p) {
  QLinearGradient body(0, 0, 0, kWindowHeight);
  body.setColorAt(0.0, QColor(0x34, 0x4a, 0x76));
  body.setColorAt(0.45, QColor(0x1c, 0x2a, 0x4a));
  body.setColorAt(1.0, QColor(0x0e, 0x16, 0x2a));
  p.fillRect(0, 0, kSkinWidth, kSkinHeight, body);

  QLinearGradient gloss(0, 0, 0, 70);
  gloss.setColorAt(0.0, QColor(255, 255, 255, 46));
  gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
  p.fillRect(0, 0, kSkinWidth, 70, gloss);

  // Fine horizontal brushing.
  for (int y = 0; y < kWindowHeight; y += 2) p.fillRect(0, y, kSkinWidth, 1, QColor(0, 0, 0, 10));
}

// A recessed panel: dark inside, a shadow along its top and a light line along its bottom.
void PaintWell(QPainter& p, QRectF r, qreal radius, QColor top, QColor bottom) {
  QPainterPath well;
  well.addRoundedRect(r, radius, radius);
  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  fill.setColorAt(0.0, top);
  fill.setColorAt(1.0, bottom);
  p.fillPath(well, fill);
  p.save();
  p.setClipPath(well);
  QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, 6));
  shade.setColorAt(0.0, QColor(0, 0, 0, 120));
  shade.setColorAt(1.0, QColor(0, 0, 0, 0));
  p.fillRect(r, shade);
  p.restore();
  p.setPen(QPen(QColor(0x7f, 0x9c, 0xd6, 90), 1));
  p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0.5), radius + 0.5, radius + 0.5);
  p.setPen(QPen(QColor(0, 0, 0, 150), 1));
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
}

void PaintPanels(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  // The format labels and the level meters share one well.
  PaintWell(p, QRectF(3, 25, 78, 120), 6, QColor(0x07, 0x0b, 0x16), QColor(0x0c, 0x13, 0x24));
  PaintWell(p, QRectF(79, 40, 250, 101), 9, QColor(0x08, 0x0e, 0x1c), QColor(0x13, 0x1e, 0x38));
  PaintWell(p, QRectF(11, 141, 316, 30), 15, QColor(0x0a, 0x10, 0x1f), QColor(0x15, 0x20, 0x3a));

  // A soft glow behind the logo.
  QRadialGradient glow(QPointF(424, 98), 120);
  glow.setColorAt(0.0, QColor(0x5a, 0x86, 0xd8, 80));
  glow.setColorAt(1.0, QColor(0x5a, 0x86, 0xd8, 0));
  p.fillRect(QRectF(300, 10, 243, 170), glow);

  // A thin rule above the link.
  QLinearGradient rule(90, 0, 453, 0);
  rule.setColorAt(0.0, QColor(0x9f, 0xbd, 0xf0, 0));
  rule.setColorAt(0.5, QColor(0x9f, 0xbd, 0xf0, 110));
  rule.setColorAt(1.0, QColor(0x9f, 0xbd, 0xf0, 0));
  p.fillRect(QRectF(90, 174, 363, 1), rule);

  QFont caption(QStringLiteral("DejaVu Sans"));
  caption.setPixelSize(10);
  caption.setBold(true);
  caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
  p.setFont(caption);
  p.setPen(QColor(0, 0, 0, 140));
  p.drawText(QRectF(17, 11, 260, 14), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("OVANTA ZIVIV ODO"));
  p.setPen(QColor(0xa9, 0xc0, 0xea));
  p.drawText(QRectF(16, 10, 260, 14), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("OVANTA ZIVIV ODO"));
}

// A crisp two-pixel frame along the cut edge: dark outside, light inside.
void PaintEdge(QImage& art, const QImage& mask) {
  const auto inside = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() &&
           mask.constScanLine(y)[x] != 0;
  };
  const auto distance = [&](int x, int y) {
    for (int d = 1; d <= 2; ++d) {
      if (!inside(x - d, y) || !inside(x + d, y) || !inside(x, y - d) || !inside(x, y + d)) {
        return d;
      }
    }
    return 3;
  };
  for (int y = 0; y < kWindowHeight; ++y) {
    for (int x = 0; x < kSkinWidth; ++x) {
      if (!inside(x, y)) continue;
      const int d = distance(x, y);
      if (d == 1) art.setPixel(x, y, qRgb(0x05, 0x08, 0x12));
      if (d == 2) art.setPixel(x, y, y < 90 ? qRgb(0x8d, 0xaa, 0xe0) : qRgb(0x4a, 0x63, 0x98));
    }
  }
}

}  // namespace

QImage Skin() {
  QImage art(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
  QPainter painter(&art);
  PaintBody(painter);
  PaintPanels(painter);
  painter.end();

  QImage mask = CoverageMask(Outline(), art.size());
  // The last row lies below the window; it carries the key colour only.
  for (int x = 0; x < kSkinWidth; ++x) mask.scanLine(kSkinHeight - 1)[x] = 0;
  PaintEdge(art, mask);
  return CutOnKey(art, mask);
}

}  // namespace artwork
