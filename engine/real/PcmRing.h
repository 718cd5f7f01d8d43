// Decoded stereo 16-bit frames at the output rate, from the decoder thread (the only writer)
// to the output callback (the only reader). Lock-free, so the callback never waits.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine {

class PcmRing {
 public:
  explicit PcmRing(std::size_t frames) : samples_(frames * 2) {}

  std::size_t CapacityFrames() const { return samples_.size() / 2; }
  std::size_t Frames() const { return static_cast<std::size_t>(head_.load() - tail_.load()); }
  std::size_t FreeFrames() const { return CapacityFrames() - Frames(); }

  // Writer: stores up to `frames` frames, returns how many fitted.
  std::size_t Write(const std::int16_t* in, std::size_t frames) {
    const std::uint64_t head = head_.load(std::memory_order_relaxed);
    const std::size_t n = std::min(frames, FreeFrames());
    for (std::size_t i = 0; i < n * 2; ++i) samples_[(head * 2 + i) % samples_.size()] = in[i];
    head_.store(head + n, std::memory_order_release);
    return n;
  }

  // Reader: takes up to `frames` frames, returns how many there were.
  std::size_t Read(std::int16_t* out, std::size_t frames) {
    const std::uint64_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t have = static_cast<std::size_t>(head_.load(std::memory_order_acquire) - tail);
    const std::size_t n = std::min(frames, have);
    for (std::size_t i = 0; i < n * 2; ++i) out[i] = samples_[(tail * 2 + i) % samples_.size()];
    tail_.store(tail + n, std::memory_order_release);
    return n;
  }

 private:
  std::vector<std::int16_t> samples_;
  std::atomic<std::uint64_t> head_{0};  // frames written; only the writer stores
  std::atomic<std::uint64_t> tail_{0};  // frames read; only the reader stores
};

}  // namespace engine
