#include "engine/real/Stream.h"

#include <algorithm>

#include "engine/TagSeries.h"

namespace engine {

Stream::Stream(HSTREAM id, StreamOptions opts)
    : handle(id),
      options(std::move(opts)),
      pcm(std::max<std::size_t>(options.outputRate * std::max<DWORD>(options.bufferMs, 100) / 1000,
                                4096)),
      multi_(curl_multi_init()) {}

Stream::~Stream() {
  curl_multi_cleanup(multi_);
}

void Stream::Kill() {
  dead_ = true;
  ring.Abort();
  if (multi_) curl_multi_wakeup(multi_);
  std::lock_guard lock(mutex_);
  changed_.notify_all();
}

void Stream::PublishHeaders(bool icy, std::string series, std::string contentType,
                            std::optional<std::uint64_t> contentLength, bool icyMetadata) {
  std::lock_guard lock(mutex_);
  if (phase_ != Phase::kConnecting) return;
  icy_ = icy;
  headerSeries_ = std::move(series);
  contentType_ = std::move(contentType);
  contentLength_ = contentLength;
  icyMetadata_ = icyMetadata;
  phase_ = Phase::kHeaders;
  changed_.notify_all();
}

std::size_t Stream::RingBytesFor(int kbps) const {
  constexpr std::size_t kMinBytes = 16 * 1024;
  constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;
  const std::size_t bytesPerSecond = static_cast<std::size_t>(std::max(kbps, 1)) * 125;
  return std::clamp<std::size_t>(bytesPerSecond * options.netBufferMs / 1000, kMinBytes, kMaxBytes);
}

void Stream::PublishFormat(const BASS_CHANNELINFO& info, bool asf) {
  std::lock_guard lock(mutex_);
  if (phase_ != Phase::kHeaders) return;
  info_ = info;
  asf_ = asf;
  ready_ = true;
  phase_ = Phase::kReady;
  changed_.notify_all();
}

void Stream::Fail(int error) {
  std::lock_guard lock(mutex_);
  if (phase_ == Phase::kReady || phase_ == Phase::kFailed) return;
  error_ = error;
  phase_ = Phase::kFailed;
  changed_.notify_all();
}

Stream::Phase Stream::WaitFor(Phase phase, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  changed_.wait_until(lock, deadline, [&] {
    return Dead() || phase_ == Phase::kFailed ||
           static_cast<int>(phase_) >= static_cast<int>(phase);
  });
  return phase_;
}

int Stream::Error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

std::vector<std::string> Stream::HeaderTexts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (std::string_view entry : SeriesEntries(headerSeries_)) texts.emplace_back(entry);
  return texts;
}

std::string Stream::ContentType() const {
  std::lock_guard lock(mutex_);
  return contentType_;
}

bool Stream::HasIcyMetadata() const {
  std::lock_guard lock(mutex_);
  return icyMetadata_;
}

std::optional<std::uint64_t> Stream::ContentLength() const {
  std::lock_guard lock(mutex_);
  return contentLength_;
}

std::optional<std::string> Stream::Tag(DWORD type) const {
  std::lock_guard lock(mutex_);
  switch (type) {
    case BASS_TAG_HTTP:
      if (!icy_ && !headerSeries_.empty()) return headerSeries_;
      return std::nullopt;
    case BASS_TAG_ICY:
      if (icy_ && !headerSeries_.empty()) return headerSeries_;
      return std::nullopt;
    case BASS_TAG_META:
      return meta_;
    case BASS_TAG_OGG:
      return ogg_;
    case BASS_TAG_WMA:
      return wma_;
    case BASS_TAG_WMA_META:
      return wmaMeta_;
    default:
      return std::nullopt;
  }
}

void Stream::SetTag(DWORD type, std::string value, DWORD sync) {
  {
    std::lock_guard lock(mutex_);
    switch (type) {
      case BASS_TAG_META:
        meta_ = std::move(value);
        break;
      case BASS_TAG_OGG:
        ogg_ = std::move(value);
        break;
      case BASS_TAG_WMA:
        wma_ = std::move(value);
        break;
      case BASS_TAG_WMA_META:
        wmaMeta_ = std::move(value);
        break;
      default:
        return;
    }
  }
  if (sync) Fire(sync);
}

void Stream::Fire(DWORD sync) {
  std::lock_guard lock(mutex_);
  // A callback that is blocked must not let the queue grow: the readers look at the latest
  // tag anyway, so the oldest event goes.
  if (events_.size() >= kMaxQueuedEvents) events_.pop_front();
  events_.push_back({sync, fired_++});
  changed_.notify_all();
}

void Stream::AddSync(HSYNC id, DWORD type, SYNCPROC* proc, void* user) {
  std::lock_guard lock(mutex_);
  // Events of the creation are queued before the application can set any sync; whether one
  // of them reached a sync set afterwards would depend on which thread ran first.
  syncs_.push_back({id, type, proc, user, fired_});
}

BASS_CHANNELINFO Stream::Info() const {
  std::lock_guard lock(mutex_);
  return info_;
}

void Stream::SetInfo(const BASS_CHANNELINFO& info) {
  std::lock_guard lock(mutex_);
  info_ = info;
}

void Stream::RunEvents() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return Dead() || !events_.empty(); });
    if (Dead()) return;
    const Event event = events_.front();
    events_.pop_front();
    std::vector<Sync> due;
    for (const auto& sync : syncs_) {
      if (sync.type == event.type && sync.since <= event.serial) due.push_back(sync);
    }
    lock.unlock();
    for (const auto& sync : due) {
      if (Dead()) return;
      sync.proc(sync.id, handle, 0, sync.user);
    }
    lock.lock();
  }
}

bool Stream::ReadyToResume() const {
  // While stalled the decoder fills the PCM ring and then stops reading, so the byte ring
  // fills up to its capacity, unless the download has ended: then what is left plays out.
  if (decodeEnded.load() || ring.Ended()) return true;
  const std::size_t capacity = ring.Capacity();
  return capacity > 0 && ring.Fill() * 100 >= capacity * options.prebufPercent;
}

bool Stream::WantsAnotherAttempt() const {
  if (Dead() || outputStopped) return false;
  if (!Created()) {
    std::lock_guard lock(mutex_);
    return options.lostAt && phase_ != Phase::kFailed;
  }
  return playing && !playedOut && !ContentLength();
}

void Stream::MarkConnectionLost(std::chrono::steady_clock::time_point at) {
  lostAt_ = std::max<std::chrono::steady_clock::rep>(at.time_since_epoch().count(), 1);
}

std::optional<std::chrono::steady_clock::time_point> Stream::ConnectionLostAt() const {
  const auto ticks = lostAt_.load();
  if (ticks == 0) return std::nullopt;
  return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(ticks));
}

}  // namespace engine
