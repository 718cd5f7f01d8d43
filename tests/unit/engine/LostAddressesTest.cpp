#include "engine/real/LostAddresses.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

using namespace std::chrono_literals;
using Clock = LostAddresses::Clock;

TEST(LostAddressesTest, AnAddressCountsAsLostForItsWindowOnly) {
  LostAddresses lost(90s);
  const auto t0 = Clock::now();
  lost.Remember("http://a/", t0);
  EXPECT_EQ(lost.LostAt("http://a/", t0 + 89s), t0);
  EXPECT_FALSE(lost.LostAt("http://b/", t0 + 1s));
  EXPECT_FALSE(lost.LostAt("http://a/", t0 + 90s));
  // Expired means forgotten, not merely hidden.
  EXPECT_FALSE(lost.LostAt("http://a/", t0));
  lost.Remember("http://a/", t0);
  lost.Forget("http://a/");
  EXPECT_FALSE(lost.LostAt("http://a/", t0));
}

TEST(LostAddressesTest, KeepsOnlyTheMostRecentlyLost) {
  LostAddresses lost(90s);
  const auto t0 = Clock::now();
  const std::size_t count = LostAddresses::kMaxAddresses + 3;
  for (std::size_t i = 0; i < count; ++i)
    lost.Remember("http://s" + std::to_string(i) + "/", t0 + std::chrono::seconds(i));
  for (std::size_t i = 0; i < count; ++i) {
    const bool kept = i >= count - LostAddresses::kMaxAddresses;
    EXPECT_EQ(lost.LostAt("http://s" + std::to_string(i) + "/", t0 + 20s).has_value(), kept) << i;
  }
}

}  // namespace
}  // namespace engine
