#include "engine/real/ReplayFilter.h"

#include <gtest/gtest.h>

#include <random>

namespace engine {
namespace {

using Clock = ReplayFilter::Clock;

// What a station sent, as distinct bytes so that no stretch repeats by chance.
std::string Station(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (auto& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

struct Listener {
  ReplayFilter filter;
  std::string heard;
  Clock::time_point now = Clock::now();

  ReplayFilter::Sink Sink() {
    return [this](const char* data, std::size_t size) {
      heard.append(data, size);
      return true;
    };
  }
  void Connection(std::string_view bytes, std::size_t chunk, bool first = false) {
    if (!first) filter.Reconnected(now);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
      filter.Feed(bytes.data() + at, std::min(chunk, bytes.size() - at), Sink(), now);
    filter.ConnectionEnded(Sink());
  }
};

struct Case {
  const char* name;
  std::size_t droppedAt;  // the first connection's end
  std::size_t resumesAt;  // where the second one starts in what the station sent
  std::size_t chunk;
};

class ReplayFilterTest : public ::testing::TestWithParam<Case> {};

// The second connection starts before (a burst), at, or after (an outage) where the first one
// ended; the listener hears each byte once, in order, and misses only what was never sent.
TEST_P(ReplayFilterTest, HearsEachByteOnce) {
  const auto& c = GetParam();
  const std::string station = Station(400 * 1024);
  Listener listener;
  listener.Connection(std::string_view(station).substr(0, c.droppedAt), c.chunk, true);
  listener.Connection(std::string_view(station).substr(c.resumesAt), c.chunk);
  const std::size_t skipped = c.resumesAt > c.droppedAt ? c.resumesAt - c.droppedAt : 0;
  EXPECT_EQ(listener.heard.size(), station.size() - skipped);
  EXPECT_TRUE(listener.heard ==
              station.substr(0, c.droppedAt) + station.substr(std::max(c.droppedAt, c.resumesAt)));
}

INSTANTIATE_TEST_SUITE_P(
    Reconnects, ReplayFilterTest,
    ::testing::Values(Case{"burst", 200 * 1024, 136 * 1024, 4096},
                      Case{"burst_in_small_pieces", 200 * 1024, 190 * 1024 + 3, 7},
                      Case{"burst_as_long_as_the_history", 300 * 1024, 44 * 1024, 16384},
                      Case{"exact_continuation", 200 * 1024, 200 * 1024, 4096},
                      Case{"outage", 100 * 1024, 180 * 1024, 4096}),
    [](const auto& test) { return std::string(test.param.name); });

// A connection that ends while its bytes are still all replay passes nothing on; the next one
// is matched against the same history.
TEST(ReplayFilter, ReplayCutShortIsDroppedAndTheNextConnectionMatched) {
  const std::string station = Station(300 * 1024);
  const std::string_view all(station);
  Listener listener;
  listener.Connection(all.substr(0, 200 * 1024), 4096, true);
  listener.Connection(all.substr(150 * 1024, 10 * 1024), 4096);
  EXPECT_EQ(listener.heard.size(), 200u * 1024);
  listener.Connection(all.substr(160 * 1024), 4096);
  EXPECT_TRUE(listener.heard == station);
}

// A server that trickles its first bytes does not keep them back for long.
TEST(ReplayFilter, SlowStartIsPassedOnAfterTheHoldTime) {
  const std::string station = Station(64 * 1024);
  Listener listener;
  listener.Connection(std::string_view(station).substr(0, 32 * 1024), 4096, true);
  listener.filter.Reconnected(listener.now);
  listener.filter.Feed(station.data() + 40 * 1024, 100, listener.Sink(), listener.now);
  EXPECT_EQ(listener.heard.size(), 32u * 1024);
  listener.now += ReplayFilter::kMaxHold;
  listener.filter.Feed(station.data() + 40 * 1024 + 100, 100, listener.Sink(), listener.now);
  EXPECT_EQ(listener.heard.size(), 32u * 1024 + 200);
}

}  // namespace
}  // namespace engine
