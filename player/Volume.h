// The volume slider shows the engine's output volume (0.0 .. 1.0) in percent.
#pragma once

namespace player {

// Slider position to engine volume: position / 100 as the nearest float.
float SliderToVolume(int position);
// Engine volume to slider position: volume x 100 rounded to the nearest integer, halves to
// even, held within 0..100 (the engine's error result -1, and NaN, give 0).
int VolumeToSlider(float volume);

}  // namespace player
