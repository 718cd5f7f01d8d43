#include <QLinearGradient>
#include <QPainter>

#include "assets/generator/Painters.h"

namespace artwork {
namespace {

struct Palette {
  QColor top, bottom, rim;
};

Palette PaletteOf(Glyph glyph) {
  switch (glyph) {
    case Glyph::Close:
      return {QColor(0xf0, 0x6b, 0x5f), QColor(0x9c, 0x1f, 0x18), QColor(0xff, 0xb0, 0xa8)};
    case Glyph::Minimize:
      return {QColor(0x7c, 0x9c, 0xd4), QColor(0x2b, 0x43, 0x74), QColor(0xc3, 0xd5, 0xf5)};
    default:
      return {QColor(0x5d, 0x7f, 0xbd), QColor(0x1f, 0x33, 0x5e), QColor(0xa8, 0xc0, 0xec)};
  }
}

QPainterPath Speaker(qreal s) {
  QPainterPath p;
  p.moveTo(0.20 * s, 0.40 * s);
  p.lineTo(0.34 * s, 0.40 * s);
  p.lineTo(0.52 * s, 0.24 * s);
  p.lineTo(0.52 * s, 0.76 * s);
  p.lineTo(0.34 * s, 0.60 * s);
  p.lineTo(0.20 * s, 0.60 * s);
  p.closeSubpath();
  return p;
}

void PaintGlyph(QPainter& p, Glyph glyph, qreal s) {
  const QColor ink(0xf4, 0xf7, 0xff);
  QPen pen(ink, s * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  switch (glyph) {
    case Glyph::Close:
      p.setPen(pen);
      p.drawLine(QPointF(0.34 * s, 0.34 * s), QPointF(0.66 * s, 0.66 * s));
      p.drawLine(QPointF(0.66 * s, 0.34 * s), QPointF(0.34 * s, 0.66 * s));
      break;
    case Glyph::Minimize:
      p.setPen(pen);
      p.drawLine(QPointF(0.32 * s, 0.52 * s), QPointF(0.68 * s, 0.52 * s));
      break;
    case Glyph::Play: {
      QPainterPath t;
      t.moveTo(0.38 * s, 0.28 * s);
      t.lineTo(0.74 * s, 0.50 * s);
      t.lineTo(0.38 * s, 0.72 * s);
      t.closeSubpath();
      p.drawPath(t);
      break;
    }
    case Glyph::Stop:
      p.drawRect(QRectF(0.32 * s, 0.32 * s, 0.36 * s, 0.36 * s));
      break;
    case Glyph::SoundOn:
      p.drawPath(Speaker(s));
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(ink, s * 0.07, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(0.42 * s, 0.34 * s, 0.30 * s, 0.32 * s), -55 * 16, 110 * 16);
      break;
    case Glyph::SoundOff:
      p.setBrush(QColor(0xc8, 0xd0, 0xe0));
      p.drawPath(Speaker(s));
      p.setPen(QPen(QColor(0xff, 0x8a, 0x80), s * 0.08, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(0.60 * s, 0.38 * s), QPointF(0.80 * s, 0.62 * s));
      p.drawLine(QPointF(0.80 * s, 0.38 * s), QPointF(0.60 * s, 0.62 * s));
      break;
  }
}

}  // namespace

QImage Button(const QImage& skin, QPoint at, int size, Glyph glyph) {
  QImage art = skin.copy(at.x(), at.y(), size, size).convertToFormat(QImage::Format_RGB32);
  const QRectF disc(0.5, 0.5, size - 1.0, size - 1.0);
  const Palette palette = PaletteOf(glyph);

  QPainter p(&art);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(disc.topLeft(), disc.bottomLeft());
  fill.setColorAt(0.0, palette.top);
  fill.setColorAt(1.0, palette.bottom);
  p.setPen(QPen(QColor(0x04, 0x07, 0x10), 1.0));
  p.setBrush(fill);
  p.drawEllipse(disc);
  p.setPen(QPen(palette.rim, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawArc(disc.adjusted(1, 1, -1, -1), 30 * 16, 120 * 16);
  PaintGlyph(p, glyph, size);
  p.end();

  QPainterPath outline;
  outline.addEllipse(QRectF(0, 0, size, size));
  return CutOnKey(art, CoverageMask(outline, art.size()));
}

}  // namespace artwork
