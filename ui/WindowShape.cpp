#include "ui/WindowShape.h"

#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cstring>

namespace ui {

QRegion RegionFromBitmap(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB888);
  const int width = image.width();
  const int height = image.height();
  QRegion region(0, 0, width, height);
  if (image.isNull() || width == 0 || height == 0) return region;

  unsigned char key[3];
  std::memcpy(key, image.constScanLine(0), 3);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = image.constScanLine(y);
    int runStart = -1;
    for (int x = 0; x < width; ++x) {
      const bool isKey = std::memcmp(row + 3 * x, key, 3) == 0;
      if (isKey) {
        if (runStart < 0) runStart = x;
      } else if (runStart >= 0) {
        region -= QRegion(runStart, y, x - runStart, 1);
        runStart = -1;
      }
    }
    if (runStart >= 0) region -= QRegion(runStart, y, width - runStart, 1);
  }
  return region;
}

int TranslucencyAlpha(int percentage) {
  const int p = std::clamp(percentage, 0, 100);
  return (100 - p) * 51 / 20;
}

void SetWindowTranslucency(QWidget* window, int percentage) {
  // Qt applies the opacity where the platform supports it and ignores it elsewhere.
  window->setWindowOpacity(TranslucencyAlpha(percentage) / 255.0);
}

}  // namespace ui
