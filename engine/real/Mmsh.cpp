#include "engine/real/Mmsh.h"

#include <cstdlib>
#include <random>

#include "engine/real/AsfBytes.h"
#include "engine/real/AsfHeader.h"
#include "engine/real/AsfScript.h"
#include "engine/real/MmshChunks.h"
#include "engine/real/MmshRequest.h"
#include "engine/real/Retries.h"
#include "engine/real/StreamTags.h"

namespace engine {

bool IsWindowsMediaReply(const HeaderLines& headers) {
  for (const auto& line : headers.Lines()) {
    const auto colon = line.find(':');
    if (colon == std::string::npos || !EqualsNoCase(Trim(line.substr(0, colon)), "pragma"))
      continue;
    const auto value = Trim(std::string_view(line).substr(colon + 1));
    if (StartsWithNoCase(value, "features")) return true;
  }
  const auto type = headers.Value("content-type").value_or("");
  const auto bare = Trim(std::string_view(type).substr(0, type.find(';')));
  return EqualsNoCase(bare, "application/vnd.ms.wms-hdr.asfv1") ||
         EqualsNoCase(bare, "application/x-mms-framed");
}

bool IsMmshAddress(std::string_view url) {
  return StartsWithNoCase(url, "mms://") || StartsWithNoCase(url, "mmsh://");
}

std::string MmshHttpAddress(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::string(url);
  return "http" + std::string(url.substr(scheme));
}

namespace {

constexpr int kDefaultKbps = 128;
constexpr std::size_t kDataObjectHead = 50;

// GUID, size, file id, packet count (all unknown on a broadcast) and the reserved 0x0101.
std::string DataObjectHead() {
  std::string head(asf::kDataObject.begin(), asf::kDataObject.end());
  head.resize(kDataObjectHead - 2, '\0');
  return head + "\x01\x01";
}

std::string ClientGuid() {
  std::random_device random;
  std::uniform_int_distribution<int> digit(0, 15);
  std::string guid = "{";
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) guid += '-';
    guid += "0123456789abcdef"[digit(random)];
  }
  return guid + "}";
}

// One MMSH session of a stream's network thread.
class Session {
 public:
  Session(std::shared_ptr<Stream> stream, std::string url)
      : stream_(std::move(stream)), url_(std::move(url)), guid_(ClientGuid()) {}

  void Run();

 private:
  bool Describe();
  bool Adopt(std::string bytes, bool change);
  void Play();
  bool OnChunk(MmshChunks::Type type, std::string_view payload);
  bool OnHeaderPart(std::string_view payload);
  bool OnData(std::string_view payload);
  void Title(const ScriptCommand& command);
  void HeaderScriptsDue(std::uint32_t sendTime);
  bool Deliver(std::string_view bytes);
  std::vector<std::string> PlayRequest() const;
  void Stop(int error);

  std::shared_ptr<Stream> stream_;
  const std::string url_;
  const std::string guid_;
  std::string pendingHeader_;  // $H payloads of a header still being collected
  bool wantHeader_ = true;     // true until the first header and after each $C
  std::optional<AsfHeader> header_;
  int audio_ = 0;                               // the ASF stream number asked for
  std::unique_ptr<AsfScript> script_;           // the script stream's reader (of stream 0: none)
  std::size_t headerScripts_ = 0;               // the header's commands handed on so far
  std::optional<std::uint32_t> firstSendTime_;  // of the first packet after the header
  std::string packet_;                          // one padded data packet
  int error_ = BASS_OK;
  bool ended_ = false;
  bool restarted_ = false;  // the play request was sent again after its connection ended
  std::uint64_t packets_ = 0;
};

// A broadcast whose connection ended without its end chunk is asked for again in the same
// session; the server answers with the header, which is taken as an unchanged header change.
void Session::Run() {
  if (!Describe()) return;
  Play();
  Retries retries;
  // A reply the session cannot read is no drop: asking again would only repeat it.
  const auto unreadable = [this] {
    return error_ == BASS_ERROR_FILEFORM || error_ == BASS_ERROR_MEM;
  };
  while (!ended_ && !unreadable() && retries.Next(*stream_, url_)) {
    error_ = BASS_OK;
    wantHeader_ = true;
    pendingHeader_.clear();
    restarted_ = true;
    const auto before = packets_;
    Play();
    if (packets_ > before) retries.Carried();
  }
}

void Session::Stop(int error) {
  if (error_ == BASS_OK) error_ = error;
  stream_->Fail(error);  // no effect once the stream plays: then the stream just ends
}

bool Session::Describe() {
  const std::vector<std::string> lines = {
      "Accept: */*",
      "Pragma: no-cache,rate=1.000000,stream-time=0,stream-offset=0:0,request-context=1,"
      "max-duration=0",
      "Pragma: xClientGUID=" + guid_,
      "Connection: Close",
  };
  MmshChunks chunks;
  MmshRequest request(*stream_, url_, lines);
  const auto outcome = request.Run([&](const char* data, std::size_t size) {
    // Stop reading as soon as the header is complete: the rest is of no use.
    return chunks.Feed(data, size, [&](MmshChunks::Type type, std::string_view payload) {
      return type != MmshChunks::Type::kHeader || OnHeaderPart(payload);
    }) && !header_;
  });
  if (stream_->Dead()) return false;
  if (header_) {
    stream_->PublishHeaders(false, request.Headers().Series(), "video/x-ms-asf", std::nullopt,
                            false);
    return true;
  }
  if (error_ == BASS_OK) Stop(outcome.error != BASS_OK ? outcome.error : BASS_ERROR_FILEFORM);
  return false;
}

// Collects $H payloads until the header object is whole (a large header spans chunks).
bool Session::OnHeaderPart(std::string_view payload) {
  if (!wantHeader_) return true;  // the play reply repeats the header it began with
  if (pendingHeader_.size() + payload.size() > AsfHeader::kMaxBytes + 64) {
    Stop(BASS_ERROR_MEM);
    return false;
  }
  pendingHeader_.append(payload);
  const auto size = AsfHeaderSize(pendingHeader_);
  if (!size && pendingHeader_.size() >= 24) {
    Stop(BASS_ERROR_FILEFORM);
    return false;
  }
  if (size && *size > AsfHeader::kMaxBytes) {
    Stop(BASS_ERROR_MEM);
    return false;
  }
  // The data object's head follows the header object, in the same chunk or the next one;
  // a server that leaves it out gets one made up, since the demuxer reads it.
  if (!size || pendingHeader_.size() < *size) return true;
  const auto have = pendingHeader_.size() - *size;
  if (have == 0) pendingHeader_ += DataObjectHead();
  if (have > 0 && have < kDataObjectHead) return true;
  std::string bytes;
  bytes.swap(pendingHeader_);
  wantHeader_ = false;
  return Adopt(std::move(bytes), header_.has_value());
}

// A complete header: its tags, the streams to ask for, and (the first time) the bytes that
// open the demuxer's input.
bool Session::Adopt(std::string bytes, bool change) {
  auto header = ReadAsfHeader(bytes);
  if (!header) {
    Stop(BASS_ERROR_FILEFORM);
    return false;
  }
  // The demuxer was opened with the first header; a change may not move the packet size.
  if (change && header->packetSize != header_->packetSize) {
    ended_ = true;
    return false;
  }
  const AsfStream* audio = BestAudioStream(*header);
  if (!audio) {
    Stop(BASS_ERROR_FILEFORM);
    return false;
  }
  if (!change) {
    audio_ = audio->number;
    stream_->asfAudioStream = audio_;
    const int kbps = static_cast<int>(audio->bitrate / 1000);
    stream_->bitrateFromHeaders = kbps > 0;
    stream_->ring.Reserve(stream_->RingBytesFor(kbps > 0 ? kbps : kDefaultKbps));
    if (!Deliver(bytes)) return false;
  }
  int scriptStream = 0;  // none: no payload has that number
  for (const auto& candidate : header->streams) {
    if (candidate.kind == AsfStream::Kind::kScript && scriptStream == 0)
      scriptStream = candidate.number;
  }
  script_ = std::make_unique<AsfScript>(scriptStream);
  headerScripts_ = 0;
  firstSendTime_.reset();
  auto tags = AsfTagSeries(header->tags);
  const bool news = change && !(restarted_ && stream_->Tag(BASS_TAG_WMA) == tags);
  stream_->SetTag(BASS_TAG_WMA, std::move(tags), news ? BASS_SYNC_WMA_CHANGE : 0);
  header_ = std::move(header);
  return true;
}

std::vector<std::string> Session::PlayRequest() const {
  std::string entries;
  int count = 0;
  for (const auto& stream : header_->streams) {
    // 0 asks for the stream, 2 leaves it out: the one audio stream and any script stream.
    const bool wanted = stream.number == audio_ || stream.kind == AsfStream::Kind::kScript;
    if (!entries.empty()) entries += ' ';
    entries += "ffff:" + std::to_string(stream.number) + (wanted ? ":0" : ":2");
    ++count;
  }
  return {
      "Accept: */*",
      "Pragma: no-cache,rate=1.000000,stream-time=0,stream-offset=4294967295:4294967295,"
      "request-context=2,max-duration=0",
      "Pragma: xClientGUID=" + guid_,
      "Pragma: xPlayStrm=1",
      "Pragma: stream-switch-count=" + std::to_string(count),
      "Pragma: stream-switch-entry=" + entries,
      "Connection: Close",
  };
}

void Session::Play() {
  MmshChunks chunks;
  MmshRequest request(*stream_, url_, PlayRequest());
  const auto outcome = request.Run([&](const char* data, std::size_t size) {
    if (chunks.Feed(data, size, [&](MmshChunks::Type type, std::string_view payload) {
          return OnChunk(type, payload);
        }))
      return true;
    if (chunks.Broken()) Stop(BASS_ERROR_FILEFORM);
    return false;
  });
  if (!ended_ && error_ == BASS_OK && outcome.error != BASS_OK) Stop(outcome.error);
}

bool Session::OnChunk(MmshChunks::Type type, std::string_view payload) {
  switch (type) {
    case MmshChunks::Type::kHeader:
      return OnHeaderPart(payload);
    case MmshChunks::Type::kData:
      return OnData(payload);
    case MmshChunks::Type::kChange:
      wantHeader_ = true;
      pendingHeader_.clear();
      return true;
    case MmshChunks::Type::kEnd:
      ended_ = true;
      return false;
  }
  return true;
}

bool Session::OnData(std::string_view payload) {
  if (wantHeader_) return true;  // packets of a stream whose header has not come yet
  const std::size_t size = header_->packetSize;
  // Longer than the header's packets: the two disagree and the demuxer would lose its place.
  if (payload.size() > size) {
    Stop(BASS_ERROR_FILEFORM);
    return false;
  }
  packet_.assign(payload);
  packet_.resize(size, '\0');
  ++packets_;
  if (script_->Packet(packet_, [&](const ScriptCommand& command) { Title(command); }))
    HeaderScriptsDue(script_->SendTime());
  return Deliver(packet_);
}

// Into the byte ring, and to the download callback as the plain HTTP transfer does.
bool Session::Deliver(std::string_view bytes) {
  if (!stream_->ring.Write(bytes.data(), bytes.size())) return false;
  const auto& options = stream_->options;
  if (options.proc && stream_->Created() && !stream_->Dead())
    options.proc(bytes.data(), static_cast<DWORD>(bytes.size()), options.user);
  return true;
}

// The header's own commands are timed from the start of what follows the header.
void Session::HeaderScriptsDue(std::uint32_t sendTime) {
  // Time going back is a file served again from its start: its commands are due again.
  if (!firstSendTime_ || sendTime < *firstSendTime_) {
    firstSendTime_ = sendTime;
    headerScripts_ = 0;
  }
  const std::uint32_t elapsed = sendTime - *firstSendTime_;
  const auto& scripts = header_->scripts;
  while (headerScripts_ < scripts.size() && scripts[headerScripts_].timeMs <= elapsed)
    Title(scripts[headerScripts_++]);
}

void Session::Title(const ScriptCommand& command) {
  std::string title = TitleOf(command);
  if (title.empty()) return;
  // One text as a series: the title reader takes it whole.
  title = title.substr(0, title.find('\0')) + std::string(2, '\0');
  // After a restart the header's commands come again; only a different title is news.
  if (restarted_ && stream_->Tag(BASS_TAG_WMA_META) == title) return;
  stream_->SetTag(BASS_TAG_WMA_META, std::move(title), BASS_SYNC_WMA_META);
}

}  // namespace

void RunMmsh(const std::shared_ptr<Stream>& stream, const std::string& httpUrl) {
  Session(stream, httpUrl).Run();
}

}  // namespace engine
