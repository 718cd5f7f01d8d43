// The Qt face of TBlockBar: a child widget that owns the bar, forwards its own size changes
// to it and shows the bar's off-screen image when Qt asks for a paint. A repaint request whose
// image equals the one already on screen (or already scheduled) is not passed on to Qt, and
// otherwise only the rows that changed are: the level feed asks 50 times a second, and each
// update costs a paint and a flush of that area to the display. Those rows go straight to the
// X11 window where they can, and through Qt's update otherwise.
#pragma once

#include <QWidget>
#include <vector>

#include "widgets/BlockBar.h"
#include "widgets/WindowBlit.h"

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
  // The rows where the bar's image differs from the one last handed to Qt (all of it when
  // that one is unknown), and remembers the new one; empty when nothing changed.
  QRect ChangedRows();
  // Renders the bar's image and notes which state it shows, so that the paint Qt sends after
  // a repaint request hands on that image instead of rendering it again.
  void PaintBar();
  bool ImageIsCurrent() const;

  TBlockBar bar_;
  WindowBlit blit_;
  // The image as last painted whole or scheduled for painting.
  QSize shownSize_;
  std::vector<uchar> shown_;
  int paintedRepaint_ = -1;
  qint64 paintedImage_ = 0;
};

}  // namespace widgets
