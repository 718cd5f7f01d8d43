// Two hundred play and stop clicks while a station plays: every worker they start ends, every
// stream but one is closed, and the process holds no more threads, descriptors or connections
// than before.
#include <algorithm>
#include <iostream>

#include "stream/SharedState.h"
#include "tests/integration/load/LoadFixture.h"

namespace load_test {
namespace {

constexpr int kClicks = 200;

TEST_F(LoadTest, TwoHundredPlayStopClicksLeaveNothingBehind) {
  const ProcessFigures before = PlayingBaseline(0);

  int peakThreads = before.threads;
  for (int click = 0; click < kClicks; ++click) {
    if (click % 2 == 0) {
      Window().btnPlayClick();
    } else {
      Window().btnDurClick();
    }
    Pump(5);
    peakThreads = std::max(peakThreads, ProcessFigures::Now().threads);
  }
  std::cout << "[  figures ] peak threads during the clicks " << peakThreads << std::endl;

  // The last click stopped the output: at most the last worker's stream is left, paused.
  const auto settled = [&] {
    return WorkerThread.load() == 0 && engine_->Alive().size() <= 1 && ServerConnections() <= 1;
  };
  EXPECT_TRUE(PumpUntil(settled, 60));
  std::cout << "[  figures ] streams created " << engine_->Created().size()
            << ", alive after the clicks " << engine_->Alive().size()
            << ", server connections open " << ServerConnections() << std::endl;
  EXPECT_EQ(WorkerThread.load(), 0u) << "the last worker has not finished";
  EXPECT_LE(engine_->Alive().size(), 1u);
  EXPECT_LE(ServerConnections(), 1u);
  EXPECT_FALSE(Playing(StreamChannel.load()));

  // One more play brings the station back, in the state the figures were first taken in.
  Window().btnPlayClick();
  EXPECT_TRUE(PumpUntil(
      [&] {
        const HSTREAM channel = StreamChannel.load();
        return WorkerThread.load() == 0 && Playing(channel) &&
               engine_->Alive() == std::vector<HSTREAM>{channel} && ServerConnections() == 1;
      },
      30));
  ExpectNothingLeftSince(before);
}

}  // namespace
}  // namespace load_test
