#include "engine/real/Retries.h"

#include <algorithm>
#include <iterator>

#include "engine/Log.h"

namespace engine {
namespace {

// Capped at a second: the listener is back within about a second of the server, at the
// cost of one connection attempt a second to a server that is down.
constexpr std::chrono::milliseconds kPauses[] = {std::chrono::milliseconds(250),
                                                 std::chrono::milliseconds(500),
                                                 std::chrono::milliseconds(1000)};
// A server that accepts and drops at once must not keep the attempts from running out.
constexpr auto kBackAfter = std::chrono::seconds(10);

// Ends early when the stream dies: Kill wakes the multi handle.
void Pause(Stream& stream, std::chrono::milliseconds pause) {
  const auto end = Retries::Clock::now() + pause;
  while (!stream.Dead()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Retries::Clock::now());
    if (left.count() <= 0) return;
    curl_multi_poll(stream.Multi(), nullptr, 0, static_cast<int>(std::min<long>(left.count(), 250)),
                    nullptr);
  }
}

}  // namespace

bool Retries::Next(Stream& stream, const std::string& url) {
  if (!stream.WantsAnotherAttempt()) return false;
  if (Clock::now() - droppedAt_ > kGiveUpAfter) {
    if (LogEnabled()) Log(LogArea::kNet, LogLevel::kWarning, url + ": not back, giving up");
    return false;
  }
  Pause(stream, kPauses[std::min(attempt_, std::size(kPauses) - 1)]);
  if (!stream.WantsAnotherAttempt()) return false;
  ++attempt_;
  attemptAt_ = Clock::now();
  if (LogEnabled())
    Log(LogArea::kNet, LogLevel::kInfo,
        url + ": connection lost, attempt " + std::to_string(attempt_) + " to connect again");
  return true;
}

void Retries::Carried() {
  if (Clock::now() - attemptAt_ < kBackAfter) return;
  droppedAt_ = Clock::now();
  attempt_ = 0;
}

}  // namespace engine
