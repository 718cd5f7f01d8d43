#include "engine/real/LostAddresses.h"

#include <algorithm>

namespace engine {

void LostAddresses::Remember(const std::string& url, Clock::time_point lostAt) {
  lostAt_[url] = lostAt;
  while (lostAt_.size() > kMaxAddresses) {
    lostAt_.erase(
        std::min_element(lostAt_.begin(), lostAt_.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; }));
  }
}

std::optional<LostAddresses::Clock::time_point> LostAddresses::LostAt(const std::string& url,
                                                                      Clock::time_point now) {
  const auto it = lostAt_.find(url);
  if (it == lostAt_.end()) return std::nullopt;
  if (now - it->second >= window_) {
    lostAt_.erase(it);
    return std::nullopt;
  }
  return it->second;
}

}  // namespace engine
