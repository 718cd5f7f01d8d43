#include "stream/SharedState.h"

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

}  // namespace stream
