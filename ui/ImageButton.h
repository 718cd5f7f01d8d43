// A button drawn as a small picture whose key-coloured pixels are transparent. It lightens
// while the mouse is over it and moves by one pixel while pressed, so a click can be felt.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace ui {

class ImageButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit ImageButton(QWidget* parent = nullptr);

  void setPicture(const QImage& image);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap picture_;
};

}  // namespace ui
