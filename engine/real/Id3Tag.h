// Reads the titles out of ID3v2 tags: HLS carries them at the start of packed-audio segments
// and as timed metadata in MPEG-TS segments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/real/StreamTags.h"

namespace engine {

// Tags beyond this size are not titles; a reader treats them as damage.
constexpr std::size_t kMaxId3Bytes = 256 * 1024;

// The size of the ID3v2 tag that `bytes` start with (header and footer included): 0 when they
// start no tag, nullopt while fewer than the 10 header bytes are there.
std::optional<std::size_t> Id3TagSize(std::string_view bytes);

// The title (TIT2) and artist (TPE1) of a complete tag as "title" and "artist" entries, text
// in UTF-8; other frames (PRIV timestamps, pictures) are passed over.
TagEntries Id3TextEntries(std::string_view tag);

}  // namespace engine
