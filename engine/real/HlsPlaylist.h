// Reads HTTP Live Streaming playlists (RFC 8216): a master playlist names variants and audio
// renditions, a media playlist names the segments of one stream.
//
// Only what a radio needs is kept; unknown tags are ignored. Every count is bounded, so a
// hostile playlist costs at most kMaxPlaylistBytes of text and kMaxEntries entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct HlsSegment {
  std::uint64_t sequence = 0;
  double seconds = 0;
  std::string uri;
  std::string map;  // the initialisation section (EXT-X-MAP) that applies, empty for none
  bool discontinuity = false;
};

struct HlsVariant {
  std::string uri;
  std::uint64_t bandwidth = 0;
  std::string codecs;      // empty when the playlist does not say
  std::string audioGroup;  // AUDIO=
  bool hasVideo = false;   // a video codec or a resolution is named
};

struct HlsRendition {
  std::string uri;  // empty: the audio is muxed into the variants
  std::string group;
  bool isDefault = false;
};

struct HlsPlaylist {
  static constexpr std::size_t kMaxPlaylistBytes = 1024 * 1024;
  static constexpr std::size_t kMaxEntries = 10000;

  bool master = false;
  std::vector<HlsVariant> variants;
  std::vector<HlsRendition> audio;

  double targetSeconds = 0;
  std::uint64_t mediaSequence = 0;
  bool ended = false;
  bool encrypted = false;  // an EXT-X-KEY other than METHOD=NONE
  std::vector<HlsSegment> segments;
};

// A reply is HLS when its body is an extended M3U with EXT-X- tags; the playlist content types
// alone do not tell, since stations serve plain .m3u address lists under them too.
bool LooksLikeHls(std::string_view body);
// The content types HLS playlists are served with, which are worth a look at the body.
bool IsHlsContentType(std::string_view contentType);

// nullopt for a body that is no HLS playlist (no #EXTM3U first, too large, or a media
// playlist without a usable target duration).
std::optional<HlsPlaylist> ParseHls(std::string_view body);

// The playlist to play from a master playlist: the URI, still relative; nullopt when no
// variant or rendition holds audio we decode.
std::optional<std::string> ChooseAudio(const HlsPlaylist& master);

// Where a live media playlist is joined: the index of the first segment to fetch, three target
// durations back from the live edge (the first segment of an ended playlist).
std::size_t LiveStartIndex(const HlsPlaylist& media);

// `reference` resolved against `base` (an absolute http(s) address); nullopt when either is
// no valid address or the result is not http(s).
std::optional<std::string> ResolveHlsUri(const std::string& base, std::string_view reference);

}  // namespace engine
