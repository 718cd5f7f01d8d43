#include "engine/real/SdlDevice.h"

#include <string_view>

namespace engine {
namespace {

// What the device still has queued when SDL asks for the next period. The sound-server and
// ALSA paths keep about one period ahead; the disk and dummy drivers consume a period at once.
std::uint64_t QueuedAhead(std::string_view driver, std::uint64_t period) {
  return driver == "disk" || driver == "dummy" ? 0 : period;
}

}  // namespace

std::unique_ptr<SdlDevice> SdlDevice::Open(const DeviceRequest& request, std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<SdlDevice> device(new SdlDevice);
  SDL_AudioSpec want{};
  want.freq = request.rate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(request.periodFrames);
  // SDL's buffer is exactly the stereo frames the fill function writes.
  want.callback = [](void* user, Uint8* out, int bytes) {
    const auto* self = static_cast<const SdlDevice*>(user);
    self->request_.fill(self->request_.user, reinterpret_cast<std::int16_t*>(out),
                        static_cast<std::size_t>(bytes) / 4, self->queued_);
  };
  want.userdata = device.get();
  // In place before SDL's device thread starts.
  device->request_ = request;
  const char* driver = SDL_GetCurrentAudioDriver();
  device->queued_ = QueuedAhead(driver ? driver : "", request.periodFrames);
  // No changes allowed: SDL converts to what was asked for.
  device->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (device->device_ == 0) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return device;
}

SdlDevice::~SdlDevice() {
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlDevice::Start() {
  SDL_PauseAudioDevice(device_, 0);
}

}  // namespace engine
