// The engine on a desktop: it plays to a sound server (a private one here, with a null sink
// whose monitor is recorded) through a stream of its own, not through SDL.
#include <signal.h>

#include <filesystem>
#include <thread>

#include "engine/real/PulseDevice.h"
#include "tests/integration/engine/EngineTestBase.h"
#include "tests/support/Requirements.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempFolder.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

class PulseOutputTest : public EngineTest {
 protected:
  void ChooseOutput() override {
    if (LastLineOf("for t in pulseaudio parec pactl; do command -v $t; done | wc -l") != "3")
      SKIP_OR_FAIL_MISSING("pulseaudio, parec or pactl is not installed");
    const std::string socket = folder_ / "native";
    server_address_ = "unix:" + socket;
    std::filesystem::create_directories(folder_ / "run");
    soundServer_ = std::make_unique<test_support::ChildProcess>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
            "--log-target=file:" + (folder_ / "server.log"), "-L",
            "module-null-sink sink_name=test rate=44100", "-L",
            "module-native-protocol-unix socket=" + socket + " auth-anonymous=1"},
        std::vector<std::string>{"HOME=" + folder_.path(), "XDG_RUNTIME_DIR=" + (folder_ / "run"),
                                 "XDG_CONFIG_HOME=" + (folder_ / "config")});
    if (!WaitUntil([&] { return std::filesystem::exists(socket); }))
      SKIP_OR_FAIL_MISSING("the private PulseAudio server did not start");
    setenv("PULSE_SERVER", server_address_.c_str(), 1);
    unsetenv("SDL_AUDIODRIVER");
  }

  void TearDown() override {
    EngineTest::TearDown();
    soundServer_.reset();
    unsetenv("PULSE_SERVER");
  }

  // What the null sink played over the next `seconds`, left channel.
  std::vector<std::int16_t> Record(const char* seconds) {
    const std::string file = folder_ / "recorded.raw";
    std::filesystem::remove(file);
    // parec records until stopped; timeout's exit code says only that it stopped it.
    test_support::RunCommand({"timeout", seconds, "parec", "--server=" + server_address_,
                              "--device=test.monitor", "--latency-msec=20", "--raw",
                              "--format=s16le", "--rate=44100", "--channels=2", file});
    return ReadLeft(file);
  }

  // The sound server's playback streams whose name is this engine's.
  int EngineStreams() {
    return std::stoi("0" + LastLineOf("pactl --server=" + server_address_ +
                                      " list sink-inputs | grep -c 'media.name = \"" +
                                      engine::PulseDevice::kStreamName + "\"'"));
  }

  TempFolder folder_;
  std::string server_address_;
  std::unique_ptr<test_support::ChildProcess> soundServer_;
};

TEST_F(PulseOutputTest, PlaysThroughTheSoundServerAndLeavesNothingBehind) {
  EXPECT_EQ(EngineStreams(), 1) << "the engine's own stream on the server";
  const HSTREAM stream = Open("/stream?fmt=mp3");
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }));
  std::this_thread::sleep_for(500ms);  // past the server's latency
  const std::vector<std::int16_t> playing = Record("1.5");
  ASSERT_GT(playing.size(), std::size_t{kRate / 2});
  EXPECT_GT(Peak(playing), 1000);
  EXPECT_EQ(DominantFrequency(playing, kRate), 440);
  EXPECT_NE(BASS_ChannelGetLevel(stream) & 0xFFFF, 0u);

  ASSERT_TRUE(BASS_Stop());
  std::this_thread::sleep_for(500ms);  // what was queued plays out
  EXPECT_EQ(Peak(Record("1")), 0) << "paused output is silence";

  CloseOutput();
  EXPECT_TRUE(WaitUntil([&] { return EngineStreams() == 0; }, 5s));
}

// A sound server that goes away leaves a silent engine that still answers and frees cleanly.
TEST_F(PulseOutputTest, ServerGoneWhilePlaying) {
  const HSTREAM stream = Open("/stream?fmt=mp3");
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }));
  soundServer_.reset();
  std::this_thread::sleep_for(500ms);
  BASS_ChannelIsActive(stream);
  BASS_ChannelGetLevel(stream);
  EXPECT_TRUE(BASS_Stop());
  EXPECT_TRUE(BASS_StreamFree(stream));
  CloseOutput();
}

}  // namespace
}  // namespace enginetest
