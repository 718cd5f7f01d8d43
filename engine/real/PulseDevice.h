// A sound device straight through a PulseAudio server (or PipeWire's compatible one), for the
// listener's desktop. It asks for sound a quarter of its latency at a time, about sixteen
// times a second, and lets the server's own device sleep as long: the sound server is the costliest
// part of a desktop's playback path, and SDL's stream makes both wake far more often.
#pragma once

#include <pulse/pulseaudio.h>

#include <memory>
#include <string>

#include "engine/real/OutputDevice.h"

namespace engine {

class PulseDevice final : public OutputDevice {
 public:
  // From the mix to the ear, about.
  static constexpr int kLatencyMs = 250;
  // How the stream shows in the desktop's sound settings.
  static constexpr const char* kStreamName = "Stream playback";

  // nullptr, with the reason in `error`, when no server answers within a bounded time.
  static std::unique_ptr<PulseDevice> Open(const DeviceRequest& request, std::string& error);
  ~PulseDevice() override;
  PulseDevice(const PulseDevice&) = delete;
  PulseDevice& operator=(const PulseDevice&) = delete;

  void Start() override;
  void DropQueued() override;

 private:
  PulseDevice() = default;
  bool Connect(std::string& error);
  // Waits on the loop (its lock held) until `done` or the connection's deadline.
  template <typename Done>
  bool WaitFor(Done done);
  // The loop's thread: fills and writes what the server asks for.
  void Write(std::size_t bytes);

  DeviceRequest request_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  bool timedOut_ = false;  // guarded by the loop's lock
  // The whole way to the ear, in frames: the stream's queue and the server's device.
  std::uint64_t latencyFrames_ = 0;
};

}  // namespace engine
