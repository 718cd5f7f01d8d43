// Drops what a server sends again after a reconnect.
//
// A live server starts every listener with a burst of what it sent just before, so the first
// bytes of a new connection repeat audio already played. The filter keeps the last audio bytes
// passed on; after Reconnected() it holds back the new connection's first bytes until it knows
// whether they start somewhere in that history, and drops the part that does. Bytes are the
// audio payload (ICY metadata already taken out). Only the network thread uses a filter.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace engine {

class ReplayFilter {
 public:
  using Sink = std::function<bool(const char* data, std::size_t size)>;
  using Clock = std::chrono::steady_clock;

  // Larger than any connect burst servers are set up with (64 KiB by default).
  static constexpr std::size_t kHistoryBytes = 256 * 1024;
  // New bytes looked up in the history; shorter matches are too likely by chance.
  static constexpr std::size_t kProbeBytes = 512;
  // How long a slow server may keep the decision open; the burst comes at once.
  static constexpr Clock::duration kMaxHold = std::chrono::seconds(1);

  // Passes bytes on to `sink` (false from it is returned), holding them while deciding.
  bool Feed(const char* data, std::size_t size, const Sink& sink, Clock::time_point now);
  // The next bytes start a new connection.
  void Reconnected(Clock::time_point now);
  // The connection ended: what is still held is either replay (dropped) or passed on.
  bool ConnectionEnded(const Sink& sink);

  // Bytes dropped as replay so far (for the log).
  std::size_t Dropped() const { return dropped_; }

 private:
  enum class Verdict { kWait, kOverlap, kNone };
  Verdict Decide(bool force, std::size_t* overlap) const;
  bool Pass(const char* data, std::size_t size, const Sink& sink);
  bool Release(std::size_t skip, const Sink& sink);

  std::string history_;  // the last audio bytes passed on, up to kHistoryBytes
  std::string held_;     // the new connection's first bytes, while deciding
  bool deciding_ = false;
  Clock::time_point since_{};
  std::size_t dropped_ = 0;
};

}  // namespace engine
