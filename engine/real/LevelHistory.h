// A stream's peak levels by output frame, so that the level can be answered for the audio at
// the device's output now, not for what the mixer just handed to a device that keeps a
// buffer of its own.
//
// The output callback is the only writer; any thread reads, without locks: each slot carries
// the block it holds, stored before and after its peaks change, and a reader keeps a slot
// only when it saw the same block on both sides of the peaks.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace engine {

class LevelHistory {
 public:
  // 2.9 ms at 44.1 kHz; the mixer cuts its work at these boundaries.
  static constexpr std::uint64_t kBlockFrames = 128;
  // About 3 s at 44.1 kHz: more than any device buffer plus the window a reader asks for.
  static constexpr std::size_t kBlocks = 1024;

  // Writer: output frames from `frame` to the end of its block carried this stream with
  // these peaks (left | right << 16). Several records for one block keep the highest.
  void Record(std::uint64_t frame, std::uint32_t peaks) {
    const std::uint64_t block = frame / kBlockFrames;
    Slot& slot = slots_[block % kBlocks];
    if (slot.stamp.load() == block + 1) {
      slot.peaks.store(Max(slot.peaks.load(), peaks));
      return;
    }
    slot.stamp.store(0);
    slot.peaks.store(peaks);
    slot.stamp.store(block + 1);
  }

  // Any thread: the highest left and right peaks of the output frames [from, to). Frames
  // this stream was not mixed into count as silence.
  std::uint32_t Peak(std::uint64_t from, std::uint64_t to) const {
    std::uint32_t peaks = 0;
    if (to <= from) return peaks;
    const std::uint64_t last = (to - 1) / kBlockFrames;
    for (std::uint64_t block = from / kBlockFrames; block <= last; ++block) {
      const Slot& slot = slots_[block % kBlocks];
      const std::uint64_t before = slot.stamp.load();
      const std::uint32_t value = slot.peaks.load();
      if (before == block + 1 && slot.stamp.load() == before) peaks = Max(peaks, value);
    }
    return peaks;
  }

  static std::uint32_t Max(std::uint32_t a, std::uint32_t b) {
    return std::max(a & 0xFFFF, b & 0xFFFF) | std::max(a >> 16, b >> 16) << 16;
  }

 private:
  struct Slot {
    std::atomic<std::uint64_t> stamp{0};  // the block held, plus one; 0 while changing
    std::atomic<std::uint32_t> peaks{0};
  };
  std::array<Slot, kBlocks> slots_{};
};

}  // namespace engine
