#include <QAbstractButton>
#include <QSlider>
#include <QTimer>
#include <chrono>
#include <thread>

#include "player/Volume.h"
#include "sources/Station.h"
#include "stream/SharedState.h"
#include "tests/integration/ui/WindowFixture.h"
#include "widgets/BlockBarWidget.h"

namespace ui_test {
namespace {

class Transport : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StreamUrl = "http://127.0.0.1:8000/live";
    Window();
    ClearCalls();
  }
  QSlider* Slider() { return Control<QSlider>("sndBar"); }
  QTimer* Watchdog() { return Control<QTimer>("TimerKontrol"); }
  void Click(const char* button) { Control<QAbstractButton>(button)->click(); }
};

TEST_F(Transport, PlayRestartsOnTheSameAddressAndSwitchesTheWatchdogOn) {
  Click("btnDur");
  EXPECT_FALSE(Watchdog()->isActive());
  EXPECT_EQ(Calls(), std::vector<std::string>{"Stop"});
  ClearCalls();
  Click("btnPlay");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Stop", "Start", "GetVolume", "SetVolume(1)"}));
  EXPECT_TRUE(Watchdog()->isActive());
  EXPECT_GT(Watchdog()->remainingTime(), 24000) << "a new period after a stop";
  EXPECT_TRUE(PumpUntil([&] { return CalledWith("StreamCreateURL(" + StreamUrl + ","); }));
}

TEST_F(Transport, PlayWhileTheWatchdogRunsKeepsItsPeriod) {
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  Click("btnPlay");
  EXPECT_TRUE(Watchdog()->isActive());
  EXPECT_LE(Watchdog()->remainingTime(), 24900);
}

TEST_F(Transport, SliderFollowsTheEngineVolumeOnPlay) {
  const std::pair<float, int> table[] = {{0.125f, 12}, {0.135f, 14}, {0.375f, 38}, {-1.0f, 0}};
  Slider()->setValue(50);
  for (auto [volume, position] : table) {
    fake_->SetGetVolumeResult(volume);
    Click("btnPlay");
    EXPECT_EQ(Slider()->value(), position) << volume;
  }
  EXPECT_EQ(fake_->Volume(), 0.0f) << "the slider moved to 0, so the engine volume follows";
}

TEST_F(Transport, TheSliderSetsTheEngineVolumeOnRealChangesOnly) {
  Slider()->setValue(57);
  EXPECT_EQ(fake_->Volume(), player::SliderToVolume(57));
  ClearCalls();
  Slider()->setValue(57);
  EXPECT_TRUE(Calls().empty());
  Slider()->setValue(150);
  EXPECT_EQ(Slider()->value(), 100);
  EXPECT_EQ(fake_->Volume(), 1.0f);
  Slider()->setValue(-5);
  EXPECT_EQ(Slider()->value(), 0);
  EXPECT_EQ(fake_->Volume(), 0.0f);
}

TEST_F(Transport, MuteMovesTheMutedButtonIntoPlaceAndUnmuteRestoresTheSliderVolume) {
  auto* on = Control<QAbstractButton>("btnSesAcik");
  auto* off = Control<QAbstractButton>("btnSesKapali");
  Slider()->setValue(57);
  Click("btnSesAcik");
  EXPECT_EQ(off->pos(), QPoint(54, 145));
  EXPECT_FALSE(off->isHidden());
  EXPECT_TRUE(on->isHidden());
  EXPECT_EQ(fake_->Volume(), 0.0f);
  EXPECT_EQ(Slider()->value(), 57) << "mute leaves the slider";

  Slider()->setValue(30);  // the sound comes back while the muted button stays
  EXPECT_EQ(fake_->Volume(), player::SliderToVolume(30));
  EXPECT_FALSE(off->isHidden());

  Click("btnSesKapali");
  EXPECT_TRUE(off->isHidden());
  EXPECT_FALSE(on->isHidden());
  EXPECT_EQ(fake_->Volume(), player::SliderToVolume(30));
}

TEST_F(Transport, WatchdogReconnectsOnlyWhatDoesNotPlay) {
  ShowWindow();
  PlayingStream();
  Window().TimerKontrolTimer();
  EXPECT_TRUE(Calls().empty());

  fake_->SetActive(StreamChannel.load(), BASS_ACTIVE_STALLED);
  std::vector<std::string> callsAtPaint;
  QString textAtPaint;
  PaintSpy spy([&] {
    if (textAtPaint.isEmpty()) textAtPaint = Text("Label4"), callsAtPaint = Calls();
  });
  Control<QWidget>("Label4")->installEventFilter(&spy);
  Window().TimerKontrolTimer();
  Control<QWidget>("Label4")->removeEventFilter(&spy);
  EXPECT_EQ(textAtPaint, "Servis Yok");
  EXPECT_TRUE(callsAtPaint.empty()) << "on screen before the reconnection";
  const auto calls = Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 3),
            (std::vector<std::string>{"Stop", "Start", "GetVolume"}));
  EXPECT_TRUE(PumpUntil([&] { return CalledWith("StreamCreateURL(" + StreamUrl + ","); }));
}

TEST_F(Transport, LevelFeedPutsTheChannelLevelsIntoTheMeters) {
  auto* left = Control<widgets::BlockBarWidget>("lSol");
  auto* right = Control<widgets::BlockBarWidget>("lSag");
  const HSTREAM playing = PlayingStream(0x40002000);
  Window().tLevelTimer();
  EXPECT_EQ(left->Bar().Position(), 8192);
  EXPECT_EQ(right->Bar().Position(), 16384);
  EXPECT_EQ(left->Bar().FillLength(), 14);
  fake_->SetActive(playing, BASS_ACTIVE_PAUSED);
  Window().tLevelTimer();
  EXPECT_EQ(left->Bar().Position(), 0);
  EXPECT_EQ(right->Bar().Position(), 0);
}

}  // namespace
}  // namespace ui_test
