#include "engine/real/PulseDevice.h"

#include <algorithm>
#include <cerrno>

namespace engine {
namespace {

constexpr std::size_t kFrameBytes = 4;  // stereo, 16-bit
// A local server answers at once; one that does not is taken for absent.
constexpr pa_usec_t kConnectTimeoutUs = 2 * PA_USEC_PER_SEC;

void SignalLoop(void* loop) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

}  // namespace

std::unique_ptr<PulseDevice> PulseDevice::Open(const DeviceRequest& request, std::string& error) {
  std::unique_ptr<PulseDevice> device(new PulseDevice);
  device->request_ = request;
  if (!device->Connect(error)) return nullptr;
  return device;
}

bool PulseDevice::Connect(std::string& error) {
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) {
    error = "no PulseAudio main loop";
    return false;
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), program_invocation_short_name);
  if (!context_) {
    error = "no PulseAudio context";
    return false;
  }
  pa_context_set_state_callback(
      context_, [](pa_context*, void* loop) { SignalLoop(loop); }, loop_);
  // Never starts a server of its own: without one, SDL's drivers are next.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = pa_strerror(pa_context_errno(context_));
    return false;
  }
  pa_threaded_mainloop_lock(loop_);
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_unlock(loop_);
    error = "the PulseAudio main loop did not start";
    return false;
  }
  pa_time_event* deadline = pa_context_rttime_new(
      context_, pa_rtclock_now() + kConnectTimeoutUs,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        auto* device = static_cast<PulseDevice*>(self);
        device->timedOut_ = true;
        SignalLoop(device->loop_);
      },
      this);

  const bool connected = WaitFor([this] {
                           return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) ||
                                  pa_context_get_state(context_) == PA_CONTEXT_READY;
                         }) &&
                         pa_context_get_state(context_) == PA_CONTEXT_READY;
  const auto frameBytes = static_cast<std::uint32_t>(kFrameBytes);
  const auto latency = static_cast<std::uint32_t>(request_.rate) * kLatencyMs / 1000 * frameBytes;
  bool ready = false;
  if (connected) {
    const pa_sample_spec format{PA_SAMPLE_S16NE, static_cast<std::uint32_t>(request_.rate), 2};
    stream_ = pa_stream_new(context_, kStreamName, &format, nullptr);
  }
  if (stream_) {
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* loop) { SignalLoop(loop); }, loop_);
    // The latency is the whole way to the ear: the server splits it between its device and
    // this stream's queue, and asks for a quarter of it at a time.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = latency;
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = latency / 4 / frameBytes * frameBytes;
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    ready = pa_stream_connect_playback(stream_, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                       nullptr, nullptr) == 0 &&
            WaitFor([this] {
              return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) ||
                     pa_stream_get_state(stream_) == PA_STREAM_READY;
            }) &&
            pa_stream_get_state(stream_) == PA_STREAM_READY;
  }
  if (ready) {
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
    latencyFrames_ = std::max(latency, granted ? granted->tlength : 0) / frameBytes;
  } else if (timedOut_) {
    error = "the PulseAudio server did not answer in time";
  } else {
    error = pa_strerror(pa_context_errno(context_));
  }
  if (deadline) pa_threaded_mainloop_get_api(loop_)->time_free(deadline);
  pa_threaded_mainloop_unlock(loop_);
  return ready;
}

template <typename Done>
bool PulseDevice::WaitFor(Done done) {
  while (!done()) {
    if (timedOut_) return false;
    pa_threaded_mainloop_wait(loop_);
  }
  return true;
}

PulseDevice::~PulseDevice() {
  // Stopping joins the loop's thread, which never waits on anything of ours.
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (stream_) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

void PulseDevice::Start() {
  pa_threaded_mainloop_lock(loop_);
  pa_stream_set_write_callback(
      stream_,
      [](pa_stream*, std::size_t bytes, void* self) {
        static_cast<PulseDevice*>(self)->Write(bytes);
      },
      this);
  // A request that came before the callback was set is not repeated.
  const std::size_t writable = pa_stream_writable_size(stream_);
  if (writable != static_cast<std::size_t>(-1) && writable > 0) Write(writable);
  pa_threaded_mainloop_unlock(loop_);
}

void PulseDevice::DropQueued() {
  pa_threaded_mainloop_lock(loop_);
  // The server then asks for its whole queue again, and the loop's thread fills it.
  if (pa_operation* flush = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(flush);
  pa_threaded_mainloop_unlock(loop_);
}

void PulseDevice::Write(std::size_t bytes) {
  // What the server asks for is what its queue lacks; the rest of the latency is still ahead,
  // nearly all of it after a drop.
  std::uint64_t ahead =
      latencyFrames_ - std::min<std::uint64_t>(latencyFrames_, bytes / kFrameBytes);
  while (bytes >= kFrameBytes) {
    void* data = nullptr;
    std::size_t size = bytes;
    if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) return;
    size -= size % kFrameBytes;
    if (size == 0) {
      pa_stream_cancel_write(stream_);
      return;
    }
    request_.fill(request_.user, static_cast<std::int16_t*>(data), size / kFrameBytes, ahead);
    if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    bytes -= size;
    ahead += size / kFrameBytes;
  }
}

}  // namespace engine
