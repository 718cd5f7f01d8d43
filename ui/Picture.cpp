#include "ui/Picture.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

namespace ui {

Picture::Picture(QWidget* parent) : QWidget(parent) {}

void Picture::setPixmap(const QPixmap& pixmap) {
  pixmap_ = pixmap;
  update();
}

void Picture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap_);
}

void Picture::mousePressEvent(QMouseEvent*) {
  Q_EMIT pressed();
}

void Picture::mouseDoubleClickEvent(QMouseEvent*) {
  Q_EMIT pressed();
}

QPixmap KeyedPixmap(const QImage& image, QColor key) {
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
  return pixmap;
}

}  // namespace ui
