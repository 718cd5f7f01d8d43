#include "widgets/LevelFeed.h"

namespace widgets {

LevelPositions LevelFeedPositions(bool playing, std::uint32_t level) {
  if (!playing || level == 0xFFFFFFFFu) return {};
  return {int(level & 0xFFFFu), int(level >> 16)};
}

}  // namespace widgets
