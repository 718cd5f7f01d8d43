// A picture drawn unscaled from its top-left corner; what lies outside the control is cut off.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace ui {

class Picture : public QWidget {
  Q_OBJECT

 public:
  explicit Picture(QWidget* parent = nullptr);

  const QPixmap& pixmap() const { return pixmap_; }
  void setPixmap(const QPixmap& pixmap);

 Q_SIGNALS:
  void pressed();  // any mouse button

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QPixmap pixmap_;
};

// A picture whose pixels of the key colour are transparent (24-bit artwork on magenta).
QPixmap KeyedPixmap(const QImage& image, QColor key = QColor(255, 0, 255));

}  // namespace ui
