#include "player/Volume.h"

#include <cmath>

namespace player {

float SliderToVolume(int position) {
  return static_cast<float>(position / 100.0L);
}

int VolumeToSlider(float volume) {
  // A float times 100 is exact in double; rint rounds halves to even.
  const double percent = std::rint(static_cast<double>(volume) * 100.0);
  if (!(percent > 0.0)) return 0;
  if (percent > 100.0) return 100;
  return static_cast<int>(percent);
}

}  // namespace player
