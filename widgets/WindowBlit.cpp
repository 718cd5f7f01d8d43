#include "widgets/WindowBlit.h"

#include <xcb/xcb.h>

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QSysInfo>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>

namespace widgets {
namespace {

xcb_connection_t* Connection() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

// The depth of visual when its pixels are RGB32's: 32 bits a pixel, 8 bits a channel, in the
// byte order of this machine; 0 otherwise.
std::uint8_t Rgb32Depth(xcb_connection_t* connection, xcb_visualid_t visual) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const auto order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                   : XCB_IMAGE_ORDER_MSB_FIRST;
  if (setup->image_byte_order != order) return 0;
  for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
    for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem;
         xcb_depth_next(&depth)) {
      for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem;
           xcb_visualtype_next(&type)) {
        const xcb_visualtype_t& v = *type.data;
        if (v.visual_id != visual) continue;
        const bool rgb32 = v._class == XCB_VISUAL_CLASS_TRUE_COLOR && v.red_mask == 0xFF0000 &&
                           v.green_mask == 0xFF00 && v.blue_mask == 0xFF;
        if (!rgb32) return 0;
        for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
             xcb_format_next(&format)) {
          if (format.data->depth == depth.data->depth)
            return format.data->bits_per_pixel == 32 ? depth.data->depth : 0;
        }
        return 0;
      }
    }
  }
  return 0;
}

}  // namespace

WindowBlit::WindowBlit(QWidget* widget) : QObject(widget), widget_(widget) {}

WindowBlit::~WindowBlit() {
  ReleaseContext();
}

bool WindowBlit::Put(const QImage& image, const QRect& rows) {
  QWindow* window = widget_->window()->windowHandle();
  if (!window || !window->isExposed() || window->devicePixelRatio() != 1.0) return false;
  if (image.format() != QImage::Format_RGB32 || image.size() != widget_->size()) return false;
  if (!widget_->isVisible() || !PaintsAlone() || !FollowWindow(window)) return false;
  const QRect area = rows.intersected(image.rect());
  const auto bytes = std::uint32_t(area.height() * image.bytesPerLine());
  if (area.isEmpty() || area.width() != image.width() || bytes > maxRequestBytes_) return false;

  const QPoint at = widget_->mapTo(widget_->window(), area.topLeft());
  xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(windowId_), context_,
                std::uint16_t(area.width()), std::uint16_t(area.height()), std::int16_t(at.x()),
                std::int16_t(at.y()), 0, depth_, bytes, image.constScanLine(area.top()));
  xcb_flush(connection_);
  return true;
}

bool WindowBlit::FollowWindow(QWindow* window) {
  if (window == window_ && window->winId() == windowId_) return context_ != 0;
  ReleaseContext();
  if (window_) window_->removeEventFilter(this);
  window_ = window;
  window->installEventFilter(this);
  windowId_ = window->winId();

  connection_ = Connection();
  xcb_connection_t* connection = connection_;
  if (!connection) return false;
  const auto id = xcb_window_t(windowId_);
  const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
      xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id),
                                      nullptr),
      &std::free);
  depth_ = attributes ? Rgb32Depth(connection, attributes->visual) : 0;
  if (depth_ == 0) return false;
  // The request's header takes 24 bytes of the server's limit, which is counted in 4-byte
  // units and with big requests can exceed 32 bits in bytes.
  maxRequestBytes_ = std::uint64_t(xcb_get_maximum_request_length(connection)) * 4 - 24;
  context_ = xcb_generate_id(connection);
  xcb_create_gc(connection, context_, id, 0, nullptr);
  return true;
}

void WindowBlit::ReleaseContext() {
  if (context_ == 0) return;
  // The application, and with it the connection, may be gone by now.
  if (xcb_connection_t* connection = Connection()) xcb_free_gc(connection, context_);
  context_ = 0;
}

bool WindowBlit::PaintsAlone() const {
  // Pixels put under a sibling painted above this widget would cover it until Qt next
  // repaints there; so would pixels outside a parent's area or the widget's mask, and pixels
  // that an effect or a native window between the widget and its window would change.
  const QWidget* top = widget_->window();
  if (widget_->nativeParentWidget() != top || !widget_->mask().isEmpty()) return false;
  if (widget_->graphicsEffect()) return false;
  for (const QWidget* child = widget_; child != top; child = child->parentWidget()) {
    const QWidget* parent = child->parentWidget();
    if (!parent->rect().contains(child->geometry())) return false;
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(child) + 1; i < siblings.size(); ++i) {
      const auto* sibling = qobject_cast<const QWidget*>(siblings[i]);
      if (sibling && !sibling->isWindow() && sibling->isVisible() &&
          sibling->geometry().intersects(child->geometry()))
        return false;
    }
  }
  return true;
}

bool WindowBlit::eventFilter(QObject* watched, QEvent* event) {
  // Qt copies its own pixels back on an expose; the widget's newest ones must be among them.
  if (watched == window_ && event->type() == QEvent::Expose) widget_->update();
  return false;
}

}  // namespace widgets
