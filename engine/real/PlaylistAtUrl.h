// Recognises a playlist served where a stream was expected and finds its first stream address.
//
// Kinds: PLS ("[playlist]", FileN=), M3U ("#EXTM3U" or a playlist content type), ASX ("<asx",
// <ref href=>), and a plain text body whose first meaningful line is an address (some stations
// publish their stream address as a .txt file).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Bodies larger than this are not playlists we read.
constexpr std::size_t kMaxPlaylistBytes = 64 * 1024;

enum class BodyKind { kAudio, kPlaylist, kUndecided };

// Decides from the content type and the first body bytes. kUndecided: the start is plain text
// that may turn out to be an address list once the whole body is there.
BodyKind ClassifyBody(std::string_view contentType, std::string_view start);

// The first stream address in a playlist body, resolved against `base` when relative (only
// with `relativeOk`: a body known to be a playlist); nullopt when there is none.
std::optional<std::string> FirstPlaylistEntry(std::string_view body, const std::string& base,
                                              bool relativeOk);

}  // namespace engine
