// Puts rows of a widget's image straight onto its native X11 window, past Qt's repaint pass
// and its shared-memory flush. The level meters change 50 times a second with music; through
// Qt each change costs a paint pass and a flush with its completion round, several times what
// one PutImage of the changed rows costs the player and the X server together.
//
// Qt's backing store keeps the pixels it painted last, and Qt copies them back to the window
// when the window is exposed again, so on every expose the widget is repainted through Qt.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <cstdint>

class QImage;
class QWidget;
class QWindow;
struct xcb_connection_t;

namespace widgets {

class WindowBlit : public QObject {
 public:
  // widget owns the blit; its paint is asked for again on each expose of its window.
  explicit WindowBlit(QWidget* widget);
  ~WindowBlit() override;

  // Puts rows of image (an RGB32 image the size of the widget) at the widget's place in its
  // window and returns true; returns false, having done nothing, when that cannot be done
  // now: not an X11 session, the window not exposed or scaled, another widget above this one,
  // a mask or an effect on it, or a window visual whose pixels are not RGB32's.
  bool Put(const QImage& image, const QRect& rows);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Follows the widget's native window: a new one gets its own check of the visual and its
  // own graphics context. False when pixels cannot go to it.
  bool FollowWindow(QWindow* window);
  void ReleaseContext();
  bool PaintsAlone() const;

  QWidget* widget_;
  QPointer<QWindow> window_;
  xcb_connection_t* connection_ = nullptr;
  std::uintptr_t windowId_ = 0;
  std::uint32_t context_ = 0;  // 0: none; the window's visual is not RGB32
  std::uint8_t depth_ = 0;
  std::uint64_t maxRequestBytes_ = 0;
};

}  // namespace widgets
