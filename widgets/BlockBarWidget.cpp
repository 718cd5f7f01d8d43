#include "widgets/BlockBarWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace widgets {

BlockBarWidget::BlockBarWidget(QWidget* parent) : QWidget(parent), blit_(this) {
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
  if (!ImageIsCurrent()) PaintBar();
  // After a partial paint the rest of the widget shows the image last handed to Qt, which is
  // the bar's image only if nothing changed since without asking for a repaint.
  if (event->region().contains(rect())) {
    ChangedRows();
  } else if (!ChangedRows().isEmpty()) {
    shown_.clear();
  }
  const QRect area = event->rect();
  QPainter painter(this);
  painter.drawImage(area.topLeft(), bar_.Image(), area);
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
  PaintBar();
  const QRect changed = ChangedRows();
  if (!changed.isEmpty() && !blit_.Put(bar_.Image(), changed)) update(changed);
}

void BlockBarWidget::PaintBar() {
  bar_.Paint();
  paintedRepaint_ = bar_.RepaintCount();
  paintedImage_ = bar_.Image().cacheKey();
}

bool BlockBarWidget::ImageIsCurrent() const {
  // Writing into the image or replacing it changes its key; a repaint request changes the count.
  return paintedRepaint_ == bar_.RepaintCount() && paintedImage_ == bar_.Image().cacheKey();
}

QRect BlockBarWidget::ChangedRows() {
  const QImage& image = bar_.Image();
  const uchar* bits = image.constBits();
  const auto size = std::size_t(image.sizeInBytes());
  QRect changed = image.rect();
  if (bits && image.size() == shownSize_ && shown_.size() == size) {
    const auto line = std::size_t(image.bytesPerLine());
    int first = 0;
    int last = image.height() - 1;
    auto same = [&](int y) {
      return std::equal(bits + y * line, bits + (y + 1) * line, shown_.begin() + y * line);
    };
    while (first <= last && same(first)) ++first;
    if (first > last) return {};
    while (same(last)) --last;
    changed = QRect(0, first, image.width(), last - first + 1);
  }
  shownSize_ = image.size();
  shown_.assign(bits, bits ? bits + size : bits);
  return changed;
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
