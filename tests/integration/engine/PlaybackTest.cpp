// The real engine plays what the local server sends: the captured sound carries the served
// tone, and pause, volume, states, levels and auto-free behave as callers expect.
#include <thread>

#include "tests/integration/engine/EngineTestBase.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

struct FormatCase {
  const char* query;
  int tone;
  DWORD ctype;
  DWORD rate;
};

class FormatTest : public EngineTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTest, PlaysTheServedTone) {
  const auto& c = GetParam();
  const HSTREAM stream = Open(std::string("/stream?") + c.query);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, c.ctype);
  EXPECT_EQ(info.freq, c.rate);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);  // not played yet
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  EXPECT_TRUE(WaitUntil([&] { return FileFrames(capture_) > kRate; }));
  std::this_thread::sleep_for(300ms);
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_), kRate), c.tone);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatTest,
    ::testing::Values(FormatCase{"fmt=mp3", 440, BASS_CTYPE_STREAM_MP3, 44100},
                      FormatCase{"fmt=aac", 550, BASS_CTYPE_STREAM_AAC, 44100},
                      FormatCase{"fmt=ogg", 660, BASS_CTYPE_STREAM_OGG, 44100},
                      FormatCase{"fmt=opus", 770, BASS_CTYPE_STREAM_OGG, 48000},
                      FormatCase{"fmt=mp4&loop=0", 880, BASS_CTYPE_STREAM_MP4, 44100},
                      FormatCase{"fmt=wma&loop=0", 990, BASS_CTYPE_STREAM_WMA, 44100},
                      // No usable Content-Type: the format is recognised from the bytes.
                      FormatCase{"fmt=mp3&ctype=application/octet-stream", 440,
                                 BASS_CTYPE_STREAM_MP3, 44100}),
    [](const auto& test) {
      return std::to_string(test.param.tone) + "Hz" + std::to_string(test.index);
    });

// Volume 0.5 halves the output; levels are measured before the volume; pause is silence.
TEST_F(EngineTest, VolumeHalvesAndPauseSilences) {
  const HSTREAM stream = Open("/stream?fmt=mp3");
  ASSERT_NE(stream, 0u);
  BASS_ChannelPlay(stream, kFalse);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > kRate; }));
  const DWORD fullLevel = BASS_ChannelGetLevel(stream);
  const std::size_t full = FileFrames(capture_);
  ASSERT_TRUE(BASS_SetVolume(0.5f));
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.5f);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > full + kRate; }));
  const DWORD halfLevel = BASS_ChannelGetLevel(stream);
  const std::size_t half = FileFrames(capture_);

  ASSERT_TRUE(BASS_Stop());
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PAUSED);
  EXPECT_EQ(BASS_ChannelGetLevel(stream), ~DWORD{0});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > half + kRate; }));
  const std::size_t paused = FileFrames(capture_);
  ASSERT_TRUE(BASS_Start());
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }));
  CloseOutput();

  const auto window = [&](std::size_t end) {
    return ReadLeft(capture_, end - kRate / 2, end - kRate / 10);
  };
  const int fullPeak = Peak(window(full));
  const int halfPeak = Peak(window(half));
  ASSERT_GT(fullPeak, 1000);
  EXPECT_NEAR(static_cast<double>(halfPeak) / fullPeak, 0.5, 0.03);
  EXPECT_EQ(Peak(window(paused)), 0);
  EXPECT_NEAR(static_cast<double>(halfLevel & 0xFFFF), fullLevel & 0xFFFF,
              (fullLevel & 0xFFFF) * 0.1);
  EXPECT_EQ(fullLevel & 0xFFFF, fullLevel >> 16);
}

TEST_F(EngineTest, LevelsOnlyWhilePlaying) {
  const HSTREAM stream = Open("/stream?fmt=aac");
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelGetLevel(stream), ~DWORD{0});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
  BASS_ChannelPlay(stream, kFalse);
  EXPECT_TRUE(WaitUntil([&] {
    const DWORD level = BASS_ChannelGetLevel(stream);
    return level != ~DWORD{0} && (level & 0xFFFF) > 1000 && (level & 0xFFFF) <= 32768;
  }));
  BASS_StreamFree(stream);
  EXPECT_EQ(BASS_ChannelGetLevel(stream), ~DWORD{0});
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

// A stream that runs dry is stalled, and plays again once the buffer has refilled.
TEST_F(EngineTest, StallsAndResumes) {
  const HSTREAM stream = Open("/stream?fmt=mp3&burst=16000&stall_after=80000&stall_for=3");
  ASSERT_NE(stream, 0u);
  BASS_ChannelPlay(stream, kFalse);
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STALLED; }));
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }));
}

// With auto-free, a stream whose download ended frees itself once it has been played out;
// also when it stalled first and the rest of it is less than the pre-buffer. The streams have
// a length: a live one whose server closes connects again.
TEST_F(EngineTest, AutoFreeAfterTheEnd) {
  for (const char* query : {"/stream?fmt=mp3&loop=0&length=1&close_after=24000",
                            "/stream?fmt=mp3&loop=0&length=1&burst=16000&stall_after=40000"
                            "&stall_for=2&close_after=56000"}) {
    const HSTREAM stream =
        Open(query, BASS_STREAM_BLOCK | BASS_STREAM_STATUS | BASS_STREAM_AUTOFREE);
    ASSERT_NE(stream, 0u) << query;
    BASS_ChannelPlay(stream, kFalse);
    EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }))
        << query;
    EXPECT_TRUE(WaitUntil([&] { return !BASS_ChannelGetTags(stream, BASS_TAG_HTTP); })) << query;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_StreamFree(stream));
  }
}

}  // namespace
}  // namespace enginetest
