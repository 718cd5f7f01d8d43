#include <QPainter>

#include "assets/generator/Painters.h"

namespace artwork {

QImage CoverageMask(const QPainterPath& path, QSize size) {
  QImage coverage(size, QImage::Format_Alpha8);
  coverage.fill(0);
  QPainter painter(&coverage);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillPath(path, QColor(0, 0, 0, 255));
  painter.end();
  for (int y = 0; y < size.height(); ++y) {
    uchar* row = coverage.scanLine(y);
    for (int x = 0; x < size.width(); ++x) row[x] = row[x] >= 128 ? 255 : 0;
  }
  return coverage;
}

QImage CutOnKey(const QImage& art, const QImage& mask) {
  QImage out = art.convertToFormat(QImage::Format_RGB888);
  for (int y = 0; y < out.height(); ++y) {
    const uchar* inside = mask.constScanLine(y);
    uchar* row = out.scanLine(y);
    for (int x = 0; x < out.width(); ++x) {
      if (inside[x] == 0) {
        row[3 * x] = 255;
        row[3 * x + 1] = 0;
        row[3 * x + 2] = 255;
      }
    }
  }
  return out;
}

}  // namespace artwork
