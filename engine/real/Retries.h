// When a live stream whose connection ended tries again: after 0.25 and 0.5 s, then every
// second, for up to 90 s of attempts that bring nothing. The same goes for a new stream on an
// address whose stream was freed while reconnecting, for the rest of those 90 s. Used by one
// network thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

class Retries {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr Clock::duration kGiveUpAfter = std::chrono::seconds(90);

  // `droppedAt`: when the connection went down; the attempts run out kGiveUpAfter later.
  explicit Retries(Clock::time_point droppedAt = Clock::now())
      : droppedAt_(droppedAt), attemptAt_(droppedAt) {}

  // Waits before the next attempt (Kill ends the wait); false when the stream no longer wants
  // one (Stream::WantsAnotherAttempt) or the attempts have run out.
  bool Next(Stream& stream, const std::string& url);
  // The attempt begun by the last Next() carried audio: if for long enough, it counts as back
  // and a later drop starts over.
  void Carried();
  Clock::time_point DroppedAt() const { return droppedAt_; }

 private:
  Clock::time_point droppedAt_;
  Clock::time_point attemptAt_;
  std::size_t attempt_ = 0;
};

}  // namespace engine
