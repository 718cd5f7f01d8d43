// The level meters' feed: what the window's 20 ms timer puts into the left and right meters.
#pragma once

#include <cstdint>

namespace widgets {

struct LevelPositions {
  int left = 0;
  int right = 0;
  friend bool operator==(const LevelPositions&, const LevelPositions&) = default;
};

// playing: the channel reports itself playing. level: the engine's level word, read only
// while playing (pass 0 otherwise); all ones means the engine failed. Left is the low 16
// bits, right the high 16 bits, both unsigned; anything but a playing channel with a valid
// level gives 0 on both.
LevelPositions LevelFeedPositions(bool playing, std::uint32_t level);

}  // namespace widgets
