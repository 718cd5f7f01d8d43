#include "engine/real/ReplayFilter.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace engine {

void ReplayFilter::Reconnected(Clock::time_point now) {
  held_.clear();
  deciding_ = !history_.empty();
  since_ = now;
}

bool ReplayFilter::Feed(const char* data, std::size_t size, const Sink& sink,
                        Clock::time_point now) {
  if (!deciding_) return Pass(data, size, sink);
  held_.append(data, size);
  std::size_t overlap = 0;
  switch (Decide(now - since_ >= kMaxHold, &overlap)) {
    case Verdict::kWait:
      return true;
    case Verdict::kOverlap:
      return Release(overlap, sink);
    case Verdict::kNone:
      return Release(0, sink);
  }
  return true;
}

bool ReplayFilter::ConnectionEnded(const Sink& sink) {
  if (!deciding_) return true;
  std::size_t overlap = 0;
  // Everything held that agrees with the history so far is replay.
  const bool replay = Decide(true, &overlap) == Verdict::kOverlap;
  return Release(replay ? overlap : 0, sink);
}

// Each place in the history where the held bytes begin is a candidate: the history's rest from
// there must agree with what is held. The longest complete agreement is the overlap; a longer
// candidate that could still agree is waited for unless `force`, and then counts as complete.
ReplayFilter::Verdict ReplayFilter::Decide(bool force, std::size_t* overlap) const {
  const std::size_t wanted = std::min(kProbeBytes, history_.size());
  if (held_.size() < wanted && !force) return Verdict::kWait;
  const std::size_t probe = std::min(wanted, held_.size());
  if (probe == 0) return Verdict::kNone;
  const std::string_view history(history_);
  const std::string_view needle(held_.data(), probe);
  std::size_t best = 0;
  bool open = false;
  for (auto at = history.find(needle); at != std::string_view::npos;
       at = history.find(needle, at + 1)) {
    const std::size_t length = history.size() - at;
    const std::size_t compared = std::min(length, held_.size());
    if (std::memcmp(held_.data(), history.data() + at, compared) != 0) continue;
    if (compared == length || force) {
      best = std::max(best, length);
    } else {
      open = true;
    }
  }
  if (open) return Verdict::kWait;
  *overlap = best;
  return best ? Verdict::kOverlap : Verdict::kNone;
}

bool ReplayFilter::Release(std::size_t skip, const Sink& sink) {
  deciding_ = false;
  skip = std::min(skip, held_.size());
  dropped_ += skip;
  std::string held;
  held.swap(held_);
  return Pass(held.data() + skip, held.size() - skip, sink);
}

bool ReplayFilter::Pass(const char* data, std::size_t size, const Sink& sink) {
  if (size == 0) return true;
  if (size >= kHistoryBytes) {
    history_.assign(data + size - kHistoryBytes, kHistoryBytes);
  } else {
    const std::size_t keep = std::min(history_.size(), kHistoryBytes - size);
    history_.erase(0, history_.size() - keep);
    history_.append(data, size);
  }
  return sink(data, size);
}

}  // namespace engine
