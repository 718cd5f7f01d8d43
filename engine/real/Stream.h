// One network stream: what its threads share, and the calls the backend makes on it.
//
// Threads: the creating thread (until BASS_StreamCreateURL returns), the network thread (owns
// the curl transfer), the decoder thread, the event thread (runs the sync callbacks) and the
// output callback (reads the PCM ring and the atomics). Each holds a shared_ptr, so a freed
// stream's memory stays until the last of them has left. Kill() wakes every one of them.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/bass.h"
#include "engine/real/ByteRing.h"
#include "engine/real/LevelHistory.h"
#include "engine/real/PcmRing.h"
#include "engine/real/RingMarks.h"

namespace engine {

// Settings captured when the stream is created; immutable afterwards.
struct StreamOptions {
  std::string url;
  DWORD flags = 0;
  DOWNLOADPROC* proc = nullptr;
  void* user = nullptr;
  DWORD timeoutMs = 5000;
  DWORD netBufferMs = 5000;
  DWORD bufferMs = 500;
  DWORD prebufPercent = 75;
  bool followPlaylists = false;
  std::string agent;
  DWORD outputRate = 44100;
  void (*autoFree)(HSTREAM) = nullptr;  // frees a played-out auto-free stream
  // Set when a stream on this address was freed while its connection was down, at this time:
  // the creation keeps trying to connect for the rest of that reconnection window.
  std::optional<std::chrono::steady_clock::time_point> lostAt;
};

class Stream {
 public:
  enum class Phase { kConnecting, kHeaders, kReady, kFailed };

  Stream(HSTREAM handle, StreamOptions options);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  const HSTREAM handle;
  const StreamOptions options;
  ByteRing ring;    // network -> decoder
  PcmRing pcm;      // decoder -> output
  RingMarks marks;  // titles and decoder restarts at ring positions (HLS)

  // Lifetime -------------------------------------------------------------------------------
  void Kill();
  bool Dead() const { return dead_.load(); }
  // Wakes the network thread's wait in curl (only that thread may use the multi handle).
  CURLM* Multi() const { return multi_; }

  // Creation -------------------------------------------------------------------------------
  // Network thread: the final reply's header lines are known.
  void PublishHeaders(bool icy, std::string series, std::string contentType,
                      std::optional<std::uint64_t> contentLength, bool icyMetadata);
  // The byte ring's size for a bit rate: the network buffer setting's worth of it, bounded.
  std::size_t RingBytesFor(int kbps) const;
  // Set by the network thread when the headers named the bit rate; otherwise the decoder
  // resizes the ring once it knows better than the default.
  std::atomic<bool> bitrateFromHeaders{false};
  // The ASF stream number a Windows Media server was asked for; 0: the first audio stream.
  std::atomic<int> asfAudioStream{0};
  // Decoder thread: the format is recognised and the first audio decoded.
  void PublishFormat(const BASS_CHANNELINFO& info, bool asf);
  // Any thread during creation: the first failure wins.
  void Fail(int error);
  // Creating thread: waits until the phase is at least `phase`, failed, dead or past the
  // deadline; returns the phase reached.
  Phase WaitFor(Phase phase, std::chrono::steady_clock::time_point deadline);
  int Error() const;
  std::vector<std::string> HeaderTexts() const;
  std::string ContentType() const;
  bool HasIcyMetadata() const;
  std::optional<std::uint64_t> ContentLength() const;
  bool IsAsf() const { return asf_.load(); }
  bool Ready() const { return ready_.load(); }
  void MarkCreated() { created_ = true; }
  bool Created() const { return created_.load(); }

  // Tags and syncs -------------------------------------------------------------------------
  std::optional<std::string> Tag(DWORD type) const;
  // Stores a tag; when `sync` is not 0 the syncs of that type are fired.
  void SetTag(DWORD type, std::string value, DWORD sync);
  void Fire(DWORD sync);
  // The sync hears only what is fired from now on, whether or not older events still wait.
  void AddSync(HSYNC id, DWORD type, SYNCPROC* proc, void* user);
  BASS_CHANNELINFO Info() const;
  void SetInfo(const BASS_CHANNELINFO& info);
  // Event thread: runs the sync callbacks until the stream dies.
  void RunEvents();

  // Playback state (read by the output callback without locks) -----------------------------
  std::atomic<bool> playing{false};
  std::atomic<bool> stalled{false};
  std::atomic<bool> decodeEnded{false};
  std::atomic<bool> playedOut{false};
  LevelHistory levels;  // peaks by output frame, written by the output callback
  // The output is stopped (BASS_Stop): a live stream whose connection ends then just ends.
  std::atomic<bool> outputStopped{false};
  // The output callback: whether a stalled channel has buffered enough to go on.
  bool ReadyToResume() const;
  // The network thread, once a connection ended: whether to connect again. Only a live stream
  // (no length) whose channel plays or stalls does, not a stopped, freed or played-out one;
  // and a creation on a lost address (options.lostAt) that has not failed or been stopped.
  bool WantsAnotherAttempt() const;
  // The network thread: a playing stream's connection is down since `at`, or is back.
  void MarkConnectionLost(std::chrono::steady_clock::time_point at);
  void MarkConnectionBack() { lostAt_ = 0; }
  // The backend, when freeing: since when the connection has been down, if it is.
  std::optional<std::chrono::steady_clock::time_point> ConnectionLostAt() const;

 private:
  struct Sync {
    HSYNC id;
    DWORD type;
    SYNCPROC* proc;
    void* user;
    std::uint64_t since;  // the serial of the first event it hears
  };
  struct Event {
    DWORD type;
    std::uint64_t serial;
  };
  static constexpr std::size_t kMaxQueuedEvents = 64;

  CURLM* multi_;
  std::atomic<bool> dead_{false};
  std::atomic<bool> created_{false};
  std::atomic<bool> asf_{false};
  std::atomic<bool> ready_{false};
  std::atomic<std::chrono::steady_clock::rep> lostAt_{0};  // 0: not lost

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Phase phase_ = Phase::kConnecting;                       // guarded by mutex_
  int error_ = BASS_OK;                                    // guarded by mutex_
  bool icy_ = false;                                       // guarded by mutex_
  bool icyMetadata_ = false;                               // guarded by mutex_
  std::string headerSeries_;                               // guarded by mutex_
  std::string contentType_;                                // guarded by mutex_
  std::optional<std::uint64_t> contentLength_;             // guarded by mutex_
  std::optional<std::string> meta_, ogg_, wma_, wmaMeta_;  // guarded by mutex_
  BASS_CHANNELINFO info_{};                                // guarded by mutex_
  std::vector<Sync> syncs_;                                // guarded by mutex_
  std::deque<Event> events_;                               // guarded by mutex_
  std::uint64_t fired_ = 0;                                // guarded by mutex_
};

}  // namespace engine
