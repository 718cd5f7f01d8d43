// When a live stream whose connection ended tries again: after 0.25 and 0.5 s, then every
// second, for up to 90 s of attempts that bring nothing. Used by one network thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

class Retries {
 public:
  using Clock = std::chrono::steady_clock;

  // Waits before the next attempt (Kill ends the wait); false when the stream no longer wants
  // one or the attempts have run out.
  bool Next(Stream& stream, const std::string& url);
  // The attempt begun by the last Next() carried audio: if for long enough, it counts as back
  // and a later drop starts over.
  void Carried();

 private:
  Clock::time_point droppedAt_ = Clock::now();
  Clock::time_point attemptAt_ = droppedAt_;
  std::size_t attempt_ = 0;
};

}  // namespace engine
