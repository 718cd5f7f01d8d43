#include "ui/EffectLabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

EffectLabel::EffectLabel(QWidget* parent) : QWidget(parent) {}

void EffectLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text);  // what screen readers announce for the label
  update();
}

void EffectLabel::setLabelStyle(const LabelStyle& style) {
  style_ = style;
  update();
}

QPoint EffectLabel::EffectOffset(int distance) const {
  switch (style_.direction) {
    case EffectDirection::Top:
      return {0, -distance};
    case EffectDirection::Right:
      return {distance, 0};
    case EffectDirection::Bottom:
      return {0, distance};
    case EffectDirection::Left:
      return {-distance, 0};
    case EffectDirection::RightBottom:
      return {distance, distance};
    case EffectDirection::LeftBottom:
      return {-distance, distance};
    case EffectDirection::RightTop:
      return {distance, -distance};
    case EffectDirection::LeftTop:
      return {-distance, -distance};
  }
  return {};
}

void EffectLabel::DrawText(QPainter& painter, QPoint offset, const QColor& color) const {
  painter.save();
  painter.translate(offset);  // in screen directions, also for the turned text
  QRect box = rect();
  if (style_.vertical) {
    painter.translate(0, height());
    painter.rotate(-90);
    box = QRect(0, 0, height(), width());
  }
  int flags = static_cast<int>(style_.alignment);
  if (style_.wordWrap) flags |= Qt::TextWordWrap;
  if (style_.showAccelChar) flags |= Qt::TextShowMnemonic;
  painter.setPen(color);
  painter.drawText(box, flags, text_);
  painter.restore();
}

void EffectLabel::paintEvent(QPaintEvent*) {
  if (text_.isEmpty()) return;
  QPainter painter(this);
  painter.setFont(font());
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (style_.effect == TextEffect::Fun) {
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        if (dx != 0 || dy != 0) DrawText(painter, {dx, dy}, style_.effectColor);
      }
    }
  }
  if (style_.effect != TextEffect::None && style_.depth > 0) {
    DrawText(painter, EffectOffset(style_.depth), style_.effectColor);
  }
  DrawText(painter, {}, style_.textColor);
}

void EffectLabel::mousePressEvent(QMouseEvent* event) {
  clickPending_ = event->button() == Qt::LeftButton;
  Q_EMIT pressed();
}

void EffectLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = clickPending_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  clickPending_ = false;
  if (click) Q_EMIT clicked();
}

// The second press of a double click is no click of its own.
void EffectLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  clickPending_ = false;
  if (event->button() == Qt::LeftButton) Q_EMIT doubleClicked();
  Q_EMIT pressed();
}

void EffectLabel::enterEvent(QEnterEvent*) {
  Q_EMIT entered();
}

void EffectLabel::leaveEvent(QEvent*) {
  Q_EMIT left();
}

}  // namespace ui
