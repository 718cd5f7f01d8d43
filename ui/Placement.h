// Where the window goes on the first show: 5 pixels inside the screen's right edge and 42
// above its bottom edge, from the full screen size (not the work area), even when negative.
#pragma once

#include <QPoint>
#include <QSize>

namespace ui {

inline QPoint WindowPlacement(QSize screen, QSize window) {
  return {screen.width() - (window.width() + 5), screen.height() - (window.height() + 42)};
}

}  // namespace ui
