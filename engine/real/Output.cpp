#include "engine/real/Output.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>

#include "engine/Log.h"
#include "engine/real/PulseDevice.h"
#include "engine/real/SdlDevice.h"

namespace engine {
namespace {

// About 93 ms at 44.1 kHz: the most one mix is asked for. Through SDL each period is a wake-up
// of the device thread and, through a sound server, a round trip to it; the levels follow the
// output clock, not the period.
constexpr std::size_t kPeriodFrames = 4096;
static_assert(kPeriodFrames % LevelHistory::kBlockFrames == 0);

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The sound server's own stream, unless SDL_AUDIODRIVER asks for another driver.
bool SoundServerFirst() {
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  if (!driver || !*driver) return true;
  const std::string_view name(driver);
  return name == "pulseaudio" || name == "pulse";
}

std::unique_ptr<OutputDevice> OpenDevice(const DeviceRequest& request, std::string& error) {
  if (SoundServerFirst()) {
    if (auto device = PulseDevice::Open(request, error)) {
      if (LogEnabled()) Log(LogArea::kOutput, LogLevel::kInfo, "playing through PulseAudio");
      return device;
    }
    if (LogEnabled())
      Log(LogArea::kOutput, LogLevel::kInfo, "no PulseAudio server (" + error + "), trying SDL");
  }
  auto device = SdlDevice::Open(request, error);
  if (device && LogEnabled()) {
    const char* driver = SDL_GetCurrentAudioDriver();
    Log(LogArea::kOutput, LogLevel::kInfo,
        std::string("playing through SDL's ") + (driver ? driver : "?") + " driver");
  }
  return device;
}

}  // namespace

std::unique_ptr<Output> Output::Open(DWORD rate, std::string& error) {
  std::unique_ptr<Output> output(new Output);
  // What the fill reads is in place before the device's thread starts: the device's own
  // locking, which orders later writes, may be invisible to the thread sanitizer. Any buffer a
  // device asks for is cut into periods of this size.
  output->scratch_.resize(kPeriodFrames * 2);
  output->mix_.resize(kPeriodFrames * 2);
  output->streams_.reserve(16);
  DeviceRequest request;
  request.rate = rate ? static_cast<int>(rate) : 44100;
  // Both devices play at the rate asked for (SDL converts, the server resamples).
  output->rate_ = request.rate;
  output->clock_ = std::make_unique<OutputClock>(request.rate);
  request.periodFrames = kPeriodFrames;
  request.fill = &Output::Fill;
  request.user = output.get();
  output->device_ = OpenDevice(request, error);
  if (!output->device_) return nullptr;
  output->device_->Start();
  return output;
}

Output::~Output() {
  // First: the device's thread fills from the members declared after it.
  device_.reset();
}

void Output::Add(const std::shared_ptr<Stream>& stream) {
  bool first = false;
  {
    std::lock_guard lock(streamsMutex_);
    if (std::find(streams_.begin(), streams_.end(), stream) != streams_.end()) return;
    first = std::none_of(streams_.begin(), streams_.end(),
                         [](const auto& entry) { return entry->playing.load(); });
    streams_.push_back(stream);
  }
  // Nothing else plays, so the device holds only silence (or the end of a stream let go):
  // the new one is heard at once instead of after the device's whole latency.
  if (first) device_->DropQueued();
}

void Output::Remove(const Stream* stream) {
  std::shared_ptr<Stream> last;  // released after the lock, never inside the callback
  std::lock_guard lock(streamsMutex_);
  const auto it = std::find_if(streams_.begin(), streams_.end(),
                               [&](const auto& entry) { return entry.get() == stream; });
  if (it == streams_.end()) return;
  last = std::move(*it);
  streams_.erase(it);
}

void Output::Fill(void* self, std::int16_t* samples, std::size_t frames, std::uint64_t queued) {
  auto* output = static_cast<Output*>(self);
  output->clock_->Filling(output->frame_, frames, queued, NowNs());
  const std::size_t period = output->scratch_.size() / 2;
  while (frames > 0) {
    const std::size_t toBlockEnd =
        LevelHistory::kBlockFrames - output->frame_ % LevelHistory::kBlockFrames;
    const std::size_t n = std::min({frames, period, toBlockEnd});
    output->Mix(samples, n);
    samples += n * 2;
    frames -= n;
  }
}

void Output::Mix(std::int16_t* out, std::size_t frames) {
  std::fill_n(mix_.begin(), frames * 2, 0);
  if (!paused_ && streamsMutex_.try_lock()) {
    for (const auto& stream : streams_) MixStream(*stream, frames);
    streamsMutex_.unlock();
  }
  const float volume = volume_;
  for (std::size_t i = 0; i < frames * 2; ++i) {
    const float value = static_cast<float>(mix_[i]) * volume;
    out[i] = static_cast<std::int16_t>(std::clamp(value, -32768.0f, 32767.0f));
  }
  frame_ += frames;
}

// Adds one stream's next frames to the mix and records their peaks (before the volume).
void Output::MixStream(Stream& stream, std::size_t frames) {
  if (!stream.playing || stream.Dead() || stream.playedOut) return;
  std::uint32_t left = 0;
  std::uint32_t right = 0;
  if (stream.stalled && stream.ReadyToResume()) stream.stalled = false;
  if (!stream.stalled) {
    const std::size_t got = stream.pcm.Read(scratch_.data(), frames);
    for (std::size_t i = 0; i < got; ++i) {
      const int l = scratch_[i * 2];
      const int r = scratch_[i * 2 + 1];
      left = std::max<std::uint32_t>(left, static_cast<std::uint32_t>(std::abs(l)));
      right = std::max<std::uint32_t>(right, static_cast<std::uint32_t>(std::abs(r)));
      mix_[i * 2] += l;
      mix_[i * 2 + 1] += r;
    }
    if (got < frames) {
      if (!stream.decodeEnded)
        stream.stalled = true;
      else if (got == 0)
        stream.playedOut = true;
    }
  }
  stream.levels.Record(frame_, left | right << 16);
}

std::uint32_t Output::LevelHeard(const Stream& stream, int windowMs) const {
  const auto window =
      static_cast<std::uint64_t>(rate_) * static_cast<std::uint64_t>(windowMs) / 1000;
  return engine::LevelHeard(stream.levels, *clock_, NowNs(), window);
}

}  // namespace engine
