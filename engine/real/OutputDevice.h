// Where the mixed frames go: a sound device that asks for them on a thread of its own.
//
// The device is opened silent; Start() lets it ask. Each request is for stereo 16-bit frames
// at the rate asked for, and the fill function must neither block nor allocate.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

class OutputDevice {
 public:
  // `queued`: the frames the device still has to play ahead of `out`.
  using Fill = void (*)(void* user, std::int16_t* out, std::size_t frames, std::uint64_t queued);

  virtual ~OutputDevice() = default;
  virtual void Start() = 0;
  // Drops what the device has queued, if it can, so that the next frames mixed are heard next.
  virtual void DropQueued() {}
};

// What a device is opened with.
struct DeviceRequest {
  int rate = 44100;
  // How many frames SDL asks for at a time; the server's stream asks for what it lacks.
  std::size_t periodFrames = 0;
  OutputDevice::Fill fill = nullptr;
  void* user = nullptr;
};

}  // namespace engine
