// A sound device through SDL, whichever driver SDL picks or SDL_AUDIODRIVER names; the tests'
// disk and dummy drivers come this way.
#pragma once

#include <SDL2/SDL.h>

#include <memory>
#include <string>

#include "engine/real/OutputDevice.h"

namespace engine {

class SdlDevice final : public OutputDevice {
 public:
  // nullptr, with the reason in `error`, when SDL opens no device.
  static std::unique_ptr<SdlDevice> Open(const DeviceRequest& request, std::string& error);
  ~SdlDevice() override;
  SdlDevice(const SdlDevice&) = delete;
  SdlDevice& operator=(const SdlDevice&) = delete;

  void Start() override;

 private:
  SdlDevice() = default;

  DeviceRequest request_;
  SDL_AudioDeviceID device_ = 0;
  // What SDL's driver still holds when it asks for the next period.
  std::uint64_t queued_ = 0;
};

}  // namespace engine
