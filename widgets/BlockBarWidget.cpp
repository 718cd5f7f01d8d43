#include "widgets/BlockBarWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace widgets {

BlockBarWidget::BlockBarWidget(QWidget* parent) : QWidget(parent) {
  // The bar paints every pixel of its image, so Qt need not clear the area first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  const QColor window = palette().color(QPalette::Window);
  bar_.SetControlColor(RGB(window.red(), window.green(), window.blue()));
  resize(bar_.Width(), bar_.Height());
  bar_.SetHost(this);
}

QSize BlockBarWidget::sizeHint() const {
  return {bar_.Width(), bar_.Height()};
}

void BlockBarWidget::setVisible(bool visible) {
  QWidget::setVisible(visible);
  bar_.SetVisible(visible);
}

void BlockBarWidget::paintEvent(QPaintEvent* event) {
  bar_.Paint();
  // After a partial paint the rest of the widget may show an older image.
  if (event->region().contains(rect())) {
    ImageChanged();
  } else {
    shown_.clear();
  }
  QPainter painter(this);
  painter.drawImage(0, 0, bar_.Image());
}

void BlockBarWidget::resizeEvent(QResizeEvent* event) {
  bar_.SetSize(event->size().width(), event->size().height());
}

void BlockBarWidget::RepaintRequested() {
  // A hidden widget is not painted, and its bar may be between two settings of a load.
  if (!isVisible()) {
    shown_.clear();
    update();
    return;
  }
  bar_.Paint();
  if (ImageChanged()) update();
}

bool BlockBarWidget::ImageChanged() {
  const QImage& image = bar_.Image();
  const uchar* bits = image.constBits();
  const auto size = std::size_t(image.sizeInBytes());
  if (bits && image.size() == shownSize_ && shown_.size() == size &&
      std::equal(bits, bits + size, shown_.begin())) {
    return false;
  }
  shownSize_ = image.size();
  shown_.assign(bits, bits ? bits + size : bits);
  return true;
}

void BlockBarWidget::SizeChanged(int width, int height) {
  resize(width, height);
}

void BlockBarWidget::HintChanged(const QString& hint) {
  setToolTip(hint);
}

void BlockBarWidget::VisibleChanged(bool visible) {
  if (isHidden() == visible) QWidget::setVisible(visible);
}

}  // namespace widgets
