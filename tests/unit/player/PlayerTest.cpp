#include "player/Player.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/fake/FakeEngine.h"
#include "sources/Station.h"
#include "stream/StatusWindow.h"

namespace {

using Strings = std::vector<std::string>;

class PlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    engine::SetBackend(engine_);
    player_ = std::make_unique<player::Player>();
    Watch();
    engine_->ClearCalls();
  }
  void TearDown() override {
    player_.reset();
    engine::SetBackend(nullptr);
  }

  // Records each change signal's name in signals_.
  void Watch() {
    using P = player::Player;
    const std::pair<const char*, void (P::*)()> all[] = {
        {"stationName", &P::stationNameChanged},
        {"streamUrl", &P::streamUrlChanged},
        {"siteAddress", &P::siteAddressChanged},
        {"nowPlaying", &P::nowPlayingChanged},
        {"channel", &P::channelChanged},
        {"channelInfo", &P::channelInfoChanged},
        {"worker", &P::workerChanged},
        {"statusLine", &P::statusLineChanged},
        {"titleLine", &P::titleLineChanged},
        {"kbps", &P::kbpsChanged},
        {"hz", &P::hzChanged},
        {"repaint", &P::statusLineRepaintRequested},
        {"wantsToPlay", &P::wantsToPlayChanged},
        {"volume", &P::volumeChanged},
        {"muted", &P::mutedChanged},
        {"playing", &P::playingChanged},
    };
    for (const auto& [name, signal] : all) {
      QObject::connect(player_.get(), signal, player_.get(),
                       [this, name = std::string(name)] { signals_.push_back(name); });
    }
  }
  Strings TakeSignals() { return std::exchange(signals_, {}); }
  Strings TakeCalls() {
    Strings calls = engine_->Calls();
    engine_->ClearCalls();
    return calls;
  }
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  }
  // The built-in station, connected by its worker and playing.
  void Connect() {
    player_->OpenStation("");
    ASSERT_TRUE(PumpUntil([&] { return player_->WorkerGeneration() == 0; }));
    ASSERT_NE(player_->Channel(), 0u);
    TakeSignals();
    TakeCalls();
  }
  bool Status(std::uint32_t code, const char* text = nullptr, std::int32_t value = 0) {
    return stream::SendStatus(stream::kAnyGeneration, {code, value, text});
  }

  std::shared_ptr<engine::FakeEngine> engine_ = std::make_shared<engine::FakeEngine>();
  std::unique_ptr<player::Player> player_;
  Strings signals_;
};

TEST_F(PlayerTest, OpeningTheBuiltInStationSignalsEachChangeOnceInTheWindowsOrder) {
  engine_->SetGetVolumeResult(0.5f);
  player_->OpenStation("");
  EXPECT_EQ(TakeCalls(),
            (Strings{"Stop", "StreamFree(0)", "Stop", "Start", "GetVolume", "SetVolume(0.5)"}));
  EXPECT_EQ(TakeSignals(), (Strings{"stationName", "streamUrl", "siteAddress", "statusLine",
                                    "titleLine", "worker", "volume"}));
  EXPECT_EQ(player_->StationName(), "KELVO FM");
  EXPECT_EQ(player_->StreamUrl(), sources::DefaultStreamUrl());
  EXPECT_EQ(player_->TitleLine(), sources::StationSlogan);
  EXPECT_EQ(player_->Volume(), 50);
  ASSERT_NE(player_->WorkerGeneration(), 0u);

  // The same station again: only the new worker is news.
  ASSERT_TRUE(PumpUntil([&] { return player_->WorkerGeneration() == 0; }));
  TakeSignals();
  player_->OpenStation("");
  EXPECT_EQ(TakeSignals(), Strings{"worker"});
}

TEST_F(PlayerTest, AWorkerRunPublishesTheChannelItsEndAndPlayback) {
  engine::FakeEngine::Creation creation;
  creation.handle = 7;
  creation.script.tags = {{BASS_TAG_ICY, std::string("icy-name:Radyo\0icy-br:128\0\0", 27)}};
  engine_->QueueCreation(creation);
  player_->OpenStation("");
  ASSERT_TRUE(PumpUntil([&] { return player_->WorkerGeneration() == 0; }));
  EXPECT_EQ(player_->Channel(), 7u);
  EXPECT_FALSE(player_->IsWma());
  EXPECT_EQ(player_->ChannelInfo().freq, 44100u);
  EXPECT_EQ(player_->KbpsText(), "128 kbps mp3");
  EXPECT_EQ(player_->HzText(), "44100 Hz Stereo ");
  const Strings seen = TakeSignals();
  for (const char* once : {"channel", "channelInfo", "kbps", "hz"}) {
    EXPECT_EQ(std::count(seen.begin(), seen.end(), once), 1) << once;
  }
  EXPECT_EQ(seen.back() == "worker" || seen.back() == "playing", true);

  player_->RefreshPlaying();
  EXPECT_TRUE(player_->Playing());
  TakeCalls();
  player_->Stop();
  EXPECT_FALSE(player_->Playing()) << "a stopped output plays nothing";
  EXPECT_EQ(TakeCalls(), Strings{"Stop"});
}

TEST_F(PlayerTest, TitlesAndStatusesSignalOnlyRealChanges) {
  ASSERT_TRUE(Status(STATUS_TITLE, "Artist - Song  "));
  EXPECT_EQ(TakeSignals(), (Strings{"titleLine", "nowPlaying"}));
  EXPECT_EQ(player_->NowPlaying(), "Artist - Song");
  ASSERT_TRUE(Status(STATUS_TITLE, "Artist - Song"));
  EXPECT_TRUE(TakeSignals().empty()) << "the same title after trimming";
  ASSERT_TRUE(Status(STATUS_TITLE, ""));
  EXPECT_EQ(TakeSignals(), Strings{"nowPlaying"}) << "an empty title keeps the line";
  EXPECT_EQ(player_->TitleLine(), "Artist - Song");

  ASSERT_TRUE(Status(STATUS_BUFFERING, nullptr, 42));
  ASSERT_TRUE(Status(STATUS_BUFFERING, nullptr, 42));
  EXPECT_EQ(TakeSignals(), (Strings{"statusLine", "repaint", "repaint"}))
      << "the line changes once, and is painted at every pass";
  ASSERT_TRUE(Status(STATUS_STATION_NAME, "Radyo "));
  EXPECT_EQ(TakeSignals(), (Strings{"statusLine", "stationName"}));
  ASSERT_TRUE(Status(STATUS_INFO, "bitrate: 128"));
  EXPECT_TRUE(TakeSignals().empty());
}

TEST_F(PlayerTest, TransportCommandsKeepTheirEngineCallsAndSignalOnce) {
  struct Step {
    const char* name;
    std::function<void(player::Player&)> command;
    Strings calls;
    Strings changes;
  };
  const Step steps[] = {
      {"volume", [](auto& p) { p.SetVolume(57); }, {"SetVolume(0.57)"}, {"volume"}},
      {"same volume", [](auto& p) { p.SetVolume(57); }, {}, {}},
      {"above range", [](auto& p) { p.SetVolume(150); }, {"SetVolume(1)"}, {"volume"}},
      {"mute", [](auto& p) { p.Mute(); }, {"SetVolume(0)"}, {"muted"}},
      {"unmute", [](auto& p) { p.Unmute(); }, {"SetVolume(1)"}, {"muted"}},
      {"stop", [](auto& p) { p.Stop(); }, {"Stop"}, {"wantsToPlay"}},
      {"stop again", [](auto& p) { p.Stop(); }, {"Stop"}, {}},
      {"play",
       [](auto& p) { p.Play(); },
       {"Stop", "Start", "GetVolume"},
       {"worker", "wantsToPlay"}},
      {"play again", [](auto& p) { p.Play(); }, {"Stop", "Start", "GetVolume"}, {"worker"}},
  };
  for (const Step& step : steps) {
    step.command(*player_);
    EXPECT_EQ(TakeCalls(), step.calls) << step.name;
    Strings seen = TakeSignals();
    std::erase(seen, "playing");
    EXPECT_EQ(seen, step.changes) << step.name;
  }
  EXPECT_TRUE(player_->WantsToPlay());
  EXPECT_FALSE(player_->Muted());
  EXPECT_EQ(player_->Volume(), 100);
}

TEST_F(PlayerTest, TheWatchdogReconnectsOnlyWhatDoesNotPlay) {
  Connect();
  player_->WatchdogTick();
  EXPECT_TRUE(TakeCalls().empty());

  engine_->SetActive(player_->Channel(), BASS_ACTIVE_STALLED);
  player_->WatchdogTick();
  EXPECT_EQ(player_->StatusLine(), "Servis Yok");
  Strings seen = TakeSignals();
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(Strings(seen.begin(), seen.begin() + 3), (Strings{"statusLine", "repaint", "worker"}));
  EXPECT_EQ(TakeCalls(), (Strings{"Stop", "Start", "GetVolume"}));
}

}  // namespace
