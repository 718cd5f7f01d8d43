// The texts of the engine's tag blocks, read byte for byte: the first text, the Shoutcast
// title and the bitrate headers. Pure functions of outside input: bounded by what they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/TagSeries.h"

namespace stream {

// The first text of a block: up to its first NUL, or all of it.
std::string_view FirstText(std::string_view block);

// The title of a Shoutcast metadata text, nullopt when there is no "StreamTitle=" in it.
std::optional<std::string> ShoutcastTitle(std::string_view meta);

// The bitrate text StreamBitrate converts, from the ICY response headers if there are any,
// else from the HTTP ones; "" when they carry none (the caller then falls back).
std::string BitrateText(const std::optional<std::string>& icy,
                        const std::optional<std::string>& http);

// The part of text before the first separator (all of it when there is none).
std::string TextBefore(std::string_view text, char separator);
// At most 255 characters after the first separator (all of text when there is none).
std::string TextAfter(std::string_view text, char separator);
// An optional sign followed by decimal digits, as a 32-bit number; anything else or
// overflow gives 0.
std::int32_t WholeNumber(std::string_view text);

// "ogg", "mp3", "wma", "aac" or "mp4" for an engine channel type, nullptr for any other.
const char* FormatNameOfType(std::uint32_t ctype);

}  // namespace stream
