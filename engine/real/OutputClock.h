// Which output frame is being heard now: the output callback notes each buffer it fills, when,
// and what the device still holds ahead of it; a reader extrapolates from the latest one at the
// output rate, behind by that queue.
//
// The callback is the only writer. Readers take the values under a sequence count, so they
// never pair one buffer's frame with another buffer's time or queue.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "engine/real/LevelHistory.h"

namespace engine {

class OutputClock {
 public:
  // rate: output frames a second.
  explicit OutputClock(int rate) : rate_(rate) {}

  // Writer: the buffer starting at output frame `frame`, `frames` long, is being filled at
  // `nowNs` (a monotonic clock) while the device still has `queued` frames to play ahead of
  // it, so its first frame is heard that much later.
  void Filling(std::uint64_t frame, std::uint64_t frames, std::uint64_t queued,
               std::int64_t nowNs) {
    sequence_.fetch_add(1);
    frame_.store(frame);
    frames_.store(frames);
    queued_.store(queued);
    timeNs_.store(nowNs);
    sequence_.fetch_add(1);
  }

  // Any thread: the output frame being heard at `nowNs`; the frames before it have reached
  // the output. 0 before the first buffer.
  std::uint64_t Heard(std::int64_t nowNs) const {
    std::uint64_t frame = 0;
    std::uint64_t frames = 0;
    std::uint64_t queued = 0;
    std::int64_t timeNs = 0;
    for (int attempt = 0; attempt < 8; ++attempt) {
      const std::uint64_t before = sequence_.load();
      frame = frame_.load();
      frames = frames_.load();
      queued = queued_.load();
      timeNs = timeNs_.load();
      if (before % 2 == 0 && sequence_.load() == before) break;
    }
    if (frame + frames == 0) return 0;
    const std::int64_t elapsedNs = std::clamp<std::int64_t>(nowNs - timeNs, 0, kMaxElapsedNs);
    const auto played = static_cast<std::uint64_t>(elapsedNs * rate_ / 1'000'000'000);
    // While the buffer being filled waits behind the queue, the queue plays; after that the
    // buffer itself, and no further than its end however late the next one comes.
    const std::uint64_t heard = frame + std::min(played, frames + queued);
    return heard > queued ? heard - queued : 0;
  }

 private:
  // Far beyond any buffer; keeps the product with the rate within 64 bits.
  static constexpr std::int64_t kMaxElapsedNs = 60'000'000'000;

  const std::int64_t rate_;
  std::atomic<std::uint64_t> queued_{0};
  std::atomic<std::uint64_t> sequence_{0};  // odd while the writer is between its stores
  std::atomic<std::uint64_t> frame_{0};
  std::atomic<std::uint64_t> frames_{0};
  std::atomic<std::int64_t> timeNs_{0};
};

// A stream's level for the audio heard at `nowNs`: its peaks over the last `windowFrames`
// output frames that reached the output.
inline std::uint32_t LevelHeard(const LevelHistory& history, const OutputClock& clock,
                                std::int64_t nowNs, std::uint64_t windowFrames) {
  const std::uint64_t heard = clock.Heard(nowNs);
  return history.Peak(heard > windowFrames ? heard - windowFrames : 0, heard);
}

}  // namespace engine
