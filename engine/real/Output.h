// Sound output through SDL: one device, stereo 16-bit at the rate BASS_Init asked for.
//
// SDL's callback mixes the playing streams, applies the master volume and measures each
// stream's levels. It never blocks and never allocates: it only try-locks the stream list
// (other threads hold that lock for a moment to add or remove a stream) and reads lock-free
// PCM rings.
#pragma once

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/real/Stream.h"

namespace engine {

class Output {
 public:
  // nullptr when no output device can be opened.
  static std::unique_ptr<Output> Open(DWORD rate);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  DWORD Rate() const { return static_cast<DWORD>(rate_); }
  void Add(const std::shared_ptr<Stream>& stream);
  void Remove(const Stream* stream);
  void SetPaused(bool paused) { paused_ = paused; }
  bool Paused() const { return paused_.load(); }
  void SetVolume(float volume) { volume_ = volume; }
  float Volume() const { return volume_.load(); }

 private:
  Output() = default;
  static void Callback(void* self, Uint8* out, int bytes);
  void Mix(std::int16_t* out, std::size_t frames);
  void MixStream(Stream& stream, std::size_t frames);

  SDL_AudioDeviceID device_ = 0;
  int rate_ = 0;
  std::mutex streamsMutex_;
  std::vector<std::shared_ptr<Stream>> streams_;  // guarded by streamsMutex_
  // Only the callback touches these after Open.
  std::vector<std::int16_t> scratch_;
  std::vector<std::int32_t> mix_;
  std::atomic<bool> paused_{false};
  std::atomic<float> volume_{1.0f};
};

}  // namespace engine
