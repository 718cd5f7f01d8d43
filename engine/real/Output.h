// Sound output: one device, stereo 16-bit at the rate BASS_Init asked for. On a desktop the
// device is the sound server's own stream; otherwise, or when SDL_AUDIODRIVER names another
// driver, it is SDL's.
//
// The device's fill mixes the playing streams, applies the master volume and records each
// stream's levels by output frame. It never blocks and never allocates: it only try-locks the
// stream list (other threads hold that lock for a moment to add or remove a stream) and reads
// lock-free PCM rings. The output clock tells which of those frames is being heard.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/real/OutputClock.h"
#include "engine/real/OutputDevice.h"
#include "engine/real/Stream.h"

namespace engine {

class Output {
 public:
  // nullptr, with the reason in `error`, when no output device can be opened.
  static std::unique_ptr<Output> Open(DWORD rate, std::string& error);
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
  // Any thread: a stream's level (left | right << 16) for the audio heard now, over the last
  // `windowMs` of it.
  std::uint32_t LevelHeard(const Stream& stream, int windowMs) const;

 private:
  Output() = default;
  static void Fill(void* self, std::int16_t* out, std::size_t frames, std::uint64_t queued);
  // Mixes output frames from frame_ on; `frames` does not cross a level block.
  void Mix(std::int16_t* out, std::size_t frames);
  void MixStream(Stream& stream, std::size_t frames);

  std::unique_ptr<OutputDevice> device_;
  int rate_ = 0;
  std::mutex streamsMutex_;
  std::vector<std::shared_ptr<Stream>> streams_;  // guarded by streamsMutex_
  // Only the fill touches these after Open.
  std::vector<std::int16_t> scratch_;
  std::vector<std::int32_t> mix_;
  std::uint64_t frame_ = 0;             // the next output frame to mix
  std::unique_ptr<OutputClock> clock_;  // set before the device starts
  std::atomic<bool> paused_{false};
  std::atomic<float> volume_{1.0f};
};

}  // namespace engine
