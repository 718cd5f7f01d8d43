#include "stream/SharedState.h"

#include "sources/Station.h"
#include "stream/StatusDisplay.h"

std::atomic<HSTREAM> StreamChannel{0};
std::atomic<bool> IsWmaStream{false};
BASS_CHANNELINFO ChannelInfo{};
std::atomic<std::uint64_t> WorkerThread{0};
std::atomic<std::thread::id> WorkerThreadId{};

namespace stream {
namespace {
std::atomic<std::uint64_t> newestGeneration{0};
}  // namespace

std::uint64_t CurrentGeneration() {
  return newestGeneration.load();
}
std::uint64_t NextGeneration() {
  return newestGeneration.fetch_add(1) + 1;
}

void ResetSession() {
  NextGeneration();
  StationName.clear();
  StreamUrl.clear();
  SiteAddress.clear();
  NowPlaying.clear();
  StreamChannel.store(0);
  IsWmaStream.store(false);
  ChannelInfo = BASS_CHANNELINFO{};
  WorkerThread.store(0);
  WorkerThreadId.store(std::thread::id{});
}

}  // namespace stream
