// Readers of what a stream carries: title, WMA header entries, server texts, format name and
// bitrate.
//
// The readers and callbacks act on the current StreamChannel and IsWmaStream, never on the
// channel an engine callback names. Callbacks run on engine threads and send with
// kAnyGeneration.
#pragma once

#include <cstdint>

#include "engine/bass.h"
#include "stream/TagText.h"

namespace stream {

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

}  // namespace stream
