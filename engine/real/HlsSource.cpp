#include "engine/real/HlsSource.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "engine/real/HlsFetch.h"
#include "engine/real/HlsPlaylist.h"
#include "engine/real/HlsSegment.h"

namespace engine {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

constexpr std::size_t kMaxSegmentBytes = 32 * 1024 * 1024;
constexpr int kMaxMasterDepth = 2;
// Failed GETs in a row before the stream is given up.
constexpr int kMaxFailures = 3;
// A live playlist that brings nothing new for this many target durations is off the air.
constexpr int kStaleTargets = 8;
// The ring's size until the decoder knows the bit rate.
constexpr int kDefaultKbps = 128;

Millis Scaled(double seconds, double factor) {
  return Millis(static_cast<long>(seconds * factor * 1000));
}

class HlsSource {
 public:
  HlsSource(std::shared_ptr<Stream> stream, std::string headers)
      : stream_(std::move(stream)), headers_(std::move(headers)) {}

  void Run(std::string url, std::string body);

 private:
  std::optional<HlsPlaylist> MediaPlaylist(std::string url, std::string body);
  bool Follow(HlsPlaylist playlist);
  bool Reload(HlsPlaylist& playlist, bool& changed);
  bool PlaySegment(const HlsSegment& segment, double targetSeconds);
  bool WriteSegment(std::string_view bytes);
  bool Write(const char* data, std::size_t size);
  void Fail(int error) { stream_->Fail(error); }  // no effect once the stream is ready
  bool SleepUntil(Clock::time_point when);

  std::shared_ptr<Stream> stream_;
  std::string headers_;   // the latest playlist reply's header lines
  std::string url_;       // the media playlist's final address, the base of its URIs
  std::string lastBody_;  // to tell a changed reload from an unchanged one
  std::string map_;       // the initialisation section written last
  std::optional<std::string> title_;
  bool published_ = false;
  int failures_ = 0;
};

void HlsSource::Run(std::string url, std::string body) {
  auto playlist = MediaPlaylist(std::move(url), std::move(body));
  if (!playlist) return;
  Follow(std::move(*playlist));
}

// Follows master playlists down to the media playlist to play.
std::optional<HlsPlaylist> HlsSource::MediaPlaylist(std::string url, std::string body) {
  for (int depth = 0; depth <= kMaxMasterDepth; ++depth) {
    auto playlist = ParseHls(body);
    if (!playlist) {
      Fail(BASS_ERROR_PLAYLIST);
      return std::nullopt;
    }
    if (!playlist->master) {
      url_ = std::move(url);
      lastBody_ = std::move(body);
      return playlist;
    }
    const auto choice = ChooseAudio(*playlist);
    const auto next = choice ? ResolveHlsUri(url, *choice) : std::nullopt;
    if (!next) {
      Fail(BASS_ERROR_PLAYLIST);
      return std::nullopt;
    }
    auto reply = FetchWhole(*stream_, *next, HlsPlaylist::kMaxPlaylistBytes,
                            Millis(stream_->options.timeoutMs));
    if (reply.error != BASS_OK) {
      Fail(reply.error);
      return std::nullopt;
    }
    url = std::move(reply.url);
    body = std::move(reply.body);
    headers_ = std::move(reply.headers);
  }
  Fail(BASS_ERROR_PLAYLIST);
  return std::nullopt;
}

bool HlsSource::Follow(HlsPlaylist playlist) {
  std::optional<std::uint64_t> next;  // the sequence number of the next segment to play
  auto loaded = Clock::now();
  auto advanced = loaded;
  bool changed = true;
  while (!stream_->Dead()) {
    if (playlist.encrypted) {
      Fail(BASS_ERROR_PROTOCOL);
      return false;
    }
    const auto& segments = playlist.segments;
    if (!segments.empty()) {
      const std::uint64_t first = segments.front().sequence;
      const std::uint64_t last = segments.back().sequence;
      // A cache may serve a playlist a little behind the one before: nothing new in it. When the
      // numbering falls back by more than a window, the server started afresh; join it afresh.
      if (next && *next > last + 1 + segments.size()) {
        next.reset();
        if (published_) stream_->marks.AddRestart(stream_->ring.Written());
      }
      if (!next) next = segments[LiveStartIndex(playlist)].sequence;
      // Segments that left the window before we got to them are lost; go on with the oldest.
      next = std::max(*next, first);
      for (std::size_t i = static_cast<std::size_t>(*next - first); i < segments.size(); ++i) {
        if (!PlaySegment(segments[i], playlist.targetSeconds)) return false;
        next = segments[i].sequence + 1;
        advanced = Clock::now();
        // A live window slides on while we write: reload on time to keep up with it.
        if (!playlist.ended && Clock::now() >= loaded + Scaled(playlist.targetSeconds, 1)) break;
      }
      if (playlist.ended && *next > last) return true;
    } else if (playlist.ended) {
      return true;
    }
    if (Clock::now() - advanced > Scaled(playlist.targetSeconds, kStaleTargets)) {
      Fail(BASS_ERROR_TIMEOUT);
      return false;
    }
    // RFC 8216 6.3.4: a target duration after a changed load, half of it otherwise.
    if (!SleepUntil(loaded + Scaled(playlist.targetSeconds, changed ? 1 : 0.5))) return false;
    loaded = Clock::now();
    if (!Reload(playlist, changed)) return false;
  }
  return false;
}

bool HlsSource::Reload(HlsPlaylist& playlist, bool& changed) {
  auto reply =
      FetchWhole(*stream_, url_, HlsPlaylist::kMaxPlaylistBytes, Scaled(playlist.targetSeconds, 1));
  std::optional<HlsPlaylist> fresh;
  if (reply.error == BASS_OK) fresh = ParseHls(reply.body);
  if (!fresh || fresh->master) {
    // A passing failure keeps the old playlist, so the next reload comes half a target later.
    changed = false;
    if (++failures_ < kMaxFailures) return !stream_->Dead();
    Fail(reply.error != BASS_OK ? reply.error : BASS_ERROR_PLAYLIST);
    return false;
  }
  failures_ = 0;
  changed = reply.body != lastBody_;
  url_ = std::move(reply.url);
  headers_ = std::move(reply.headers);
  lastBody_ = std::move(reply.body);
  playlist = std::move(*fresh);
  return true;
}

bool HlsSource::PlaySegment(const HlsSegment& segment, double targetSeconds) {
  const auto within = Scaled(std::max(segment.seconds, targetSeconds), 2);
  const auto uri = ResolveHlsUri(url_, segment.uri);
  auto reply = uri ? FetchWhole(*stream_, *uri, kMaxSegmentBytes, within) : HlsReply{};
  if (!uri) reply.error = BASS_ERROR_PLAYLIST;
  if (stream_->Dead()) return false;
  if (reply.error != BASS_OK) {
    // A lost segment is a short jump in the programme; several in a row, the end of it.
    if (++failures_ < kMaxFailures) return true;
    Fail(reply.error);
    return false;
  }
  failures_ = 0;
  const bool newMap = segment.map != map_;
  if (published_ && (segment.discontinuity || newMap))
    stream_->marks.AddRestart(stream_->ring.Written());
  if (newMap) {
    map_ = segment.map;
    if (!map_.empty()) {
      const auto mapUri = ResolveHlsUri(url_, map_);
      auto init = mapUri ? FetchWhole(*stream_, *mapUri, kMaxSegmentBytes, within) : HlsReply{};
      if (!mapUri || init.error != BASS_OK) {
        Fail(mapUri ? init.error : BASS_ERROR_PLAYLIST);
        return false;
      }
      if (!Write(init.body.data(), init.body.size())) return false;
    }
  }
  return WriteSegment(reply.body);
}

// Packed audio loses its ID3 tags on the way; their title is marked where the segment starts.
bool HlsSource::WriteSegment(std::string_view bytes) {
  SegmentHead head;
  bool started = false;
  const SegmentHead::Sink audio = [&](const char* data, std::size_t size) {
    if (!started) {
      started = true;
      auto title = ShoutcastTitle(head.Tags());
      if (title && title != title_) {
        stream_->marks.AddTitle(stream_->ring.Written(), *title);
        title_ = std::move(title);
      }
    }
    return Write(data, size);
  };
  return head.Feed(bytes.data(), bytes.size(), audio) && head.Finish(audio);
}

// The first bytes publish the stream: the playlist's reply headers, and the decoder's input
// format from what the bytes are.
bool HlsSource::Write(const char* data, std::size_t size) {
  if (!published_) {
    stream_->ring.Reserve(stream_->RingBytesFor(kDefaultKbps));
    const char* type = ContentTypeFor(SniffSegment(std::string_view(data, size)));
    stream_->PublishHeaders(false, headers_, type ? type : "", std::nullopt, false);
    published_ = true;
  }
  if (!stream_->ring.Write(data, size)) return false;
  const auto& options = stream_->options;
  if (options.proc && stream_->Created() && !stream_->Dead())
    options.proc(data, static_cast<DWORD>(size), options.user);
  return true;
}

// Waits in curl's poll, which Kill() wakes, so a freed stream ends at once.
bool HlsSource::SleepUntil(Clock::time_point when) {
  while (!stream_->Dead()) {
    const auto left = std::chrono::duration_cast<Millis>(when - Clock::now()).count();
    if (left <= 0) return true;
    curl_multi_poll(stream_->Multi(), nullptr, 0, static_cast<int>(std::min<long>(left, 1000)),
                    nullptr);
  }
  return false;
}

}  // namespace

void RunHls(const std::shared_ptr<Stream>& stream, std::string url, std::string body,
            std::string headers) {
  HlsSource(stream, std::move(headers)).Run(std::move(url), std::move(body));
}

}  // namespace engine
