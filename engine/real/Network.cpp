#include "engine/real/Network.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <set>

#include "engine/Log.h"
#include "engine/real/CurlDefaults.h"
#include "engine/real/HeaderLines.h"
#include "engine/real/HlsPlaylist.h"
#include "engine/real/HlsSource.h"
#include "engine/real/IcyReader.h"
#include "engine/real/Mmsh.h"
#include "engine/real/PlaylistAtUrl.h"
#include "engine/real/ReplayFilter.h"
#include "engine/real/Retries.h"

namespace engine {

bool IsStreamAddress(const std::string& url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://") ||
         IsMmshAddress(url);
}

int ErrorForCurl(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return BASS_ERROR_NONET;
    case CURLE_OPERATION_TIMEDOUT:
      return BASS_ERROR_TIMEOUT;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_USE_SSL_FAILED:
      return BASS_ERROR_SSL;
    case CURLE_HTTP_RETURNED_ERROR:
      return BASS_ERROR_HTTP;
    // "Received HTTP/0.9": the server's answer is no HTTP or ICY reply at all.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
      return BASS_ERROR_FILEFORM;
    case CURLE_OUT_OF_MEMORY:
      return BASS_ERROR_MEM;
    default:
      return BASS_ERROR_FILEOPEN;
  }
}

namespace {

constexpr int kMaxPlaylistDepth = 3;
constexpr std::size_t kClassifyBytes = 16;
constexpr int kDefaultKbps = 128;

// Leading digits of a header value ("128", "128,128", "bitrate=128;channels=2").
int Kbps(std::string_view text) {
  int kbps = 0;
  std::from_chars(text.data(), text.data() + text.size(), kbps);
  return kbps;
}

// 0 when no header names it.
int BitrateFromHeaders(const HeaderLines& headers) {
  for (const char* name : {"icy-br", "ice-bitrate", "x-audiocast-bitrate"}) {
    if (auto value = headers.Value(name); value && Kbps(*value) > 0) return Kbps(*value);
  }
  if (auto info = headers.Value("ice-audio-info")) {
    const auto at = info->find("bitrate=");
    if (at != std::string::npos && Kbps(std::string_view(*info).substr(at + 8)) > 0)
      return Kbps(std::string_view(*info).substr(at + 8));
  }
  return 0;
}

// One HTTP(S) transfer of the stream's network thread.
class Transfer {
 public:
  // kUnreachable: failed, but the stream's creation is to try again (options.lostAt).
  enum class Outcome { kDone, kPlaylist, kWindowsMedia, kFailed, kUnreachable };

  // `again`: a reconnection of a stream that already plays; its reply only carries audio on.
  Transfer(std::shared_ptr<Stream> stream, std::string url, ReplayFilter& replay, bool again)
      : stream_(std::move(stream)),
        url_(std::move(url)),
        replay_(replay),
        again_(again),
        retrying_(!again && stream_->options.lostAt.has_value()) {}

  Outcome Run();
  const std::string& Body() const { return body_; }
  bool BodyIsPlaylist() const { return kind_ == BodyKind::kPlaylist; }
  const std::string& Url() const { return url_; }
  // The address the reply came from, after redirects: the base of relative entries.
  const std::string& FinalUrl() const { return finalUrl_; }
  const HeaderLines& Headers() const { return headers_; }
  bool CarriedAudio() const { return mode_ == Mode::kAudio; }
  // The error of a kUnreachable outcome.
  int Error() const { return failure_; }

 private:
  enum class Mode { kHeaders, kPeek, kCollect, kAudio, kRefused, kWindowsMedia };

  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  bool HeadersDone();
  bool Body(const char* data, std::size_t size);
  bool StartAudio();
  bool Audio(const char* data, std::size_t size);
  bool Deliver(const char* audio, std::size_t size);
  void Title(std::string text);
  CURL* Setup(curl_slist* request, curl_slist* aliases);
  bool PastReplyDeadline(std::chrono::steady_clock::time_point deadline) const;
  Outcome Failed(int error);

  std::shared_ptr<Stream> stream_;
  std::string url_;
  std::string finalUrl_;
  ReplayFilter& replay_;
  const bool again_;
  // A creation on a lost address: a failed attempt is tried again rather than failing it.
  const bool retrying_;
  int failure_ = BASS_OK;
  bool titleSeen_ = false;  // of this connection
  HeaderLines headers_;
  Mode mode_ = Mode::kHeaders;
  BodyKind kind_ = BodyKind::kAudio;
  std::string body_;  // the body start while deciding, or a playlist
  std::unique_ptr<IcyReader> icy_;
  int error_ = BASS_OK;
  char curlError_[CURL_ERROR_SIZE] = {};
};

CURL* Transfer::Setup(curl_slist* request, curl_slist* aliases) {
  CURL* easy = NewStreamRequest(stream_->options, url_);
  if (!easy) return nullptr;
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request);
  // Shoutcast servers answer "ICY 200 OK"; curl would take it for an HTTP/0.9 body.
  curl_easy_setopt(easy, CURLOPT_HTTP200ALIASES, aliases);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, curlError_);
  return easy;
}

Transfer::Outcome Transfer::Run() {
  curl_slist* request = curl_slist_append(nullptr, "Icy-MetaData: 1");
  // Any "ICY <code>" line passes as a status line; its real code is read from the line.
  curl_slist* aliases = curl_slist_append(nullptr, "ICY ");
  CURL* easy = Setup(request, aliases);
  CURLM* multi = stream_->Multi();
  CURLcode result = CURLE_OUT_OF_MEMORY;
  const auto replyDeadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(stream_->options.timeoutMs);
  if (easy && multi && curl_multi_add_handle(multi, easy) == CURLM_OK) {
    int running = 1;
    bool late = false;
    while (running && !stream_->Dead() && !(late = PastReplyDeadline(replyDeadline))) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running) curl_multi_poll(multi, nullptr, 0, again_ ? 250 : 1000, nullptr);
    }
    int left = 0;
    result = late ? CURLE_OPERATION_TIMEDOUT : CURLE_ABORTED_BY_CALLBACK;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE) result = message->data.result;
    }
    char* effective = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
      finalUrl_ = effective;
    curl_multi_remove_handle(multi, easy);
  }
  curl_easy_cleanup(easy);
  if (finalUrl_.empty()) finalUrl_ = url_;
  if (mode_ == Mode::kAudio && !stream_->Dead())
    replay_.ConnectionEnded([this](const char* audio, std::size_t n) { return Deliver(audio, n); });
  curl_slist_free_all(request);
  curl_slist_free_all(aliases);

  if (stream_->Dead()) return Outcome::kFailed;
  if (mode_ == Mode::kWindowsMedia) return Outcome::kWindowsMedia;
  if (error_ != BASS_OK) return Failed(error_);
  if (result != CURLE_OK && LogEnabled()) {
    Log(LogArea::kNet, LogLevel::kWarning,
        url_ + ": " + (*curlError_ ? curlError_ : curl_easy_strerror(result)) + " (curl " +
            std::to_string(result) + ")");
  }
  if (result != CURLE_OK && mode_ != Mode::kAudio) return Failed(ErrorForCurl(result));
  // A body that ended while still being looked at.
  if (mode_ == Mode::kPeek) {
    kind_ = ClassifyBody(headers_.Value("content-type").value_or(""), body_);
    if (kind_ == BodyKind::kAudio) {
      if (!StartAudio()) return Outcome::kFailed;
      std::string start;
      start.swap(body_);
      Audio(start.data(), start.size());
      return Outcome::kDone;
    }
    mode_ = Mode::kCollect;
  }
  if (mode_ == Mode::kCollect) return Outcome::kPlaylist;
  if (mode_ != Mode::kAudio) return Failed(BASS_ERROR_FILEFORM);
  return Outcome::kDone;
}

Transfer::Outcome Transfer::Failed(int error) {
  if (retrying_) {
    failure_ = error;
    return Outcome::kUnreachable;
  }
  stream_->Fail(error);
  return Outcome::kFailed;
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<Transfer*>(self);
  const std::size_t bytes = size * count;
  switch (transfer->headers_.Add(std::string_view(data, bytes))) {
    case HeaderLines::Result::kMore:
      return bytes;
    case HeaderLines::Result::kComplete:
      return transfer->HeadersDone() ? bytes : 0;
    case HeaderLines::Result::kTooLarge:
      transfer->error_ = BASS_ERROR_MEM;
      return 0;
  }
  return 0;
}

// The blank line after a reply's headers: a redirect goes on, an error ends the transfer.
bool Transfer::HeadersDone() {
  const int status = headers_.Status();
  if (status >= 100 && status < 200) return true;
  if (status >= 300 && status < 400 && headers_.Value("location")) return true;
  if (status < 200 || status >= 300) {
    if (LogEnabled())
      Log(LogArea::kNet, LogLevel::kWarning,
          url_ + ": the server answered \"" + headers_.Lines().front().substr(0, 200) + "\"");
    error_ = BASS_ERROR_HTTP;
    mode_ = Mode::kRefused;
    return false;
  }
  // A Windows Media server speaks MMSH: its session starts over with requests of its own.
  if (IsWindowsMediaReply(headers_)) {
    mode_ = Mode::kWindowsMedia;
    return false;
  }
  // HLS is a way of streaming rather than a playlist, so it is recognised either way.
  const bool hls = IsHlsContentType(headers_.Value("content-type").value_or(""));
  mode_ = stream_->options.followPlaylists || hls ? Mode::kPeek : Mode::kHeaders;
  if (mode_ == Mode::kHeaders) return StartAudio();
  return true;
}

// A reconnection, or an attempt of a creation that tries again, is bounded by the time-out
// until its audio starts, as a first connection is by the creation's deadline.
bool Transfer::PastReplyDeadline(std::chrono::steady_clock::time_point deadline) const {
  return (again_ || retrying_) && mode_ != Mode::kAudio &&
         std::chrono::steady_clock::now() > deadline;
}

bool Transfer::StartAudio() {
  const auto metaint = ParseMetaInt(headers_.Value("icy-metaint"));
  // Every connection counts its metadata interval from its own first byte.
  icy_ = std::make_unique<IcyReader>(metaint.value_or(0));
  if (again_) {
    // The first reply's headers stay the stream's; this one only carries its audio on.
    if (LogEnabled()) Log(LogArea::kNet, LogLevel::kInfo, url_ + ": connected again");
    stream_->MarkConnectionBack();
    replay_.Reconnected(std::chrono::steady_clock::now());
    mode_ = Mode::kAudio;
    return true;
  }
  const int kbps = BitrateFromHeaders(headers_);
  stream_->bitrateFromHeaders = kbps > 0;
  stream_->ring.Reserve(stream_->RingBytesFor(kbps > 0 ? kbps : kDefaultKbps));
  std::optional<std::uint64_t> length;
  if (auto value = headers_.Value("content-length")) {
    std::uint64_t n = 0;
    if (std::from_chars(value->data(), value->data() + value->size(), n).ec == std::errc())
      length = n;
  }
  if (LogEnabled()) {
    Log(LogArea::kNet, LogLevel::kInfo,
        url_ + ": " + headers_.Lines().front().substr(0, 200) + ", content type \"" +
            headers_.Value("content-type").value_or("") + "\", " +
            (metaint ? "metadata every " + std::to_string(*metaint) + " bytes" : "no metadata"));
  }
  stream_->PublishHeaders(headers_.IsIcy(), headers_.Series(),
                          headers_.Value("content-type").value_or(""), length, metaint.has_value());
  mode_ = Mode::kAudio;
  return true;
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<Transfer*>(self);
  const std::size_t bytes = size * count;
  if (transfer->stream_->Dead()) return 0;
  return transfer->Body(data, bytes) ? bytes : 0;
}

bool Transfer::Body(const char* data, std::size_t size) {
  switch (mode_) {
    case Mode::kHeaders:  // a body after a redirect reply without a following status line
    case Mode::kRefused:
    case Mode::kWindowsMedia:
      return true;
    case Mode::kAudio:
      return Audio(data, size);
    case Mode::kPeek:
      body_.append(data, size);
      if (body_.size() < kClassifyBytes) return true;
      kind_ = ClassifyBody(headers_.Value("content-type").value_or(""), body_);
      if (kind_ == BodyKind::kAudio) {
        std::string start;
        start.swap(body_);
        return StartAudio() && Audio(start.data(), start.size());
      }
      mode_ = Mode::kCollect;
      return true;
    case Mode::kCollect:
      // HLS playlists of a long live window run larger than address lists.
      if (body_.size() + size >
          (LooksLikeHls(body_) ? HlsPlaylist::kMaxPlaylistBytes : kMaxPlaylistBytes)) {
        error_ = BASS_ERROR_PLAYLIST;
        return false;
      }
      body_.append(data, size);
      return true;
  }
  return false;
}

bool Transfer::Audio(const char* data, std::size_t size) {
  const auto now = std::chrono::steady_clock::now();
  const ReplayFilter::Sink deliver = [this](const char* audio, std::size_t n) {
    return Deliver(audio, n);
  };
  return icy_->Feed(
      data, size,
      [&](const char* audio, std::size_t n) { return replay_.Feed(audio, n, deliver, now); },
      [this](std::string text) { Title(std::move(text)); });
}

bool Transfer::Deliver(const char* audio, std::size_t size) {
  if (!stream_->ring.Write(audio, size)) return false;
  const auto& options = stream_->options;
  if (options.proc && stream_->Created() && !stream_->Dead())
    options.proc(audio, static_cast<DWORD>(size), options.user);
  return true;
}

// A reconnection's first block names the title again; only a different one is news.
void Transfer::Title(std::string text) {
  const bool first = !titleSeen_;
  titleSeen_ = true;
  if (again_ && first && stream_->Tag(BASS_TAG_META) == text) return;
  stream_->SetTag(BASS_TAG_META, std::move(text), BASS_SYNC_META);
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(self)->stream_->Dead() ? 1 : 0;
}

// The connection of a playing live stream ended: connect to the same address again, one
// attempt at a time, so that there is never more than one connection.
void Reconnect(const std::shared_ptr<Stream>& stream, const std::string& url,
               ReplayFilter& replay) {
  Retries retries;
  for (;;) {
    if (stream->WantsAnotherAttempt()) stream->MarkConnectionLost(retries.DroppedAt());
    if (!retries.Next(*stream, url)) break;
    Transfer transfer(stream, url, replay, true);
    transfer.Run();
    if (transfer.CarriedAudio()) retries.Carried();
  }
}

// One connection of the creation; on an address lost a moment ago (options.lostAt), failed
// attempts are made again until one gets through or the lost stream's window closes.
std::unique_ptr<Transfer> Connect(const std::shared_ptr<Stream>& stream, const std::string& url,
                                  ReplayFilter& replay, Transfer::Outcome& outcome) {
  Retries retries(stream->options.lostAt.value_or(Retries::Clock::now()));
  for (;;) {
    auto transfer = std::make_unique<Transfer>(stream, url, replay, false);
    outcome = transfer->Run();
    if (outcome != Transfer::Outcome::kUnreachable) return transfer;
    if (!retries.Next(*stream, url)) {
      stream->Fail(transfer->Error());
      outcome = Transfer::Outcome::kFailed;
      return transfer;
    }
  }
}

}  // namespace

void RunNetwork(std::shared_ptr<Stream> stream) {
  std::string url = stream->options.url;
  std::set<std::string> visited{url};
  ReplayFilter replay;
  for (int depth = 0;; ++depth) {
    if (IsMmshAddress(url)) {
      RunMmsh(stream, MmshHttpAddress(url));
      break;
    }
    Transfer::Outcome outcome;
    const auto connected = Connect(stream, url, replay, outcome);
    const Transfer& transfer = *connected;
    if (outcome == Transfer::Outcome::kWindowsMedia) RunMmsh(stream, url);
    if (transfer.CarriedAudio()) Reconnect(stream, transfer.FinalUrl(), replay);
    if (outcome != Transfer::Outcome::kPlaylist) break;
    const std::string& base = transfer.FinalUrl().empty() ? url : transfer.FinalUrl();
    if (LooksLikeHls(transfer.Body())) {
      RunHls(stream, base, transfer.Body(), transfer.Headers().Series());
      break;
    }
    if (!stream->options.followPlaylists) {
      stream->Fail(BASS_ERROR_FILEFORM);
      break;
    }
    auto next = FirstPlaylistEntry(transfer.Body(), base, transfer.BodyIsPlaylist());
    if (!next) {
      stream->Fail(transfer.BodyIsPlaylist() ? BASS_ERROR_PLAYLIST : BASS_ERROR_FILEFORM);
      break;
    }
    if (depth + 1 > kMaxPlaylistDepth || !IsStreamAddress(*next) || !visited.insert(*next).second) {
      stream->Fail(BASS_ERROR_PLAYLIST);
      break;
    }
    if (LogEnabled())
      Log(LogArea::kNet, LogLevel::kInfo, url + ": a playlist, leading to " + *next);
    url = *next;
  }
  stream->ring.End();
  const auto& options = stream->options;
  if (options.proc && stream->Created() && !stream->Dead()) options.proc(nullptr, 0, options.user);
}

}  // namespace engine
