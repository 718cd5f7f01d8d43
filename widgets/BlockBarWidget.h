// The Qt face of TBlockBar: a child widget that owns the bar, forwards its own size changes
// to it and shows the bar's off-screen image when Qt asks for a paint.
#pragma once

#include <QWidget>

#include "widgets/BlockBar.h"

namespace widgets {

class BlockBarWidget : public QWidget, private BlockBarHost {
 public:
  explicit BlockBarWidget(QWidget* parent = nullptr);

  TBlockBar& Bar() { return bar_; }
  const TBlockBar& Bar() const { return bar_; }

  QSize sizeHint() const override;
  // Showing or hiding the widget is the bar's Visible as well.
  void setVisible(bool visible) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void RepaintRequested() override;
  void SizeChanged(int width, int height) override;
  void HintChanged(const QString& hint) override;
  void VisibleChanged(bool visible) override;

  TBlockBar bar_;
};

}  // namespace widgets
