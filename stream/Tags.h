// Readers of what a stream carries: title, WMA header entries, server texts, format name and
// bitrate, and the walkers of the engine's tag blocks.
//
// The readers and callbacks act on the current StreamChannel and IsWmaStream, never on the
// channel an engine callback names. Callbacks run on engine threads and send with
// kAnyGeneration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/bass.h"

namespace stream {

// The entries of a series (each NUL-terminated, the series ending with an empty entry). Stops
// at the empty entry or at the end of block, whichever comes first; an entry missing its NUL
// at the end of block still counts. The views point into block.
std::vector<std::string_view> Entries(std::string_view block);
// The first text of a block: up to its first NUL, or all of it.
std::string_view FirstText(std::string_view block);

// The title of a Shoutcast metadata text, nullopt when there is no "StreamTitle=" in it.
std::optional<std::string> ShoutcastTitle(std::string_view meta);

// The bitrate text StreamBitrate converts, from the ICY response headers if there are any,
// else from the HTTP ones; "" when they carry none (the caller then falls back).
std::string BitrateText(const std::optional<std::string>& icy,
                        const std::optional<std::string>& http);

// Reads the title now playing on StreamChannel and sends it (STATUS_TITLE_WMA or STATUS_TITLE).
void ReadStreamTitle();
// The same for one channel and kind, sent with the given generation (the worker's own call).
void ReadStreamTitle(HSTREAM channel, bool isWma, std::uint64_t generation);
// Sync callback for META, OGG change and WMA META: reads the title.
void OnMetaSync(HSYNC handle, DWORD channel, DWORD data, void* user);
// Sync callback for WMA change: sends the "title=" and "author=" entries of the WMA tags.
void OnWmaChangeSync(HSYNC handle, DWORD channel, DWORD data, void* user);
// Download callback: a server text (length 0) is sent as STATUS_DOWNLOAD.
void OnDownloadStatus(const void* buffer, DWORD length, void* user);

// "ogg", "mp3", "wma", "aac", "mp4" for StreamChannel's channel type, nullptr otherwise.
const char* StreamFormatName();
const char* StreamFormatName(HSTREAM channel);
// Bitrate in kbit/s from the ICY or HTTP headers, else from the decoded byte rate.
std::int32_t StreamBitrate();
std::int32_t StreamBitrate(HSTREAM channel);

// The part of text before the first separator (all of it when there is none).
std::string TextBefore(std::string_view text, char separator);
// At most 255 characters after the first separator (all of text when there is none).
std::string TextAfter(std::string_view text, char separator);
// An optional sign followed by decimal digits, as a 32-bit number; anything else or
// overflow gives 0.
std::int32_t WholeNumber(std::string_view text);

}  // namespace stream
