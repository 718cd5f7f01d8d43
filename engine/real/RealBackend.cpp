// The engine that really streams, decodes and plays: curl, FFmpeg, SDL and PulseAudio behind
// the operation set. Locks here are held only for table look-ups; no operation waits for a thread
// that may be inside a callback.
#include "engine/real/RealBackend.h"

#include <curl/curl.h>
extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>

#include "engine/Log.h"
#include "engine/real/Decoder.h"
#include "engine/real/LostAddresses.h"
#include "engine/real/Network.h"
#include "engine/real/Output.h"
#include "engine/real/Retries.h"
#include "engine/real/Stream.h"

namespace engine {
namespace {

constexpr const char* kDefaultAgent = "Talvoranest-Engine/2.4";
// A level covers the last 20 ms heard: what a meter read every 20 ms has not yet shown.
constexpr int kLevelWindowMs = 20;

template <typename T>
T Fail(int code, T result) {
  SetError(code);
  return result;
}

template <typename T>
T Ok(T result) {
  SetError(BASS_OK);
  return result;
}

// FFmpeg's warnings go to the engine's log, not to standard error: damaged frames in live
// streams are routine, and only a maintainer who asked wants to see them.
void FfmpegLog(void* context, int level, const char* format, va_list arguments) {
  if (level > AV_LOG_WARNING || !LogEnabled()) return;
  char line[512];
  int printPrefix = 1;
  av_log_format_line2(context, level, format, arguments, line, sizeof line, &printPrefix);
  std::string_view text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  if (!text.empty()) Log(LogArea::kDecode, LogLevel::kWarning, text);
}

class Real : public Backend {
 public:
  Real() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    av_log_set_level(AV_LOG_WARNING);
    av_log_set_callback(&FfmpegLog);
  }

  DWORD GetVersion() override { return Ok(BASSVERSION << 16 | 0x0100); }
  BOOL Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) override;
  HPLUGIN PluginLoad(const char* file, DWORD flags) override;
  BOOL SetConfig(DWORD option, DWORD value) override;
  BOOL SetConfigPtr(DWORD option, const char* value) override;
  BOOL Free() override;
  BOOL Start() override { return SetPaused(false); }
  BOOL Stop() override { return SetPaused(true); }
  float GetVolume() override;
  BOOL SetVolume(float volume) override;
  HSTREAM StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                          void* user) override;
  BOOL StreamFree(HSTREAM handle) override;
  BOOL MusicFree(HMUSIC) override { return Fail(BASS_ERROR_HANDLE, kFalse); }
  QWORD StreamGetFilePosition(HSTREAM handle, DWORD mode) override;
  BOOL ChannelPlay(DWORD handle, BOOL restart) override;
  DWORD ChannelIsActive(DWORD handle) override;
  DWORD ChannelGetLevel(DWORD handle) override;
  BOOL ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) override;
  std::optional<std::string> ChannelGetTags(DWORD handle, DWORD tags) override;
  HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) override;
  QWORD ChannelSeconds2Bytes(DWORD handle, double pos) override;

 private:
  BOOL SetPaused(bool paused);
  // A created, live stream; nullptr (and BASS_ERROR_HANDLE set) otherwise.
  std::shared_ptr<Stream> Find(DWORD handle);
  DWORD State(const Stream& stream);
  StreamOptions OptionsFor(const char* url, DWORD flags, DOWNLOADPROC* proc, void* user);
  HSTREAM Create(const std::shared_ptr<Stream>& stream);
  void Forget(HSTREAM handle);
  void SupersedeWaitingCreations(const std::string& url);  // with mutex_ held

  // Settings: any thread, no lock.
  std::atomic<DWORD> bufferMs_{500};
  std::atomic<DWORD> timeoutMs_{5000};
  std::atomic<DWORD> netBufferMs_{5000};
  std::atomic<DWORD> prebufPercent_{75};
  std::atomic<DWORD> playlists_{0};
  std::atomic<HSYNC> nextSync_{1};

  std::mutex mutex_;
  std::string agent_ = kDefaultAgent;                   // guarded by mutex_
  std::unique_ptr<Output> output_;                      // guarded by mutex_
  std::map<HSTREAM, std::shared_ptr<Stream>> streams_;  // guarded by mutex_
  HSTREAM nextHandle_ = 0x10000001;                     // guarded by mutex_
  LostAddresses lost_{Retries::kGiveUpAfter};           // guarded by mutex_
};

// Process-wide and never destroyed: detached stream threads may still run at exit.
Real* Instance() {
  static Real* const instance = new Real;
  return instance;
}

BOOL Real::Init(int device, DWORD freq, DWORD, void*, const void*) {
  if (device != -1 && device != 1) return Fail(BASS_ERROR_DEVICE, kFalse);
  std::lock_guard lock(mutex_);
  if (output_) return Fail(BASS_ERROR_ALREADY, kFalse);
  std::string error;
  output_ = Output::Open(freq, error);
  if (!output_) {
    if (LogEnabled()) Log(LogArea::kOutput, LogLevel::kWarning, "no sound output: " + error);
    return Fail(BASS_ERROR_DRIVER, kFalse);
  }
  return Ok(kTrue);
}

HPLUGIN Real::PluginLoad(const char* file, DWORD) {
  // The formats these add elsewhere are built in here; their names load as no-ops.
  std::string name = file ? file : "";
  name = name.substr(name.find_last_of("/\\") + 1);
  for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* suffix : {".dll", ".so"}) {
    if (name.ends_with(suffix)) name.resize(name.size() - std::string_view(suffix).size());
  }
  if (name.starts_with("lib")) name.erase(0, 3);
  if (name == "basswma") return Ok<HPLUGIN>(1);
  if (name == "bass_aac") return Ok<HPLUGIN>(2);
  return Fail<HPLUGIN>(BASS_ERROR_FILEOPEN, 0);
}

BOOL Real::SetConfig(DWORD option, DWORD value) {
  switch (option) {
    case BASS_CONFIG_BUFFER:
      bufferMs_ = std::clamp<DWORD>(value, 10, 5000);
      break;
    case BASS_CONFIG_NET_TIMEOUT:
      timeoutMs_ = std::clamp<DWORD>(value, 100, 600000);
      break;
    case BASS_CONFIG_NET_BUFFER:
      netBufferMs_ = std::clamp<DWORD>(value, 100, 60000);
      break;
    case BASS_CONFIG_NET_PREBUF:
      prebufPercent_ = std::min<DWORD>(value, 100);
      break;
    case BASS_CONFIG_NET_PLAYLIST:
      playlists_ = value;
      break;
    case BASS_CONFIG_UPDATETHREADS:
      break;  // each stream has its own threads
    default:
      return Fail(BASS_ERROR_ILLTYPE, kFalse);
  }
  return Ok(kTrue);
}

BOOL Real::SetConfigPtr(DWORD option, const char* value) {
  if (option != BASS_CONFIG_NET_AGENT) return Fail(BASS_ERROR_ILLTYPE, kFalse);
  std::lock_guard lock(mutex_);
  agent_ = value ? value : kDefaultAgent;
  return Ok(kTrue);
}

BOOL Real::Free() {
  std::map<HSTREAM, std::shared_ptr<Stream>> streams;
  std::unique_ptr<Output> output;
  {
    std::lock_guard lock(mutex_);
    if (!output_) return Fail(BASS_ERROR_INIT, kFalse);
    streams.swap(streams_);
    output = std::move(output_);
    lost_.Clear();
  }
  for (auto& [handle, stream] : streams) stream->Kill();
  output.reset();  // the mixing callback never waits, so closing the device is prompt
  return Ok(kTrue);
}

BOOL Real::SetPaused(bool paused) {
  std::lock_guard lock(mutex_);
  if (!output_) return Fail(BASS_ERROR_INIT, kFalse);
  output_->SetPaused(paused);
  for (auto& [handle, stream] : streams_) stream->outputStopped = paused;
  return Ok(kTrue);
}

float Real::GetVolume() {
  std::lock_guard lock(mutex_);
  if (!output_) return Fail(BASS_ERROR_INIT, -1.0f);
  return Ok(output_->Volume());
}

BOOL Real::SetVolume(float volume) {
  std::lock_guard lock(mutex_);
  if (!output_) return Fail(BASS_ERROR_INIT, kFalse);
  if (!(volume >= 0.0f && volume <= 1.0f)) return Fail(BASS_ERROR_ILLPARAM, kFalse);
  output_->SetVolume(volume);
  return Ok(kTrue);
}

StreamOptions Real::OptionsFor(const char* url, DWORD flags, DOWNLOADPROC* proc, void* user) {
  StreamOptions options;
  options.url = url;
  options.flags = flags;
  options.proc = proc;
  options.user = user;
  options.timeoutMs = timeoutMs_;
  options.netBufferMs = netBufferMs_;
  options.bufferMs = bufferMs_;
  options.prebufPercent = prebufPercent_;
  options.followPlaylists = playlists_ != 0;
  options.agent = agent_;
  options.outputRate = output_->Rate();
  options.autoFree = [](HSTREAM handle) { Instance()->StreamFree(handle); };
  return options;
}

HSTREAM Real::StreamCreateURL(const char* url, DWORD, DWORD flags, DOWNLOADPROC* proc, void* user) {
  std::shared_ptr<Stream> stream;
  {
    std::lock_guard lock(mutex_);
    if (!output_) return Fail<HSTREAM>(BASS_ERROR_INIT, 0);
    if (!url || !IsStreamAddress(url)) {
      if (LogEnabled())
        Log(LogArea::kNet, LogLevel::kWarning,
            std::string("cannot open ") + (url ? url : "(no address)") +
                ": not an address the engine streams");
      return Fail<HSTREAM>(BASS_ERROR_FILEOPEN, 0);
    }
    const HSTREAM handle = nextHandle_++;
    auto options = OptionsFor(url, flags, proc, user);
    options.lostAt = lost_.LostAt(url, std::chrono::steady_clock::now());
    if (options.lostAt) SupersedeWaitingCreations(url);
    stream = std::make_shared<Stream>(handle, std::move(options));
    if (!stream->Multi()) return Fail<HSTREAM>(BASS_ERROR_MEM, 0);
    stream->outputStopped = output_->Paused();
    streams_.emplace(handle, stream);  // so that BASS_Free can end the creation
  }
  HSTREAM handle = 0;
  int error = BASS_ERROR_MEM;
  try {
    handle = Create(stream);
    error = handle ? BASS_OK : stream->Error();
  } catch (const std::system_error&) {  // no thread could be started
  }
  if (handle) {
    std::lock_guard lock(mutex_);
    lost_.Forget(url);
    return Ok(handle);
  }
  if (stream->Dead()) error = BASS_ERROR_INIT;  // BASS_Free ended the creation
  Forget(stream->handle);
  stream->Kill();
  if (error == BASS_OK) error = BASS_ERROR_TIMEOUT;
  if (LogEnabled())
    Log(LogArea::kNet, LogLevel::kWarning,
        std::string("cannot open ") + url + ": error " + std::to_string(error) + ", " +
            ErrorText(error));
  return Fail<HSTREAM>(error, 0);
}

// Runs the creation on the calling thread: headers, status texts, format. 0 on failure.
HSTREAM Real::Create(const std::shared_ptr<Stream>& stream) {
  // One deadline for connecting, the reply and recognising the format; on a lost address the
  // connecting may go on for the rest of its window, each attempt within the time-out.
  const auto timeout = std::chrono::milliseconds(stream->options.timeoutMs);
  auto deadline = std::chrono::steady_clock::now() + timeout;
  const auto& lostAt = stream->options.lostAt;
  const auto connectDeadline =
      lostAt ? std::max(deadline, *lostAt + Retries::kGiveUpAfter + timeout) : deadline;
  if (lostAt && LogEnabled()) {
    const auto ago = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - *lostAt);
    Log(LogArea::kNet, LogLevel::kInfo,
        stream->options.url + ": lost " + std::to_string(ago.count()) +
            " s ago, trying until it is back");
  }
  std::thread(RunNetwork, stream).detach();
  if (stream->WaitFor(Stream::Phase::kHeaders, connectDeadline) != Stream::Phase::kHeaders)
    return 0;
  if (lostAt) deadline = std::max(deadline, std::chrono::steady_clock::now() + timeout);
  const auto& options = stream->options;
  if (options.proc && (options.flags & BASS_STREAM_STATUS)) {
    for (const auto& text : stream->HeaderTexts()) {
      if (stream->Dead()) return 0;
      options.proc(text.c_str(), 0, options.user);
    }
  }
  std::thread(RunDecoder, stream).detach();
  if (stream->WaitFor(Stream::Phase::kReady, deadline) != Stream::Phase::kReady) return 0;
  std::thread([stream] { stream->RunEvents(); }).detach();
  stream->MarkCreated();
  return stream->handle;
}

// A creation that waits for a lost address to come back gives way to a newer one on it, so
// that only one tries to connect.
void Real::SupersedeWaitingCreations(const std::string& url) {
  for (auto& [handle, stream] : streams_) {
    if (!stream->Created() && stream->options.lostAt && stream->options.url == url)
      stream->Fail(BASS_ERROR_TIMEOUT);
  }
}

void Real::Forget(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  streams_.erase(handle);
}

BOOL Real::StreamFree(HSTREAM handle) {
  std::shared_ptr<Stream> stream;
  {
    std::lock_guard lock(mutex_);
    const auto it = streams_.find(handle);
    if (it == streams_.end() || !it->second->Created()) return Fail(BASS_ERROR_HANDLE, kFalse);
    stream = std::move(it->second);
    streams_.erase(it);
    if (output_) output_->Remove(stream.get());
    if (const auto lostAt = stream->ConnectionLostAt())
      lost_.Remember(stream->options.url, *lostAt);
  }
  stream->Kill();
  return Ok(kTrue);
}

std::shared_ptr<Stream> Real::Find(DWORD handle) {
  std::lock_guard lock(mutex_);
  const auto it = streams_.find(handle);
  if (it == streams_.end() || !it->second->Created() || it->second->Dead()) {
    SetError(BASS_ERROR_HANDLE);
    return nullptr;
  }
  SetError(BASS_OK);
  return it->second;
}

QWORD Real::StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  const auto stream = Find(handle);
  if (!stream) return kFilePosError;
  const auto& ring = stream->ring;
  switch (mode) {
    case BASS_FILEPOS_CURRENT:
      return ring.Consumed();
    case BASS_FILEPOS_DOWNLOAD:
      return ring.Written();
    case BASS_FILEPOS_END: {
      // Streamed in blocks, the data never all exists at once: the end is the buffer's size.
      const auto length = stream->ContentLength();
      if (length && !(stream->options.flags & BASS_STREAM_BLOCK)) return *length;
      return ring.Capacity();
    }
    case BASS_FILEPOS_WMA_BUFFER:
      if (!stream->IsAsf()) return Fail(BASS_ERROR_NOTAVAIL, kFilePosError);
      return ring.Capacity() ? std::min<QWORD>(ring.Fill() * 100 / ring.Capacity(), 100) : 0;
    default:
      return Fail(BASS_ERROR_ILLPARAM, kFilePosError);
  }
}

BOOL Real::ChannelPlay(DWORD handle, BOOL) {
  const auto stream = Find(handle);
  if (!stream) return kFalse;
  std::lock_guard lock(mutex_);
  if (!output_) return Fail(BASS_ERROR_INIT, kFalse);
  stream->playing = true;
  output_->Add(stream);
  return kTrue;
}

DWORD Real::State(const Stream& stream) {
  if (!stream.playing || stream.playedOut) return BASS_ACTIVE_STOPPED;
  std::lock_guard lock(mutex_);
  if (!output_) return BASS_ACTIVE_STOPPED;
  if (output_->Paused()) return BASS_ACTIVE_PAUSED;
  return stream.stalled ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
}

DWORD Real::ChannelIsActive(DWORD handle) {
  const auto stream = Find(handle);
  return stream ? State(*stream) : BASS_ACTIVE_STOPPED;
}

DWORD Real::ChannelGetLevel(DWORD handle) {
  const auto stream = Find(handle);
  if (!stream) return ~DWORD{0};
  if (State(*stream) != BASS_ACTIVE_PLAYING) return Fail(BASS_ERROR_NOPLAY, ~DWORD{0});
  std::lock_guard lock(mutex_);
  return output_ ? output_->LevelHeard(*stream, kLevelWindowMs) : 0;
}

BOOL Real::ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  const auto stream = Find(handle);
  if (!stream) return kFalse;
  if (!info) return Fail(BASS_ERROR_ILLPARAM, kFalse);
  *info = stream->Info();
  return kTrue;
}

std::optional<std::string> Real::ChannelGetTags(DWORD handle, DWORD tags) {
  const auto stream = Find(handle);
  if (!stream) return std::nullopt;
  auto tag = stream->Tag(tags);
  if (!tag) SetError(BASS_ERROR_NOTAVAIL);
  return tag;
}

HSYNC Real::ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC* proc, void* user) {
  const auto stream = Find(handle);
  if (!stream) return 0;
  if (type != BASS_SYNC_META && type != BASS_SYNC_OGG_CHANGE && type != BASS_SYNC_WMA_CHANGE &&
      type != BASS_SYNC_WMA_META)
    return Fail<HSYNC>(BASS_ERROR_ILLTYPE, 0);
  if (!proc) return Fail<HSYNC>(BASS_ERROR_ILLPARAM, 0);
  const HSYNC id = nextSync_++;
  stream->AddSync(id, type, proc, user);
  return id;
}

QWORD Real::ChannelSeconds2Bytes(DWORD handle, double pos) {
  const auto stream = Find(handle);
  if (!stream) return kFilePosError;
  if (!(pos >= 0)) return Fail(BASS_ERROR_ILLPARAM, kFilePosError);
  const auto info = stream->Info();
  return static_cast<QWORD>(pos * info.freq) * info.chans * 2;
}

}  // namespace

std::shared_ptr<Backend> RealBackend() {
  // No-op deleter: the backend outlives every owner (see Instance).
  return std::shared_ptr<Backend>(Instance(), [](Backend*) {});
}

}  // namespace engine
