// Shows the player under a real X server with a station playing from the scripted engine,
// over a green backdrop, and writes a screenshot of the window's place on the screen to the
// path given as the only argument. Fails when the cut-away corners do not show the backdrop.
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <string>

#include "engine/fake/FakeEngine.h"
#include "player/Player.h"
#include "ui/EffectLabel.h"
#include "ui/TfrmMain.h"

using namespace std::string_literals;

namespace {

const QColor kBackdrop(0x2e, 0xb8, 0x4a);

std::shared_ptr<engine::FakeEngine> PlayingStation() {
  auto fake = std::make_shared<engine::FakeEngine>();
  engine::FakeEngine::Creation station;
  station.handle = 500;
  station.script.tags[BASS_TAG_ICY] =
      "ICY 200 OK\0icy-name:KELVO FM\0icy-genre:Pop\0icy-br:128\0\0"s;
  station.script.tags[BASS_TAG_META] =
      "StreamTitle='Sezen Aksu - G\xC3\xBCl\xC3\xBCmse (Canl\xC4\xB1)';StreamUrl='';\0"s;
  station.script.level = (0x9000u << 16) | 0x6E00u;
  fake->QueueCreation(station);
  return fake;
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
  return done();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Ovanta Ziviv Odo");
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <screenshot.png>\n", argv[0]);
    return 2;
  }
  engine::SetBackend(PlayingStation());

  QWidget backdrop(nullptr, Qt::FramelessWindowHint);
  backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
  backdrop.setStyleSheet("background: " + kBackdrop.name());
  backdrop.show();

  player::Player session;
  TfrmMain window(session);
  window.show();
  auto* kbps = window.findChild<ui::EffectLabel*>("lKbps");
  auto* title = window.findChild<ui::EffectLabel*>("Label3");
  if (!QTest::qWaitForWindowExposed(&window) ||
      !WaitFor([&] { return kbps->text().startsWith("128") && title->text().contains("Aksu"); })) {
    std::fprintf(stderr, "the station did not come up\n");
    return 1;
  }
  QTest::qWait(300);  // a few level ticks

  const QRect place = window.geometry();
  const QImage shot = QGuiApplication::primaryScreen()
                          ->grabWindow(0, place.x(), place.y(), place.width(), place.height())
                          .toImage();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) return 1;

  int failures = 0;
  for (QPoint corner : {QPoint(0, 0), QPoint(542, 0), QPoint(0, 192), QPoint(542, 192),
                        QPoint(20, 190), QPoint(300, 1)}) {
    if (shot.pixelColor(corner) != kBackdrop) {
      std::fprintf(stderr, "(%d,%d) is not cut away\n", corner.x(), corner.y());
      ++failures;
    }
  }
  if (shot.pixelColor(271, 100) == kBackdrop) {
    std::fprintf(stderr, "the window's middle is missing\n");
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
