#include "engine/real/HlsPlaylist.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <charconv>

#include "engine/real/HeaderLines.h"

namespace engine {
namespace {

constexpr double kMaxTargetSeconds = 3600;

std::string_view Body(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}

// Calls `line` for each trimmed, non-empty line until it returns false.
template <typename F>
void ForEachLine(std::string_view text, F line) {
  while (!text.empty()) {
    const auto end = text.find_first_of("\r\n");
    const auto current = Trim(text.substr(0, end));
    if (!current.empty() && !line(current)) return;
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

std::optional<std::string_view> TagValue(std::string_view line, std::string_view tag) {
  if (!line.starts_with(tag)) return std::nullopt;
  line.remove_prefix(tag.size());
  if (line.empty()) return line;
  if (line.front() != ':') return std::nullopt;  // a longer tag that starts the same
  return line.substr(1);
}

double Seconds(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || !(value >= 0)) return 0;
  return std::min(value, kMaxTargetSeconds);
}

std::uint64_t Number(std::string_view text) {
  std::uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The value of NAME in an attribute list (NAME=VALUE,NAME="quoted, text",...), unquoted.
std::optional<std::string_view> Attribute(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const auto eq = list.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const auto key = Trim(list.substr(0, eq));
    list.remove_prefix(eq + 1);
    std::string_view value;
    if (list.starts_with('"')) {
      const auto close = list.find('"', 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = list.substr(1, close - 1);
      list.remove_prefix(close + 1);
      const auto comma = list.find(',');
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    } else {
      const auto comma = list.find(',');
      value = Trim(list.substr(0, comma));
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    if (key == name) return value;
  }
  return std::nullopt;
}

std::string AttributeText(std::string_view list, std::string_view name) {
  return std::string(Attribute(list, name).value_or(""));
}

bool AnyCodecStartsWith(std::string_view codecs, std::initializer_list<std::string_view> kinds) {
  while (!codecs.empty()) {
    const auto comma = codecs.find(',');
    const auto codec = Trim(codecs.substr(0, comma));
    for (auto kind : kinds) {
      if (StartsWithNoCase(codec, kind)) return true;
    }
    codecs.remove_prefix(comma == std::string_view::npos ? codecs.size() : comma + 1);
  }
  return false;
}

bool HasVideoCodec(std::string_view codecs) {
  return AnyCodecStartsWith(codecs,
                            {"avc", "hvc", "hev", "vp8", "vp9", "vp09", "av01", "dvh", "mp4v"});
}

// AAC and MP3 (mp4a.*), AC-3, E-AC-3, Opus and FLAC: what our FFmpeg build decodes.
bool PlayableAudio(const HlsVariant& variant) {
  return variant.codecs.empty() ||
         AnyCodecStartsWith(variant.codecs, {"mp4a", "mp3", "ac-3", "ec-3", "opus", "flac"});
}

void ReadMasterTag(std::string_view line, HlsPlaylist& list, bool& variantNext,
                   HlsVariant& variant) {
  if (auto attrs = TagValue(line, "#EXT-X-STREAM-INF")) {
    variant = {};
    variant.bandwidth = Number(Attribute(*attrs, "BANDWIDTH").value_or(""));
    variant.codecs = AttributeText(*attrs, "CODECS");
    variant.audioGroup = AttributeText(*attrs, "AUDIO");
    variant.hasVideo = HasVideoCodec(variant.codecs) || Attribute(*attrs, "RESOLUTION");
    variantNext = true;
  } else if (auto media = TagValue(line, "#EXT-X-MEDIA")) {
    if (Attribute(*media, "TYPE").value_or("") != "AUDIO") return;
    if (list.audio.size() < HlsPlaylist::kMaxEntries)
      list.audio.push_back({AttributeText(*media, "URI"), AttributeText(*media, "GROUP-ID"),
                            Attribute(*media, "DEFAULT").value_or("") == "YES"});
  }
}

// The default rendition with its own playlist in `group`, else the first such one.
const HlsRendition* RenditionOf(const HlsPlaylist& master, std::string_view group) {
  const HlsRendition* found = nullptr;
  if (group.empty()) return found;
  for (const auto& rendition : master.audio) {
    if (rendition.group != group || rendition.uri.empty()) continue;
    if (rendition.isDefault) return &rendition;
    if (!found) found = &rendition;
  }
  return found;
}

}  // namespace

bool LooksLikeHls(std::string_view body) {
  body = Body(body);
  if (!body.starts_with("#EXTM3U")) return false;
  bool found = false;
  ForEachLine(body.substr(0, HlsPlaylist::kMaxPlaylistBytes), [&](std::string_view line) {
    found = line.starts_with("#EXT-X-");
    return !found;
  });
  return found;
}

bool IsHlsContentType(std::string_view contentType) {
  const auto type = Trim(contentType.substr(0, contentType.find(';')));
  for (const char* known : {"application/vnd.apple.mpegurl", "application/x-mpegurl",
                            "audio/mpegurl", "audio/x-mpegurl"}) {
    if (EqualsNoCase(type, known)) return true;
  }
  return false;
}

std::optional<HlsPlaylist> ParseHls(std::string_view body) {
  body = Body(body);
  if (body.size() > HlsPlaylist::kMaxPlaylistBytes || !body.starts_with("#EXTM3U"))
    return std::nullopt;
  HlsPlaylist list;
  bool variantNext = false;
  HlsVariant variant;
  double segmentSeconds = 0;
  bool discontinuity = false;
  std::string map;
  ForEachLine(body, [&](std::string_view line) {
    if (line.front() != '#') {
      if (variantNext) {
        variant.uri = line;
        list.variants.push_back(std::move(variant));
        variantNext = false;
      } else {
        list.segments.push_back({list.mediaSequence + list.segments.size(), segmentSeconds,
                                 std::string(line), map, discontinuity});
        segmentSeconds = 0;
        discontinuity = false;
      }
      return list.variants.size() < HlsPlaylist::kMaxEntries &&
             list.segments.size() < HlsPlaylist::kMaxEntries;
    }
    if (auto value = TagValue(line, "#EXTINF")) {
      segmentSeconds = Seconds(value->substr(0, value->find(',')));
    } else if (auto target = TagValue(line, "#EXT-X-TARGETDURATION")) {
      list.targetSeconds = Seconds(*target);
    } else if (auto sequence = TagValue(line, "#EXT-X-MEDIA-SEQUENCE")) {
      if (list.segments.empty()) list.mediaSequence = Number(*sequence);
    } else if (TagValue(line, "#EXT-X-DISCONTINUITY")) {
      discontinuity = true;
    } else if (TagValue(line, "#EXT-X-ENDLIST")) {
      list.ended = true;
    } else if (auto key = TagValue(line, "#EXT-X-KEY")) {
      if (Attribute(*key, "METHOD").value_or("NONE") != "NONE") list.encrypted = true;
    } else if (auto attrs = TagValue(line, "#EXT-X-MAP")) {
      map = AttributeText(*attrs, "URI");
    } else {
      ReadMasterTag(line, list, variantNext, variant);
    }
    return true;
  });
  list.master = !list.variants.empty();
  if (list.master) return list;
  if (list.targetSeconds <= 0) {
    for (const auto& segment : list.segments)
      list.targetSeconds = std::max(list.targetSeconds, segment.seconds);
  }
  if (list.targetSeconds <= 0) return std::nullopt;
  return list;
}

std::optional<std::string> ChooseAudio(const HlsPlaylist& master) {
  // A radio wants no pictures: the best audio-only variant first.
  const HlsVariant* best = nullptr;
  for (const auto& variant : master.variants) {
    if (!variant.hasVideo && PlayableAudio(variant) &&
        (!best || variant.bandwidth > best->bandwidth))
      best = &variant;
  }
  if (best) {
    if (const auto* rendition = RenditionOf(master, best->audioGroup)) return rendition->uri;
    return best->uri;
  }
  // Then the separate audio of the richest video variant.
  const HlsVariant* richest = nullptr;
  for (const auto& variant : master.variants) {
    if (RenditionOf(master, variant.audioGroup) &&
        (!richest || variant.bandwidth > richest->bandwidth))
      richest = &variant;
  }
  if (richest) return RenditionOf(master, richest->audioGroup)->uri;
  // Last, audio muxed with video: the video costs bandwidth and the sound is alike, so the
  // cheapest variant.
  const HlsVariant* cheapest = nullptr;
  for (const auto& variant : master.variants) {
    if (PlayableAudio(variant) && (!cheapest || variant.bandwidth < cheapest->bandwidth))
      cheapest = &variant;
  }
  if (cheapest) return cheapest->uri;
  return std::nullopt;
}

std::size_t LiveStartIndex(const HlsPlaylist& media) {
  if (media.ended) return 0;
  std::size_t index = media.segments.size();
  double behind = 0;
  while (index > 0 && behind < 3 * media.targetSeconds) {
    --index;
    behind +=
        media.segments[index].seconds > 0 ? media.segments[index].seconds : media.targetSeconds;
  }
  return index;
}

std::optional<std::string> ResolveHlsUri(const std::string& base, std::string_view reference) {
  if (reference.find('\0') != std::string_view::npos) return std::nullopt;
  CURLU* url = curl_url();
  if (!url) return std::nullopt;
  std::optional<std::string> result;
  const std::string target(reference);
  if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, target.c_str(), 0) == CURLUE_OK) {
    char* out = nullptr;
    if (curl_url_get(url, CURLUPART_URL, &out, 0) == CURLUE_OK &&
        (StartsWithNoCase(out, "http://") || StartsWithNoCase(out, "https://")))
      result = out;
    curl_free(out);
  }
  curl_url_cleanup(url);
  return result;
}

}  // namespace engine
