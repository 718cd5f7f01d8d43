#include "widgets/BlockBarWidget.h"

#include <QPainter>
#include <QResizeEvent>

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

void BlockBarWidget::paintEvent(QPaintEvent*) {
  bar_.Paint();
  QPainter painter(this);
  painter.drawImage(0, 0, bar_.Image());
}

void BlockBarWidget::resizeEvent(QResizeEvent* event) {
  bar_.SetSize(event->size().width(), event->size().height());
}

void BlockBarWidget::RepaintRequested() {
  update();
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
