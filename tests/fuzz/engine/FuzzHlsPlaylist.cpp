// The HLS playlist reader on arbitrary bodies: never crashes, keeps to its bounds, and every
// address it leads to resolves to an absolute http(s) address or to nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/real/HlsPlaylist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  engine::LooksLikeHls(body);
  const auto playlist = engine::ParseHls(body);
  if (!playlist) return 0;
  if (playlist->segments.size() > engine::HlsPlaylist::kMaxEntries ||
      playlist->variants.size() > engine::HlsPlaylist::kMaxEntries)
    std::abort();
  const std::string base = "https://example.com/live/index.m3u8";
  const auto check = [&](const std::string& reference) {
    const auto url = engine::ResolveHlsUri(base, reference);
    if (url && url->rfind("http://", 0) != 0 && url->rfind("https://", 0) != 0) std::abort();
  };
  if (playlist->master) {
    if (const auto choice = engine::ChooseAudio(*playlist)) check(*choice);
    return 0;
  }
  const auto start = engine::LiveStartIndex(*playlist);
  if (start > playlist->segments.size() ||
      (!playlist->segments.empty() && start == playlist->segments.size()))
    std::abort();
  for (const auto& segment : playlist->segments) {
    if (!(segment.seconds >= 0)) std::abort();
    check(segment.uri);
  }
  return 0;
}
