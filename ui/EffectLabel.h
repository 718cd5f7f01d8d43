// A label without background that draws its text with an effect under it (a shadow or an
// outline in the effect colour), optionally turned by 90 degrees to read from bottom to top.
#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// How the effect under the text looks:
//  - Cool: one copy of the text in the effect colour, moved `depth` pixels in the direction
//    (a sharp drop shadow);
//  - Fun: a 1-pixel outline in the effect colour all around the text, plus a shadow `depth`
//    pixels in the direction (none at depth 0).
enum class TextEffect { None, Cool, Fun };
enum class EffectDirection { Top, Right, Bottom, Left, RightBottom, LeftBottom, RightTop, LeftTop };

struct LabelStyle {
  QColor textColor = Qt::white;
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
  bool wordWrap = false;
  TextEffect effect = TextEffect::None;
  int depth = 0;
  QColor effectColor = Qt::black;
  EffectDirection direction = EffectDirection::RightBottom;
  bool vertical = false;      // reads from bottom to top
  bool showAccelChar = true;  // "&x" underlines x, "&&" shows "&"
};

class EffectLabel : public QWidget {
  Q_OBJECT

 public:
  explicit EffectLabel(QWidget* parent = nullptr);

  const QString& text() const { return text_; }
  void setText(const QString& text);
  const LabelStyle& style() const { return style_; }
  void setLabelStyle(const LabelStyle& style);

 Q_SIGNALS:
  void pressed();        // any button
  void clicked();        // left button pressed and released on the label
  void doubleClicked();  // left button
  void entered();
  void left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPoint EffectOffset(int distance) const;
  void DrawText(QPainter& painter, QPoint offset, const QColor& color) const;

  QString text_;
  LabelStyle style_;
  bool clickPending_ = false;
};

}  // namespace ui
