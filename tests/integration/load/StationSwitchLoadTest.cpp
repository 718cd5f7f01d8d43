// A hundred station selections in two seconds while every station streams titles: the window
// never stops answering, one stream stays open, and it is the last station's.
#include <algorithm>
#include <chrono>
#include <iostream>

#include "sources/Station.h"
#include "stream/SharedState.h"
#include "tests/integration/load/LoadFixture.h"

namespace load_test {
namespace {

constexpr int kStations = 100;
constexpr int kPauseMs = 20;  // 100 selections in two seconds

TEST_F(LoadTest, HundredQuickSelectionsLeaveOnlyTheLastStationPlaying) {
  const ProcessFigures before = PlayingBaseline(0);
  std::vector<std::string> playlists;
  for (int id = 1; id <= kStations; ++id) playlists.push_back(WritePlaylist(id));

  int peakThreads = before.threads;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < playlists.size(); ++i) {
    Window().OpenStation(playlists[i]);
    // Paced to two seconds in all, even on a slow build; events are handled at least once.
    PumpTill(start + std::chrono::milliseconds(kPauseMs) * (i + 1));
    peakThreads = std::max(peakThreads, ProcessFigures::Now().threads);
  }
  const auto took = std::chrono::steady_clock::now() - start;
  std::cout << "[  figures ] " << kStations << " selections in "
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
            << " ms; peak threads " << peakThreads << std::endl;

  const std::string lastTitle = "S" + std::to_string(kStations) + " Song ";
  const auto settled = [&] {
    const HSTREAM channel = StreamChannel.load();
    return WorkerThread.load() == 0 && Playing(channel) &&
           engine_->Alive() == std::vector<HSTREAM>{channel} && ServerConnections() == 1 &&
           Text("Label3").rfind(lastTitle, 0) == 0;
  };
  EXPECT_TRUE(PumpUntil(settled, 60));

  const HSTREAM channel = StreamChannel.load();
  std::cout << "[  figures ] streams created " << engine_->Created().size() << ", alive at the end "
            << engine_->Alive().size() << ", server connections open " << ServerConnections()
            << std::endl;
  EXPECT_EQ(WorkerThread.load(), 0u) << "the last worker has not finished";
  EXPECT_TRUE(Playing(channel));
  EXPECT_EQ(engine_->Alive(), std::vector<HSTREAM>{channel}) << "earlier streams still open";
  std::vector<HSTREAM> notStopped;
  for (const HSTREAM earlier : engine_->Created()) {
    if (earlier != channel && BASS_ChannelIsActive(earlier) != BASS_ACTIVE_STOPPED)
      notStopped.push_back(earlier);
  }
  EXPECT_EQ(notStopped, std::vector<HSTREAM>{});
  EXPECT_EQ(StreamUrl, StationUrl(kStations));
  EXPECT_EQ(Text("Label4"), "Station " + std::to_string(kStations));
  EXPECT_EQ(OpenRequests(),
            std::vector<std::string>{StationUrl(kStations).substr(server_->Url("").size())});

  // The titles of the stream that won keep coming.
  const std::string shown = Text("Label3");
  EXPECT_TRUE(PumpUntil([&] { return Text("Label3") != shown; }, 20)) << shown;
  EXPECT_EQ(Text("Label3").rfind(lastTitle, 0), 0u) << Text("Label3");

  ExpectNothingLeftSince(before);
}

}  // namespace
}  // namespace load_test
