// Addresses whose live stream was freed while its connection was down, and since when.
//
// A player that starts over while the channel stalls (a watchdog) frees the stream that was
// reconnecting and creates a new one on the same address. That creation would fail at the
// first refusal and leave the listener waiting for the next start-over; instead it goes on
// trying for the rest of the freed stream's reconnection window. The backend guards it.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace engine {

class LostAddresses {
 public:
  using Clock = std::chrono::steady_clock;

  // Only the last few matter: one player has one station at a time.
  static constexpr std::size_t kMaxAddresses = 8;

  explicit LostAddresses(Clock::duration window) : window_(window) {}

  void Remember(const std::string& url, Clock::time_point lostAt);
  // When `url` was lost, if that is still within the window.
  std::optional<Clock::time_point> LostAt(const std::string& url, Clock::time_point now);
  void Forget(const std::string& url) { lostAt_.erase(url); }
  void Clear() { lostAt_.clear(); }

 private:
  const Clock::duration window_;
  std::map<std::string, Clock::time_point> lostAt_;
};

}  // namespace engine
