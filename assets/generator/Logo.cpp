#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include "assets/generator/Painters.h"

namespace artwork {
namespace {

constexpr int kWidth = 213;
constexpr int kHeight = 135;

QPainterPath CenteredText(const QString& text, const QFont& font, qreal baseline) {
  QPainterPath path;
  path.addText(0, baseline, font, text);
  path.translate((kWidth - path.boundingRect().width()) / 2 - path.boundingRect().left(), 0);
  return path;
}

// A soft shadow: the shape painted faintly many times around an offset.
void PaintShadow(QPainter& p, const QPainterPath& shape, QPointF offset, int alpha) {
  for (int dx = -2; dx <= 2; ++dx) {
    for (int dy = -2; dy <= 2; ++dy) {
      p.fillPath(shape.translated(offset + QPointF(dx, dy)), QColor(0, 0, 0, alpha));
    }
  }
}

void PaintWaves(QPainter& p) {
  const QPointF centre(kWidth / 2.0, 30);
  const QColor amber(0xff, 0xb8, 0x3d);
  p.setBrush(amber);
  p.setPen(Qt::NoPen);
  p.drawEllipse(centre, 6, 6);
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) {
    const qreal r = 13 + 8 * i;
    QColor c = amber;
    c.setAlpha(230 - 55 * i);
    p.setPen(QPen(c, 3.2, Qt::SolidLine, Qt::RoundCap));
    const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    p.drawArc(box, -40 * 16, 80 * 16);
    p.drawArc(box, 140 * 16, 80 * 16);
  }
}

void PaintName(QPainter& p) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(46);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  const QPainterPath name = CenteredText(QStringLiteral("KELVO"), font, 96);
  PaintShadow(p, name, QPointF(1.5, 3), 14);
  QLinearGradient fill(0, 58, 0, 96);
  fill.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
  fill.setColorAt(0.55, QColor(0xdc, 0xe8, 0xff));
  fill.setColorAt(1.0, QColor(0x9d, 0xbd, 0xf5));
  p.setPen(QPen(QColor(0x0b, 0x14, 0x2c, 230), 1.6));
  p.setBrush(fill);
  p.drawPath(name);
}

void PaintBand(QPainter& p) {
  const QRectF band(52, 104, 109, 24);
  QPainterPath pill;
  pill.addRoundedRect(band, 12, 12);
  PaintShadow(p, pill, QPointF(1, 2), 10);
  QLinearGradient fill(band.topLeft(), band.bottomLeft());
  fill.setColorAt(0.0, QColor(0xff, 0xcf, 0x6e));
  fill.setColorAt(1.0, QColor(0xe8, 0x8a, 0x12));
  p.setPen(QPen(QColor(0x4a, 0x2a, 0x00, 200), 1));
  p.setBrush(fill);
  p.drawPath(pill);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(15);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 2);
  p.setPen(QColor(0x2a, 0x16, 0x00));
  p.drawText(band.adjusted(2, 0, 0, 0), Qt::AlignCenter, QStringLiteral("FM 105.0"));
}

}  // namespace

QImage Logo() {
  QImage logo(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
  logo.fill(Qt::transparent);
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  PaintWaves(p);
  PaintName(p);
  PaintBand(p);
  p.end();
  return logo.convertToFormat(QImage::Format_RGBA8888);
}

}  // namespace artwork
