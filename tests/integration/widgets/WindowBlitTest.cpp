// The level meters on a real X server: a level change reaches the window at once, without
// waiting for Qt's repaint; an expose shows the newest level, not what Qt painted last; and
// pixels that are not the meter's are never painted over.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "widgets/LevelMeter.h"

namespace widgets {
namespace {

xcb_connection_t* Connection() {
  return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// The window's pixels in area as the X server holds them, as an RGB32 image.
QImage WindowPixels(QWidget& window, const QRect& area) {
  xcb_connection_t* connection = Connection();
  const auto cookie = xcb_get_image(
      connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window.winId()), std::int16_t(area.x()),
      std::int16_t(area.y()), std::uint16_t(area.width()), std::uint16_t(area.height()), ~0u);
  const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
      xcb_get_image_reply(connection, cookie, nullptr), &std::free);
  if (!reply) return {};
  QImage pixels(area.size(), QImage::Format_RGB32);
  const auto* data = xcb_get_image_data(reply.get());
  const int line = area.width() * 4;
  for (int y = 0; y < area.height(); ++y) {
    std::memcpy(pixels.scanLine(y), data + y * line, std::size_t(line));
  }
  return pixels;
}

bool SamePixels(const QImage& a, const QImage& b) {
  return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// Runs Qt's events until area of the window shows expected, for at most 5 s.
bool WindowShows(QWidget& window, const QRect& area, const QImage& expected) {
  QElapsedTimer waited;
  waited.start();
  while (!SamePixels(WindowPixels(window, area), expected)) {
    if (waited.elapsed() > 5000) return false;
    QTest::qWait(10);
  }
  return true;
}

bool WindowShowsMeter(QWidget& window, BlockBarWidget& meter) {
  return WindowShows(window, meter.geometry(), meter.Bar().Image());
}

class MeterOnX : public testing::Test {
 protected:
  void SetUp() override {
    window_.setWindowFlags(Qt::FramelessWindowHint);
    window_.setGeometry(100, 100, 120, 160);
    meter_ = CreateLevelMeter(&window_, 37, 29);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    ASSERT_TRUE(WindowShowsMeter(window_, *meter_));
  }

  void ExpectLevelsLeave(const QRect& area) {
    QTest::qWait(100);
    const QImage before = WindowPixels(window_, area);
    for (int level : {65535, 0, 30000}) {
      meter_->Bar().SetPosition(level);
      QTest::qWait(30);
      EXPECT_TRUE(SamePixels(WindowPixels(window_, area), before)) << "level " << level;
    }
  }

  QWidget window_;
  BlockBarWidget* meter_ = nullptr;
};

TEST_F(MeterOnX, LevelReachesTheWindowBeforeQtRepaints) {
  // No event runs between the change and the read, so only pixels put at once can be there.
  for (int level : {65535, 20000, 0, 47000, 1}) {
    meter_->Bar().SetPosition(level);
    EXPECT_TRUE(SamePixels(WindowPixels(window_, meter_->geometry()), meter_->Bar().Image()))
        << "level " << level;
  }
}

TEST_F(MeterOnX, ExposeShowsTheNewestLevel) {
  // Qt last painted the empty meter; the full one went straight to the window.
  meter_->Bar().SetPosition(65535);
  QWidget cover;
  cover.setWindowFlags(Qt::FramelessWindowHint);
  cover.setGeometry(window_.geometry());
  cover.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
  cover.hide();
  QTest::qWait(100);
  EXPECT_TRUE(WindowShowsMeter(window_, *meter_));
}

// Below: pixels of the window that are not the meter's keep what they show while the level
// changes, under a control raised over the meter and where the meter's mask leaves them out.
const QRect kBelow(30, 100, 40, 20);

TEST_F(MeterOnX, ControlAboveTheMeterKeepsItsPixels) {
  auto* control = new QWidget(&window_);
  control->setAutoFillBackground(true);
  QPalette green;
  green.setColor(QPalette::Window, Qt::green);
  control->setPalette(green);
  control->setGeometry(kBelow);
  control->show();
  ExpectLevelsLeave(kBelow);
}

TEST_F(MeterOnX, MaskedOutRowsKeepTheirPixels) {
  meter_->setMask(QRegion(0, 0, 20, 56));
  ExpectLevelsLeave(kBelow);
}

}  // namespace
}  // namespace widgets

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "xcb", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
