// The worker with the real engine against the local test stream server. Skips when the server,
// its audio fixtures or a working engine are missing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "../../unit/stream/StreamFixture.h"
#include "engine/bass.h"
#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusWindow.h"
#include "stream/Worker.h"
#include "tests/support/Requirements.h"
#include "tests/support/ServerProcess.h"

namespace stream_test {
namespace {

using Strings = std::vector<std::string>;

class RealStreamTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(TEST_SERVER)) SKIP_OR_FAIL_MISSING("no test stream server");
    if (!test_support::RunCommand({"bash", MAKE_FIXTURES, FIXTURE_DIR, "10"}))
      SKIP_OR_FAIL_MISSING("audio fixtures could not be made");
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card here; a chosen driver is kept
    engine::SetBackend(nullptr);
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
      SKIP_OR_FAIL_MISSING("real engine not available (error " << BASS_ErrorGetCode() << ")");
    initialised_ = true;
    BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 10000);
    BASS_SetConfigPtr(BASS_CONFIG_NET_AGENT, "TALVORANEST");
    const std::string fixtures = FIXTURE_DIR;
    server_.emplace(TEST_SERVER,
                    Strings{fixtures + "/tone.mp3", fixtures + "/tone.aac", fixtures + "/tone.ogg",
                            fixtures + "/tone.opus", fixtures + "/tone.wma"});
    if (server_->Port() == 0) SKIP_OR_FAIL_MISSING("test stream server did not start");

    StationName.clear();
    SiteAddress.clear();
    StreamChannel.store(0);
    ChannelInfo = BASS_CHANNELINFO{};
    stream::AttachStatusWindow(labels_);
    stream::SetStatusTap(
        [this](const stream::StatusMessage& m) { statuses_.push_back(Describe(m)); });
  }

  void TearDown() override {
    if (!initialised_) return;
    BASS_StreamFree(StreamChannel.load());
    stream::SetStatusTap(nullptr);
    stream::DetachStatusWindow();
    BASS_Free();
  }

  bool PumpUntil(const std::function<bool()>& done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  bool Saw(const std::string& status) const {
    return std::find(statuses_.begin(), statuses_.end(), status) != statuses_.end();
  }
  Strings Buffering() const {
    Strings passes;
    std::copy_if(statuses_.begin(), statuses_.end(), std::back_inserter(passes),
                 [](const std::string& s) { return s.rfind("2:", 0) == 0; });
    return passes;
  }
  void Connect(const std::string& path) {
    stream::StartWorker(server_->Url(path));
    ASSERT_TRUE(PumpUntil([] { return WorkerThread.load() == 0; }, 30))
        << testing::PrintToString(statuses_);
  }

  bool initialised_ = false;
  std::optional<test_support::ServerProcess> server_;
  RecordingLabels labels_;
  Strings statuses_;
};

TEST_F(RealStreamTest, ShoutcastStationFromConnectToTitleChanges) {
  Connect(
      "/stream?icy=1&name=Test%20Radio&br=128&metaint=8192"
      "&titles=First%20Song%7CSecond%20Song&title_every=2");

  ASSERT_FALSE(statuses_.empty());
  EXPECT_EQ(statuses_.front(), "0");
  const Strings passes = Buffering();
  ASSERT_FALSE(passes.empty());
  EXPECT_GT(std::stoi(passes.back().substr(2)), 75);
  EXPECT_TRUE(Saw("3:Test Radio")) << testing::PrintToString(statuses_);
  EXPECT_TRUE(Saw("4:bitrate: 128"));
  EXPECT_EQ(labels_.kbps, "128 kbps mp3");
  EXPECT_EQ(labels_.hz, "44100 Hz Stereo ");
  EXPECT_EQ(labels_.label4, "Test Radio");
  EXPECT_EQ(StationName, "Test Radio");

  // Titles follow the server, through the engine's metadata callback.
  EXPECT_TRUE(PumpUntil([&] { return Saw("7:First Song") && Saw("7:Second Song"); }, 30))
      << testing::PrintToString(statuses_);
  EXPECT_TRUE(PumpUntil(
      [] { return BASS_ChannelIsActive(StreamChannel.load()) == BASS_ACTIVE_PLAYING; }, 10));
}

// A live HLS station: buffered like any other, and its ID3 titles reach the window as they
// change.
TEST_F(RealStreamTest, HlsStationBuffersPlaysAndChangesTitles) {
  Connect("/hls/live.m3u8?fmt=aac&titles=1&title_every=2");
  const Strings passes = Buffering();
  ASSERT_FALSE(passes.empty()) << testing::PrintToString(statuses_);
  EXPECT_GT(std::stoi(passes.back().substr(2)), 75);
  EXPECT_TRUE(PumpUntil(
      [&] {
        return std::count_if(statuses_.begin(), statuses_.end(), [](const std::string& s) {
                 return s.rfind("7:Artist - Song ", 0) == 0;
               }) >= 3;
      },
      30))
      << testing::PrintToString(statuses_);
  EXPECT_EQ(BASS_ChannelIsActive(StreamChannel.load()), BASS_ACTIVE_PLAYING);
}

TEST_F(RealStreamTest, HttpReplyCarriesTheNameAndBitrateToo) {
  Connect("/stream?name=Plain%20Http&br=128");
  EXPECT_TRUE(Saw("3:Plain Http")) << testing::PrintToString(statuses_);
  EXPECT_EQ(labels_.kbps, "128 kbps mp3");
  EXPECT_EQ(labels_.label4, "Plain Http");
}

TEST_F(RealStreamTest, FormatAndRateLabelsFollowTheDecodedStream) {
  struct Case {
    const char* path;
    const char* kbps;
    const char* hz;
  };
  const Case cases[] = {
      {"/stream?fmt=aac&icy=1&br=96", "96 kbps aac", "44100 Hz Stereo "},
      {"/stream?fmt=ogg&icy=1&br=112", "112 kbps ogg", "44100 Hz Stereo "},
      {"/stream?fmt=opus&icy=1&br=96", "96 kbps ogg", "48000 Hz Stereo "},
  };
  for (const auto& c : cases) {
    Connect(c.path);
    EXPECT_EQ(labels_.kbps, c.kbps) << c.path;
    EXPECT_EQ(labels_.hz, c.hz) << c.path;
  }
}

// A Windows Media server: the worker takes the WMA paths; script-command titles reach the
// title line through the WMA META sync, and a header change sends the new title and author.
TEST_F(RealStreamTest, WindowsMediaStationTitlesAndHeaderChange) {
  Connect(
      "/mmsh?title=Wma%20Radio&author=Wma%20Host&scripts=Live%20Song|Next%20Song"
      "&script_every=1&change_after=40&change_title=Next%20Show");
  EXPECT_TRUE(IsWmaStream.load());
  const Strings passes = Buffering();
  ASSERT_FALSE(passes.empty()) << testing::PrintToString(statuses_);
  EXPECT_GT(std::stoi(passes.back().substr(2)), 75);
  EXPECT_TRUE(PumpUntil([&] { return labels_.label3 == "Next Song"; }, 20))
      << testing::PrintToString(statuses_);
  EXPECT_TRUE(Saw("6:Next Song"));
  EXPECT_TRUE(PumpUntil([&] { return Saw("3:Next Show") && Saw("4:Wma Host"); }, 30))
      << testing::PrintToString(statuses_);
  EXPECT_TRUE(PumpUntil(
      [] { return BASS_ChannelIsActive(StreamChannel.load()) == BASS_ACTIVE_PLAYING; }, 10));
}

TEST_F(RealStreamTest, UnreachableAddressShowsNoService) {
  stream::StartWorker("http://127.0.0.1:1/nothing");
  ASSERT_TRUE(PumpUntil([] { return WorkerThread.load() == 0; }, 30));
  EXPECT_EQ(statuses_, (Strings{"0", "1"}));
  EXPECT_EQ(labels_.label4, "Servis Yok");
  EXPECT_EQ(StreamChannel.load(), 0u);
}

}  // namespace
}  // namespace stream_test
