#include "stream/Worker.h"

#include <chrono>
#include <system_error>
#include <thread>

#include "engine/bass.h"
#include "sources/Station.h"
#include "stream/Logging.h"
#include "stream/SharedState.h"
#include "stream/StatusWindow.h"
#include "stream/Tags.h"
#include "text/Text.h"

namespace stream {
namespace {

constexpr DWORD kStreamFlags = BASS_STREAM_BLOCK | BASS_STREAM_STATUS | BASS_STREAM_AUTOFREE;

// One run of the worker. Every step that shows something or writes shared state goes through
// the window's thread with the run's generation; a step that comes back dropped means the run
// has been superseded (or the process is closing) and the run ends.
class Run {
 public:
  Run(std::string address, std::uint64_t generation)
      : address_(std::move(address)), generation_(generation) {}

  void Go() {
    qCInfo(lcWorker).noquote() << "worker" << generation_ << "connecting to"
                               << QString::fromLocal8Bit(address_.data(),
                                                         static_cast<qsizetype>(address_.size()));
    if (Connect() && Buffer() && HeaderTags() && Callbacks() && Settle()) {
      qCInfo(lcWorker) << "worker" << generation_ << "playing";
      Finish();
    } else {
      qCInfo(lcWorker) << "worker" << generation_ << "ended before playing";
    }
  }

 private:
  bool Send(std::uint32_t code, std::int32_t value = 0, const std::string* text = nullptr) {
    return Keep(
        SendStatus(generation_, StatusMessage{code, value, text ? text->c_str() : nullptr}));
  }
  bool OnWindow(const std::function<void(StatusLabels&)>& action) {
    return Keep(RunOnWindow(generation_, action));
  }
  // A dropped send: free the stream this run created (unless the process is ending) and stop.
  bool Keep(bool delivered) {
    if (delivered) return true;
    if (channel_ && !Closing()) BASS_StreamFree(channel_);
    return false;
  }

  bool Connect();
  bool Buffer();
  bool BufferPass(bool& more);
  bool HeaderTags();
  bool WmaHeaderTags();
  bool IcyHeaderTags();
  bool ShowFormat();
  bool Callbacks();
  bool Settle();
  void Finish();

  const std::string address_;
  const std::uint64_t generation_;
  HSTREAM channel_ = 0;
  bool isWma_ = false;
};

bool Run::Connect() {
  // The previous stream is freed on the window's thread, where no newer worker can have
  // published its own stream yet.
  if (!OnWindow([](StatusLabels&) {
        BASS_StreamFree(StreamChannel.load());
        BASS_MusicFree(StreamChannel.load());
      }))
    return false;
  if (!Send(STATUS_CONNECTING)) return false;
  channel_ = BASS_StreamCreateURL(address_.c_str(), 0, kStreamFlags, OnDownloadStatus, nullptr);
  // Connecting can take seconds: the window may have closed or a newer worker started.
  if (Closing() || Superseded(generation_)) return Keep(false);
  if (channel_ == 0) {
    qCInfo(lcWorker) << "worker" << generation_ << "no service: engine error"
                     << BASS_ErrorGetCode();
    if (OnWindow([](StatusLabels&) { StreamChannel.store(0); }) && Send(STATUS_NO_SERVICE))
      Finish();
    return false;
  }
  isWma_ = BASS_ChannelGetTags(channel_, BASS_TAG_WMA).has_value();
  return OnWindow([this](StatusLabels&) {
    StreamChannel.store(channel_);
    IsWmaStream.store(isWma_);
  });
}

bool Run::Buffer() {
  for (bool more = true;;) {
    if (!BufferPass(more)) return false;
    if (!more) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kBufferingPauseMs));
  }
}

bool Run::BufferPass(bool& more) {
  more = false;
  if (Closing()) return false;  // the process is ending: the engine may be gone
  const QWORD end = BASS_StreamGetFilePosition(channel_, BASS_FILEPOS_END);
  if (end == kFilePosError || end == 0) return true;
  std::int32_t progress;
  if (isWma_) {
    progress = static_cast<std::int32_t>(
        static_cast<DWORD>(BASS_StreamGetFilePosition(channel_, BASS_FILEPOS_WMA_BUFFER)));
  } else {
    const QWORD total = BASS_StreamGetFilePosition(channel_, BASS_FILEPOS_END);
    const QWORD download = BASS_StreamGetFilePosition(channel_, BASS_FILEPOS_DOWNLOAD);
    const QWORD current = BASS_StreamGetFilePosition(channel_, BASS_FILEPOS_CURRENT);
    if (total == kFilePosError || total == 0) return true;
    // Wrapping arithmetic: positions are the engine's and never trusted not to overflow.
    const auto filled = static_cast<std::int64_t>((download - current) * 100);
    const auto quotient = filled / static_cast<std::int64_t>(total);
    progress = static_cast<std::int32_t>(static_cast<DWORD>(quotient));
  }
  if (!Send(STATUS_BUFFERING, progress)) return false;
  more = static_cast<DWORD>(progress) <= kBufferedEnoughPercent;
  return true;
}

bool Run::HeaderTags() {
  return isWma_ ? WmaHeaderTags() : IcyHeaderTags();
}

bool Run::WmaHeaderTags() {
  auto tags = BASS_ChannelGetTags(channel_, BASS_TAG_WMA_META);
  if (!tags) return true;
  for (std::string_view entry : engine::SeriesEntries(*tags)) {
    if (text::StartsWith(entry, "title=")) {
      const std::string name = "1: " + text::From(entry, 7);
      if (!Send(STATUS_STATION_NAME, 0, &name)) return false;
    } else if (text::StartsWith(entry, "author=")) {
      const std::string author = "2: " + text::From(entry, 8);
      if (!Send(STATUS_INFO, 0, &author)) return false;
    }
  }
  return true;
}

bool Run::IcyHeaderTags() {
  auto tags = BASS_ChannelGetTags(channel_, BASS_TAG_ICY);
  if (!tags) tags = BASS_ChannelGetTags(channel_, BASS_TAG_HTTP);
  if (!tags) tags = BASS_ChannelGetTags(channel_, BASS_TAG_OGG);
  if (!tags) return true;
  for (std::string_view entry : engine::SeriesEntries(*tags)) {
    if (text::StartsWith(entry, "icy-name:")) {
      const std::string name = text::From(entry, 10);
      if (!Send(STATUS_STATION_NAME, 0, &name)) return false;
    } else if (text::StartsWith(entry, "icy-br:")) {
      const std::string info = "bitrate: " + text::From(entry, 8);
      if (!Send(STATUS_INFO, 0, &info) || !ShowFormat()) return false;
    }
  }
  return true;
}

// lKbps and lHz, from the bitrate, the format name and the channel information.
bool Run::ShowFormat() {
  const std::int32_t bitrate = StreamBitrate(channel_);
  const char* format = StreamFormatName(channel_);
  const std::string kbps = std::to_string(bitrate) + " kbps " + (format ? format : "");
  BASS_CHANNELINFO info{};
  const bool infoOk = BASS_ChannelGetInfo(channel_, &info) != 0;
  return OnWindow([&](StatusLabels& labels) {
    labels.SetKbps(kbps);
    if (infoOk) ChannelInfo = info;  // a failed query keeps what the record held
    labels.SetHz(std::to_string(ChannelInfo.freq) + " Hz" +
                 (ChannelInfo.chans == 1 ? " Mono " : " Stereo "));
  });
}

bool Run::Callbacks() {
  if (Superseded(generation_) || Closing()) return Keep(false);
  if (isWma_) {
    BASS_ChannelSetSync(channel_, BASS_SYNC_WMA_META, 0, OnMetaSync, nullptr);
    BASS_ChannelSetSync(channel_, BASS_SYNC_WMA_CHANGE, 0, OnWmaChangeSync, nullptr);
  } else {
    BASS_ChannelSetSync(channel_, BASS_SYNC_META, 0, OnMetaSync, nullptr);
    BASS_ChannelSetSync(channel_, BASS_SYNC_OGG_CHANGE, 0, OnMetaSync, nullptr);
  }
  ReadStreamTitle(channel_, isWma_, generation_);
  if (isWma_) BASS_ChannelSetSync(channel_, BASS_SYNC_META, 0, OnMetaSync, nullptr);
  return true;
}

bool Run::Settle() {
  if (!OnWindow([](StatusLabels& labels) {
        // Intended: a station without a site address gets the built-in stream address (not
        // the site's), and a station without a name is then shown by that address.
        if (SiteAddress.empty()) SiteAddress = sources::DefaultStreamUrl();
        if (StationName.empty()) StationName = SiteAddress;
        labels.SetLabel4(StationName);
      }))
    return false;
  BASS_ChannelPlay(channel_, kFalse);
  // Superseded while starting: the newer worker's stream is the one to hear.
  if (Superseded(generation_)) return Keep(false);
  return true;
}

// On the window's thread, so that the player's session sees the worker end. Dropped for a
// superseded run, whose generation WorkerThread no longer holds anyway.
void Run::Finish() {
  RunOnWindow(generation_, [this](StatusLabels&) {
    std::uint64_t mine = generation_;
    WorkerThread.compare_exchange_strong(mine, 0);  // only while no newer worker was started
  });
}

}  // namespace

int StreamThread(std::string address, std::uint64_t generation) {
  Run(std::move(address), generation).Go();
  return 0;
}

void StartWorker(const std::string& address) {
  BASS_Stop();
  const std::uint64_t generation = NextGeneration();
  WorkerThread.store(generation);  // before the worker can end and clear it
  try {
    std::thread worker(StreamThread, address, generation);
    WorkerThreadId.store(worker.get_id());
    worker.detach();
  } catch (const std::system_error&) {
    // No thread could be made; the watchdog tries again.
    WorkerThread.store(0);
  }
  BASS_Start();
}

}  // namespace stream
