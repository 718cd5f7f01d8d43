#include "engine/real/Decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <thread>
#include <vector>

#include "engine/Log.h"
#include "engine/real/HeaderLines.h"
#include "engine/real/Id3Tag.h"
#include "engine/real/StreamTags.h"

namespace engine {

const char* InputFormatFor(std::string_view contentType) {
  const auto type = Trim(contentType.substr(0, contentType.find(';')));
  struct Entry {
    const char* type;
    const char* format;
  };
  static constexpr Entry kTable[] = {
      {"audio/mpeg", "mp3"},     {"audio/mp3", "mp3"},
      {"audio/mpeg3", "mp3"},    {"audio/x-mpeg", "mp3"},
      {"audio/aac", "aac"},      {"audio/aacp", "aac"},
      {"audio/x-aac", "aac"},    {"application/ogg", "ogg"},
      {"audio/ogg", "ogg"},      {"audio/x-ogg", "ogg"},
      {"audio/opus", "ogg"},     {"audio/vorbis", "ogg"},
      {"video/x-ms-asf", "asf"}, {"audio/x-ms-wma", "asf"},
      {"video/x-ms-wma", "asf"}, {"application/vnd.ms-asf", "asf"},
      {"audio/mp4", "mov"},      {"audio/x-m4a", "mov"},
      {"audio/m4a", "mov"},      {"video/mp4", "mov"},
      {"video/mp2t", "mpegts"},
  };
  for (const auto& entry : kTable) {
    if (EqualsNoCase(type, entry.type)) return entry.format;
  }
  return nullptr;
}

namespace {

constexpr int kIoBufferBytes = 16 * 1024;
constexpr int kProbeBytes = 64 * 1024;
// Nothing seeks in a stream, yet FFmpeg's MP3 and ADTS readers file a seek-index entry for
// every frame: 24 bytes each, ~0.9 KB a second, up to its default of 1 MiB per stream.
constexpr unsigned kIndexBytes = 4 * 1024;
// What the format recognition may read before a stream counts as no audio at all.
constexpr std::uint64_t kRecognizeBytes = 128 * 1024;
// A full PCM ring is waited out until a good part of it is free again, so the decoder wakes a
// few times a second to decode a batch rather than for every period the output takes.
constexpr auto kMinFullWait = std::chrono::milliseconds(5);
constexpr auto kMaxFullWait = std::chrono::milliseconds(100);  // well inside a 500 ms ring
constexpr auto kPlayOutWait = std::chrono::milliseconds(20);

int ReadRing(void* opaque, uint8_t* buffer, int size) {
  auto* stream = static_cast<Stream*>(opaque);
  if (!stream->Ready() && stream->ring.Consumed() >= kRecognizeBytes) return AVERROR_INVALIDDATA;
  // A restart point ends this input; the decoder opens afresh behind it.
  const std::size_t readable = std::min(static_cast<std::size_t>(size),
                                        stream->marks.ReadableBefore(stream->ring.Consumed()));
  if (readable == 0) return AVERROR_EOF;
  const long n = stream->ring.Read(reinterpret_cast<char*>(buffer), readable);
  if (n < 0) return AVERROR_EXIT;
  if (n == 0) return AVERROR_EOF;
  return static_cast<int>(n);
}

TagEntries Entries(const AVDictionary* dictionary) {
  TagEntries entries;
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)))
    entries.emplace_back(entry->key, entry->value);
  return entries;
}

int Interrupted(void* opaque) {
  return static_cast<Stream*>(opaque)->Dead() ? 1 : 0;
}

std::string ErrorName(int result) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(result, text, sizeof text);
  return text;
}

class Decoder {
 public:
  explicit Decoder(std::shared_ptr<Stream> stream) : stream_(std::move(stream)) {}
  ~Decoder();

  // BASS_OK, or the error that ends the creation.
  int Open();
  void Run();

 private:
  int OpenCodec();
  // After a restart point: a new demuxer and decoder for what follows.
  int Reopen();
  void TimedMetadata(const AVPacket* packet);
  void MarkedTitles(const AVPacket* packet);
  // Logs why the stream cannot be decoded; returns error.
  int Refuse(int error, const std::string& why) const;
  bool Emit(AVFrame* frame);
  bool Store(const std::int16_t* samples, int frames);
  // How long the PCM ring takes to have room for `left` frames and a quarter of itself.
  std::chrono::milliseconds RoomWait(std::size_t left) const;
  void PublishTags(bool changed);
  DWORD ChannelType() const;

  std::shared_ptr<Stream> stream_;
  AVFormatContext* format_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* resampler_ = nullptr;
  int index_ = -1;
  std::uint64_t origin_ = 0;  // the ring position of the demuxer's byte 0
  bool published_ = false;
  std::vector<std::int16_t> converted_;
  // The resampler's input, to rebuild it when a chained stream changes format.
  int inRate_ = 0;
  int inFormat_ = -1;
  AVChannelLayout inLayout_{};
};

Decoder::~Decoder() {
  swr_free(&resampler_);
  avcodec_free_context(&codec_);
  avformat_close_input(&format_);
  if (io_) av_freep(&io_->buffer);  // FFmpeg may have replaced the buffer it was given
  avio_context_free(&io_);
  av_channel_layout_uninit(&inLayout_);
}

int Decoder::Open() {
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
  io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, stream_.get(), &ReadRing, nullptr, nullptr);
  format_ = avformat_alloc_context();
  if (!buffer || !io_ || !format_) return BASS_ERROR_MEM;
  io_->seekable = 0;
  format_->pb = io_;
  format_->flags |= AVFMT_FLAG_CUSTOM_IO;
  format_->probesize = kProbeBytes;
  format_->format_probesize = kProbeBytes;
  format_->max_index_size = kIndexBytes;
  format_->interrupt_callback = {&Interrupted, stream_.get()};
  origin_ = stream_->ring.Consumed();
  // The reply's type names the first encoding only; after a restart the bytes tell.
  const char* name = published_ ? nullptr : InputFormatFor(stream_->ContentType());
  const AVInputFormat* input = name ? av_find_input_format(name) : nullptr;
  if (const int result = avformat_open_input(&format_, nullptr, input, nullptr); result < 0) {
    format_ = nullptr;  // freed by the failed open
    return Refuse(BASS_ERROR_FILEFORM, "no known format (content type \"" + stream_->ContentType() +
                                           "\"): " + ErrorName(result));
  }
  if (format_->nb_streams == 0 && avformat_find_stream_info(format_, nullptr) < 0)
    return Refuse(BASS_ERROR_FILEFORM, "no streams found in the data");
  // The first audio stream; the sample rate and channels come from the decoder, so the
  // stream-info pass (which reads ahead) is not needed.
  const int wanted = stream_->asfAudioStream;
  for (unsigned i = 0; i < format_->nb_streams && index_ < 0; ++i) {
    const AVStream* candidate = format_->streams[i];
    if (candidate->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
        (wanted == 0 || candidate->id == wanted))
      index_ = static_cast<int>(i);
  }
  if (index_ < 0) return Refuse(BASS_ERROR_FILEFORM, "no audio in the stream");
  // What the headers carried is the start, not a change.
  format_->streams[index_]->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
  format_->event_flags &= ~AVFMT_EVENT_FLAG_METADATA_UPDATED;
  PublishTags(false);
  return OpenCodec();
}

int Decoder::Refuse(int error, const std::string& why) const {
  if (LogEnabled()) Log(LogArea::kDecode, LogLevel::kWarning, stream_->options.url + ": " + why);
  return error;
}

int Decoder::OpenCodec() {
  avcodec_free_context(&codec_);
  const AVStream* stream = format_->streams[index_];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  const std::string codecName = avcodec_get_name(stream->codecpar->codec_id);
  if (!codec) return Refuse(BASS_ERROR_CODEC, "no decoder for " + codecName);
  codec_ = avcodec_alloc_context3(codec);
  if (!codec_) return BASS_ERROR_MEM;
  if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0 ||
      avcodec_open2(codec_, codec, nullptr) < 0)
    return Refuse(BASS_ERROR_CODEC, "the " + codecName + " decoder refused the stream");
  return BASS_OK;
}

int Decoder::Reopen() {
  avcodec_free_context(&codec_);
  avformat_close_input(&format_);
  if (io_) av_freep(&io_->buffer);
  avio_context_free(&io_);
  index_ = -1;
  return Open();
}

// Titles marked in the ring take effect when the packet at their position is decoded, which
// is the playing position give or take the PCM ring.
void Decoder::MarkedTitles(const AVPacket* packet) {
  const std::int64_t pos = packet->pos >= 0 ? packet->pos : avio_tell(format_->pb);
  for (auto& title : stream_->marks.TakeTitles(origin_ + static_cast<std::uint64_t>(pos) + 1))
    stream_->SetTag(BASS_TAG_META, std::move(title), BASS_SYNC_META);
}

// ID3 tags carried beside the audio (HLS timed metadata): a new title becomes tag 5.
void Decoder::TimedMetadata(const AVPacket* packet) {
  const std::string_view tag(reinterpret_cast<const char*>(packet->data),
                             static_cast<std::size_t>(packet->size));
  auto title = ShoutcastTitle(Id3TextEntries(tag));
  if (title && title != stream_->Tag(BASS_TAG_META))
    stream_->SetTag(BASS_TAG_META, std::move(*title), BASS_SYNC_META);
}

DWORD Decoder::ChannelType() const {
  const std::string_view name = format_->iformat->name;
  const auto codec = format_->streams[index_]->codecpar->codec_id;
  if (name == "ogg") return BASS_CTYPE_STREAM_OGG;
  if (name == "asf")
    return codec == AV_CODEC_ID_MP3 ? BASS_CTYPE_STREAM_WMA_MP3 : BASS_CTYPE_STREAM_WMA;
  if (name == "aac") return BASS_CTYPE_STREAM_AAC;
  if (name.starts_with("mov")) return BASS_CTYPE_STREAM_MP4;
  if (codec == AV_CODEC_ID_MP1) return BASS_CTYPE_STREAM_MP1;
  if (codec == AV_CODEC_ID_MP2) return BASS_CTYPE_STREAM_MP2;
  if (codec == AV_CODEC_ID_MP3) return BASS_CTYPE_STREAM_MP3;
  if (codec == AV_CODEC_ID_AAC) return BASS_CTYPE_STREAM_AAC;
  if (codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS) return BASS_CTYPE_STREAM_OGG;
  return 0x10000;  // a plain stream of another kind
}

// Ogg comments (tag 2, and tag 5 in Shoutcast form when the server sends no metadata) and
// ASF header tags (tag 8, unless a Windows Media server's session read them from the header
// it sent). `changed`: a new logical stream or new header tags mid-stream.
void Decoder::PublishTags(bool changed) {
  const std::string_view name = format_->iformat->name;
  AVStream* stream = format_->streams[index_];
  if (name == "ogg") {
    const auto comments =
        Entries(av_dict_count(stream->metadata) ? stream->metadata : format_->metadata);
    stream_->SetTag(BASS_TAG_OGG, OggTagSeries(comments), 0);
    if (!stream_->HasIcyMetadata()) {
      if (auto title = ShoutcastTitle(comments))
        stream_->SetTag(BASS_TAG_META, std::move(*title), 0);
    }
    if (changed) stream_->Fire(BASS_SYNC_OGG_CHANGE);
  } else if (name == "asf" && (changed || !stream_->Tag(BASS_TAG_WMA))) {
    stream_->SetTag(BASS_TAG_WMA, AsfTagSeries(Entries(format_->metadata)),
                    changed ? BASS_SYNC_WMA_CHANGE : 0);
  }
}

std::chrono::milliseconds Decoder::RoomWait(std::size_t left) const {
  const PcmRing& pcm = stream_->pcm;
  const std::size_t wanted = std::max(left, pcm.CapacityFrames() / 4);
  const std::size_t free = pcm.FreeFrames();
  const std::size_t missing = wanted > free ? wanted - free : 0;
  const auto rate = std::max<DWORD>(1, stream_->options.outputRate);
  return std::clamp(std::chrono::milliseconds(missing * 1000 / rate), kMinFullWait, kMaxFullWait);
}

bool Decoder::Store(const std::int16_t* samples, int frames) {
  std::size_t done = 0;
  while (done < static_cast<std::size_t>(frames)) {
    if (stream_->Dead()) return false;
    done += stream_->pcm.Write(samples + done * 2, frames - done);
    if (done < static_cast<std::size_t>(frames))
      std::this_thread::sleep_for(RoomWait(static_cast<std::size_t>(frames) - done));
  }
  return true;
}

bool Decoder::Emit(AVFrame* frame) {
  if (!published_) {
    BASS_CHANNELINFO info{};
    info.freq = static_cast<DWORD>(frame->sample_rate);
    info.chans = static_cast<DWORD>(frame->ch_layout.nb_channels);
    info.ctype = ChannelType();
    info.origres = 16;
    const std::int64_t bitrate = codec_->bit_rate > 0 ? codec_->bit_rate : format_->bit_rate;
    if (!stream_->bitrateFromHeaders && bitrate > 0)
      stream_->ring.Reserve(stream_->RingBytesFor(static_cast<int>(bitrate / 1000)));
    stream_->PublishFormat(info, std::string_view(format_->iformat->name) == "asf");
    published_ = true;
  }
  if (!resampler_ || frame->sample_rate != inRate_ || frame->format != inFormat_ ||
      av_channel_layout_compare(&frame->ch_layout, &inLayout_) != 0) {
    swr_free(&resampler_);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16,
                            static_cast<int>(stream_->options.outputRate), &frame->ch_layout,
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                            nullptr) < 0 ||
        swr_init(resampler_) < 0) {
      swr_free(&resampler_);
      return true;  // this frame is lost; the next one tries again
    }
    inRate_ = frame->sample_rate;
    inFormat_ = frame->format;
    av_channel_layout_uninit(&inLayout_);
    av_channel_layout_copy(&inLayout_, &frame->ch_layout);
    auto info = stream_->Info();
    info.freq = static_cast<DWORD>(inRate_);
    info.chans = static_cast<DWORD>(inLayout_.nb_channels);
    stream_->SetInfo(info);
  }
  const int capacity = swr_get_out_samples(resampler_, frame->nb_samples);
  if (capacity <= 0) return true;
  converted_.resize(static_cast<std::size_t>(capacity) * 2);
  auto* out = reinterpret_cast<uint8_t*>(converted_.data());
  const int frames =
      swr_convert(resampler_, &out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                  frame->nb_samples);
  return frames <= 0 || Store(converted_.data(), frames);
}

void Decoder::Run() {
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  if (!packet || !frame) stream_->Fail(BASS_ERROR_MEM);
  bool going = packet && frame;
  while (going && !stream_->Dead()) {
    const int read = av_read_frame(format_, packet);
    if (read == AVERROR(EAGAIN)) continue;
    const bool end = read < 0;
    if (!end && packet->stream_index != index_) {
      const auto* codecpar = format_->streams[packet->stream_index]->codecpar;
      if (codecpar->codec_id == AV_CODEC_ID_TIMED_ID3) TimedMetadata(packet);
      av_packet_unref(packet);
      continue;
    }
    if (!end) MarkedTitles(packet);
    AVStream* stream = format_->streams[index_];
    if (!end && ((stream->event_flags & AVSTREAM_EVENT_FLAG_METADATA_UPDATED) ||
                 (format_->event_flags & AVFMT_EVENT_FLAG_METADATA_UPDATED))) {
      stream->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
      format_->event_flags &= ~AVFMT_EVENT_FLAG_METADATA_UPDATED;
      // A new logical Ogg stream brings its own decoder set-up.
      if (std::string_view(format_->iformat->name) == "ogg" && OpenCodec() != BASS_OK) break;
      PublishTags(true);
    }
    // A damaged packet is skipped; EAGAIN and EOF are no errors.
    avcodec_send_packet(codec_, end ? nullptr : packet);
    av_packet_unref(packet);
    while (going && avcodec_receive_frame(codec_, frame) == 0) {
      going = Emit(frame);
      av_frame_unref(frame);
    }
    if (end) {
      // Drained; a restart point goes on with a fresh decoder, anything else is the end.
      if (!going || !stream_->marks.TakeRestart(stream_->ring.Consumed()) || Reopen() != BASS_OK)
        break;
    }
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
}

// After the end of the data: an auto-free stream frees itself once it has been played out.
void AwaitPlayOut(const std::shared_ptr<Stream>& stream) {
  if (!(stream->options.flags & BASS_STREAM_AUTOFREE) || !stream->options.autoFree) return;
  while (!stream->Dead() && !stream->playedOut) std::this_thread::sleep_for(kPlayOutWait);
  if (!stream->Dead()) stream->options.autoFree(stream->handle);
}

}  // namespace

void RunDecoder(std::shared_ptr<Stream> stream) {
  {
    Decoder decoder(stream);
    const int error = decoder.Open();
    if (error != BASS_OK) {
      stream->Fail(error);
    } else {
      decoder.Run();
    }
    stream->Fail(BASS_ERROR_FILEFORM);  // no audio came out of it (no effect once ready)
  }
  stream->decodeEnded = true;
  AwaitPlayOut(stream);
}

}  // namespace engine
