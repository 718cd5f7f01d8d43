#include "ui/ImageButton.h"

#include <QPainter>

#include "ui/Picture.h"

namespace ui {

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
}

void ImageButton::setPicture(const QImage& image) {
  picture_ = KeyedPixmap(image);
  update();
}

void ImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int shift = isDown() ? 1 : 0;
  painter.drawPixmap(shift, shift, picture_);
}

}  // namespace ui
