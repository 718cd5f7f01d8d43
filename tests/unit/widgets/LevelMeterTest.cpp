#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <memory>

#include "widgets/LevelFeed.h"
#include "widgets/LevelMeter.h"

namespace widgets {
namespace {

TEST(LevelFeed, Positions) {
  struct Case {
    bool playing;
    std::uint32_t level;
    LevelPositions positions;
  };
  const Case cases[] = {
      {false, 0x40002000u, {0, 0}},       {true, 0xFFFFFFFFu, {0, 0}},
      {true, 0x40002000u, {8192, 16384}}, {true, 0x00008000u, {32768, 0}},
      {true, 0xFFFF0001u, {1, 65535}},    {true, 0, {0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LevelFeedPositions(c.playing, c.level), c.positions) << std::hex << c.level;
  }
}

TEST(LevelMeter, StoredProperties) {
  QWidget window;
  window.resize(543, 193);
  BlockBarWidget* left = CreateLevelMeter(&window, 37, 29);
  BlockBarWidget* right = CreateLevelMeter(&window, 58, 29);
  EXPECT_EQ(left->geometry(), QRect(37, 29, 20, 112));
  EXPECT_EQ(right->geometry(), QRect(58, 29, 20, 112));
  const TBlockBar& bar = left->Bar();
  EXPECT_EQ(bar.Orientation(), boVertical);
  EXPECT_EQ(bar.BarKind(), bkCylinder);
  EXPECT_EQ(bar.BarLook(), blMetal);
  EXPECT_FALSE(bar.RoundCorner());
  EXPECT_EQ(bar.BackgroundColor(), clMaroon);
  EXPECT_EQ(bar.StartColor(), clRed);
  EXPECT_EQ(bar.FinalColor(), 8454016u);
  EXPECT_TRUE(bar.ShowInactivePos());
  EXPECT_FALSE(bar.InvertInactPos());
  EXPECT_EQ(bar.InactivePosColor(), clWhite);
  EXPECT_TRUE(bar.Shaped());
  EXPECT_EQ(bar.ShapeColor(), 15132415u);
  EXPECT_EQ(bar.BlockSize(), 4);
  EXPECT_EQ(bar.SpaceSize(), 1);
  EXPECT_FALSE(bar.ShowFullBlock());
  EXPECT_EQ(bar.Maximum(), 65535);
  EXPECT_EQ(bar.Margin(), 2);
  EXPECT_EQ(bar.Inset(), 4);
  EXPECT_EQ(bar.BarLength(), 108);
  EXPECT_EQ(bar.MinFill(), 5);
  EXPECT_EQ(bar.BarColors()[0].size(), 17u);
  EXPECT_TRUE(bar.BlocksOn());
  EXPECT_FALSE(bar.SingleColor());
  EXPECT_EQ(bar.FillLength(), 0);
  EXPECT_EQ(left->Bar().Font().font.pixelSize(), 11);
  EXPECT_EQ(left->Bar().Font().color, clWindowText);
}

TEST(LevelMeter, WidgetFollowsTheBarAndTheBarTheWidget) {
  QWidget window;
  auto* meter = new BlockBarWidget(&window);
  EXPECT_EQ(meter->size(), QSize(64, 16));
  EXPECT_TRUE(meter->testAttribute(Qt::WA_OpaquePaintEvent));
  meter->Bar().SetOrientation(boVertical);
  EXPECT_EQ(meter->size(), QSize(16, 64));
  window.show();
  meter->resize(20, 100);
  EXPECT_EQ(meter->Bar().Height(), 100);
  EXPECT_EQ(meter->Bar().BarLength(), 96);
  meter->Bar().SetAutoHint(true);
  meter->Bar().SetPosition(42);
  EXPECT_EQ(meter->toolTip(), "42");
  meter->Bar().SetHideOnTerminate(true);
  meter->Bar().SetPosition(100);
  EXPECT_FALSE(meter->isVisible());
  meter->show();
  EXPECT_TRUE(meter->Bar().Visible());
}

TEST(LevelMeter, PaintEventShowsTheBarsImage) {
  QWidget window;
  BlockBarWidget* meter = CreateLevelMeter(&window, 37, 29);
  meter->Bar().SetPosition(32768);
  const QImage shot = meter->grab().toImage().convertToFormat(QImage::Format_RGB32);
  meter->Bar().Paint();
  EXPECT_EQ(shot, meter->Bar().Image());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// The feed sets a position every 20 ms; one that leaves the image as it is costs no paint,
// while the bar still counts the repaint it asked for.
TEST(LevelMeter, UnchangedImageIsNotPaintedAgain) {
  QWidget window;
  window.resize(543, 193);
  BlockBarWidget* meter = CreateLevelMeter(&window, 37, 29);
  window.show();
  PaintCounter counter;
  meter->installEventFilter(&counter);
  auto settle = [] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };
  settle();
  struct Step {
    int position;
    bool painted;
  };
  // 8192 and 8200 both fill 14 pixels; 0 after 0 is the stopped stream's feed.
  const Step steps[] = {{8192, true}, {8200, false}, {8192, false}, {32768, true},
                        {0, true},    {0, false},    {8192, true}};
  for (const Step& step : steps) {
    const int paints = counter.paints;
    const int repaints = meter->Bar().RepaintCount();
    meter->Bar().SetPosition(step.position);
    settle();
    EXPECT_EQ(meter->Bar().RepaintCount(), repaints + 1) << step.position;
    EXPECT_EQ(counter.paints > paints, step.painted) << step.position;
  }
  meter->Bar().SetInactivePosColor(clMaroon);
  const int paints = counter.paints;
  settle();
  EXPECT_GT(counter.paints, paints) << "any other change of the image is painted";
  const QImage shot = meter->grab().toImage().convertToFormat(QImage::Format_RGB32);
  meter->Bar().Paint();
  EXPECT_EQ(shot, meter->Bar().Image());
}

// The feed's change is rendered once, when the bar asks for the repaint; the paint that follows
// hands that image on. An image replaced without a request (a size set while loading) is
// rendered again before it is shown.
TEST(LevelMeter, PaintHandsOnTheImageRenderedForTheRequest) {
  QWidget window;
  window.resize(543, 193);
  BlockBarWidget* meter = CreateLevelMeter(&window, 37, 29);
  window.show();
  auto settle = [] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };
  settle();
  meter->Bar().SetPosition(32768);
  const qint64 rendered = meter->Bar().Image().cacheKey();
  settle();
  EXPECT_EQ(meter->Bar().Image().cacheKey(), rendered) << "rendered again for the paint";
  QImage shot = meter->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot, meter->Bar().Image());

  meter->Bar().BeginLoad();
  meter->Bar().SetSize(24, 100);
  meter->Bar().EndLoad();
  shot = meter->grab().toImage().convertToFormat(QImage::Format_RGB32);
  meter->Bar().Paint();
  EXPECT_EQ(shot, meter->Bar().Image());
}

// Composes what the paint events of a meter put on screen: each paint draws the bar's image
// into the event's region.
class ScreenRecorder : public QObject {
 public:
  explicit ScreenRecorder(BlockBarWidget& meter) : meter_(meter) {
    screen = QImage(meter.size(), QImage::Format_RGB32);
    screen.fill(Qt::black);
    meter.installEventFilter(this);
  }
  QImage screen;
  QRegion lastRegion;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &meter_ && event->type() == QEvent::Paint) {
      lastRegion = static_cast<QPaintEvent*>(event)->region();
      meter_.Bar().Paint();
      QPainter painter(&screen);
      painter.setClipRegion(lastRegion);
      painter.drawImage(0, 0, meter_.Bar().Image());
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  BlockBarWidget& meter_;
};

// A new level hands Qt only the rows that changed, and what the paints draw still adds up to
// the bar's whole image, however the steps follow one another.
TEST(LevelMeter, RepaintsOnlyTheRowsThatChanged) {
  QWidget window;
  window.resize(543, 193);
  BlockBarWidget* meter = CreateLevelMeter(&window, 37, 29);
  ScreenRecorder recorder(*meter);
  window.show();
  auto settle = [] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };
  settle();
  struct Step {
    int position;
    QRect within;  // where the rows repainted must lie
  };
  // fillLength 54 lights rows 58-105; 66 lights 46-105; 14 lights 98-105.
  const Step steps[] = {{32768, QRect(0, 0, 20, 112)}, {40000, QRect(0, 46, 20, 12)},
                        {32768, QRect(0, 46, 20, 12)}, {8192, QRect(0, 58, 20, 40)},
                        {65535, QRect(0, 4, 20, 94)},  {0, QRect(0, 4, 20, 104)}};
  for (const Step& step : steps) {
    meter->Bar().SetPosition(step.position);
    settle();
    EXPECT_TRUE(step.within.contains(recorder.lastRegion.boundingRect()))
        << step.position << ": " << recorder.lastRegion.boundingRect().y() << " + "
        << recorder.lastRegion.boundingRect().height();
    meter->Bar().Paint();
    EXPECT_EQ(recorder.screen, meter->Bar().Image()) << step.position;
  }
}

}  // namespace
}  // namespace widgets
