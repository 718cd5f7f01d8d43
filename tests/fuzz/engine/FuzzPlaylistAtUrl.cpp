// The playlist-at-address detector and reader on arbitrary bodies: never crashes, and an
// address it returns is an absolute http(s) address without NULs or line breaks.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/real/PlaylistAtUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
  const char* types[] = {"", "text/plain", "audio/x-scpls", "video/x-ms-asf", "audio/mpeg"};
  engine::ClassifyBody(types[data[0] % 5], body);
  const auto entry =
      engine::FirstPlaylistEntry(body, "http://example.com/dir/list.pls", data[0] & 0x80);
  if (entry) {
    if (entry->find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    if (entry->rfind("http://", 0) != 0 && entry->rfind("https://", 0) != 0 &&
        entry->find("://") == std::string::npos)
      std::abort();
  }
  return 0;
}
