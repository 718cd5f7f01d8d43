#include "stream/Tags.h"

#include <cmath>

#include "stream/SharedState.h"
#include "stream/StatusWindow.h"
#include "text/Text.h"

namespace stream {
namespace {

bool SendText(std::uint64_t generation, std::uint32_t code, const std::string& text) {
  return SendStatus(generation, StatusMessage{code, 0, text.c_str()});
}

}  // namespace

void ReadStreamTitle() {
  ReadStreamTitle(StreamChannel.load(), IsWmaStream.load(), kAnyGeneration);
}

void ReadStreamTitle(HSTREAM channel, bool isWma, std::uint64_t generation) {
  if (isWma) {
    if (auto tag = BASS_ChannelGetTags(channel, BASS_TAG_WMA_META))
      SendText(generation, STATUS_TITLE_WMA, std::string(FirstText(*tag)));
    return;
  }
  auto meta = BASS_ChannelGetTags(channel, BASS_TAG_META);
  if (!meta) return;
  if (auto title = ShoutcastTitle(FirstText(*meta))) SendText(generation, STATUS_TITLE, *title);
}

void OnMetaSync(HSYNC, DWORD, DWORD, void*) {
  ReadStreamTitle();
}

void OnWmaChangeSync(HSYNC, DWORD, DWORD, void*) {
  auto tags = BASS_ChannelGetTags(StreamChannel.load(), BASS_TAG_WMA);
  if (!tags) return;
  for (std::string_view entry : engine::SeriesEntries(*tags)) {
    if (text::StartsWith(entry, "title="))
      SendText(kAnyGeneration, STATUS_STATION_NAME, text::From(entry, 7));
    else if (text::StartsWith(entry, "author="))
      SendText(kAnyGeneration, STATUS_INFO, text::From(entry, 8));
  }
}

void OnDownloadStatus(const void* buffer, DWORD length, void*) {
  if (buffer && length == 0)
    SendStatus(kAnyGeneration, StatusMessage{STATUS_DOWNLOAD, 0, static_cast<const char*>(buffer)});
}

const char* StreamFormatName() {
  return StreamFormatName(StreamChannel.load());
}

const char* StreamFormatName(HSTREAM channel) {
  BASS_CHANNELINFO info{};
  if (!BASS_ChannelGetInfo(channel, &info)) return nullptr;
  return FormatNameOfType(info.ctype);
}

std::int32_t StreamBitrate() {
  return StreamBitrate(StreamChannel.load());
}

std::int32_t StreamBitrate(HSTREAM channel) {
  auto icy = BASS_ChannelGetTags(channel, BASS_TAG_ICY);
  std::optional<std::string> http;
  if (!icy) http = BASS_ChannelGetTags(channel, BASS_TAG_HTTP);
  const std::string bitrate = BitrateText(icy, http);
  if (!bitrate.empty()) return WholeNumber(bitrate);

  // No header: the decoded byte count of one millisecond.
  const auto bytes =
      static_cast<std::int32_t>(static_cast<DWORD>(BASS_ChannelSeconds2Bytes(channel, 0.001)));
  BASS_CHANNELINFO info{};
  if (!BASS_ChannelGetInfo(channel, &info)) return 0;
  switch (info.ctype) {
    case BASS_CTYPE_STREAM_WMA:
    case BASS_CTYPE_STREAM_WMA_MP3:
      return static_cast<std::int32_t>(std::nearbyint(bytes / 4.0));  // halves to even
    case BASS_CTYPE_STREAM_AAC:
    case BASS_CTYPE_STREAM_MP4:
      return 0;
    default:
      return bytes;
  }
}

}  // namespace stream
