#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/real/LevelHistory.h"
#include "engine/real/OutputClock.h"

namespace engine {
namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kTickNs = 20'000'000;  // the level meters' feed
constexpr std::uint64_t kWindowFrames = 882;  // 20 ms at kRate
constexpr std::uint32_t kLoud = 20000 | 12000 << 16;

std::int64_t FramesToNs(std::uint64_t frames) {
  return static_cast<std::int64_t>(frames * 1'000'000'000 / kRate);
}

struct Device {
  std::uint64_t period;  // frames per callback
  std::uint64_t queued;  // frames the device still holds when it asks for the next period
  // The device starts from a dropped queue: its first request is for the whole queue and a
  // period, with nothing ahead of it.
  bool dropped = false;
};

struct Reading {
  std::int64_t atNs;
  std::uint32_t level;
};

// A device playing from time 0 at kRate asks for the next period once only `queued` frames are
// left ahead of it; the mixer records each 128-frame block's peak as the output callback does.
// The meters are read every 20 ms. `before` is the level up to output frame `step`, `after`
// from it.
std::vector<Reading> PlayStep(Device device, std::uint64_t step, std::uint32_t before,
                              std::uint32_t after) {
  LevelHistory history;
  OutputClock clock(kRate);
  std::vector<Reading> readings;
  std::uint64_t next = 0;  // the first frame of the next request
  for (std::int64_t tick = 3'000'000; tick < 800'000'000; tick += kTickNs) {
    for (;;) {
      const bool whole = device.dropped && next == 0;
      const std::uint64_t frames = whole ? device.queued + device.period : device.period;
      const std::uint64_t ahead = whole ? 0 : device.queued;
      const std::int64_t due = next > ahead ? FramesToNs(next - ahead) : 0;
      if (due > tick) break;
      clock.Filling(next, frames, ahead, due);
      for (std::uint64_t f = next; f < next + frames; f += LevelHistory::kBlockFrames)
        history.Record(f, f + LevelHistory::kBlockFrames <= step ? before : after);
      next += frames;
    }
    readings.push_back({tick, LevelHeard(history, clock, tick, kWindowFrames)});
  }
  return readings;
}

// The meters show a step in level no earlier than it reaches the output, and at the latest at
// the first reading one tick after that, whatever the device keeps queued, and also while a
// device that dropped its queue fills it again.
TEST(LevelHeard, StepReachesMetersWithinOneTickOfTheOutput) {
  const struct {
    Device device;
    std::uint64_t step;
  } cases[] = {
      {{512, 0}, 5 * 512 + 256},              // a device that takes each period at once
      {{2048, 2048}, 5 * 2048 + 640},         // a sound server one period ahead
      {{2048, 6144}, 9 * 2048 + 128},         // a deeper device buffer
      {{4096, 4096}, 3 * 4096},               // the step on a period boundary
      {{2756, 8268, true}, 256},              // within the refill after a drop
      {{2756, 8268, true}, 8268 + 2 * 2756},  // after it
  };
  for (const auto& c : cases) {
    const std::int64_t reachesOutput = FramesToNs(c.step);
    for (const auto& [before, after] : {std::pair{0u, kLoud}, std::pair{kLoud, 0u}}) {
      SCOPED_TRACE(testing::Message()
                   << "period " << c.device.period << ", queued " << c.device.queued
                   << (c.device.dropped ? ", dropped" : "") << ", step to " << after);
      bool sawAfter = false;
      for (const Reading& r : PlayStep(c.device, c.step, before, after)) {
        if (r.atNs < reachesOutput) {
          if (before == 0) {
            EXPECT_EQ(r.level, before) << "at " << r.atNs / 1e6 << " ms";
          }
        } else if (r.atNs >= reachesOutput + kTickNs) {
          EXPECT_EQ(r.level, after) << "at " << r.atNs / 1e6 << " ms";
          sawAfter = true;
        }
      }
      EXPECT_TRUE(sawAfter);
    }
  }
}

// Levels the mixer recorded are kept per block: two records of one block keep the highest of
// each channel; frames the stream was not mixed into, or whose slot a later block took, are
// silence.
TEST(LevelHeard, HistoryKeepsPeaksPerBlock) {
  constexpr std::uint64_t kBlock = LevelHistory::kBlockFrames;
  LevelHistory history;
  history.Record(0, 100 | 5 << 16);
  history.Record(kBlock / 2, 7 | 300 << 16);  // the rest of block 0
  history.Record(2 * kBlock, 50);             // block 1 was never mixed
  EXPECT_EQ(history.Peak(0, kBlock), 100u | 300u << 16);
  EXPECT_EQ(history.Peak(kBlock, 2 * kBlock), 0u);
  EXPECT_EQ(history.Peak(kBlock, 2 * kBlock + 1), 50u);
  EXPECT_EQ(history.Peak(5, 5), 0u);
  history.Record(LevelHistory::kBlocks * kBlock, 9);  // takes block 0's slot
  EXPECT_EQ(history.Peak(0, kBlock), 0u);
  EXPECT_EQ(history.Peak(LevelHistory::kBlocks * kBlock, LevelHistory::kBlocks * kBlock + 1), 9u);
}

}  // namespace
}  // namespace engine
