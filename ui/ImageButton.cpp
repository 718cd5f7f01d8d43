#include "ui/ImageButton.h"

#include <QBitmap>
#include <QPainter>
#include <QRegion>

#include "ui/Picture.h"

namespace ui {

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);  // repaint on entering and leaving
}

void ImageButton::setPicture(const QImage& image) {
  picture_ = KeyedPixmap(image);
  update();
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int shift = isDown() ? 1 : 0;
  painter.drawPixmap(shift, shift, picture_);
  if (underMouse() && !picture_.isNull()) {
    painter.setClipRegion(QRegion(picture_.mask()).translated(shift, shift));
    painter.fillRect(rect(), QColor(255, 255, 255, 40));
  }
}

}  // namespace ui
