// Splits an MMSH reply body into its chunks.
//
// Every chunk starts with a two-byte type ("$H" header, "$D" data, "$C" stream change,
// "$E" end; the frame byte may also be 0xA4) and a little-endian 16-bit length that covers
// an extension header (8 bytes for $H and $D, 4 for $C and $E) and the payload. Chunk types
// not known here are skipped whole. A frame byte that is neither, or a length shorter than
// its extension header, means the body is not MMSH framing (or lost its place): the reader
// then refuses everything after it. Only the network thread uses a reader.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace engine {

class MmshChunks {
 public:
  enum class Type : char { kHeader = 'H', kData = 'D', kChange = 'C', kEnd = 'E' };
  // The payload of one chunk of a known type; false stops the feed.
  using Sink = std::function<bool(Type type, std::string_view payload)>;

  // Feeds body bytes in any pieces. False when the framing is broken or the sink said stop.
  bool Feed(const char* data, std::size_t size, const Sink& sink);
  bool Broken() const { return broken_; }

 private:
  std::string pending_;  // at most one chunk head and one chunk (< 64 KiB + 4)
  bool broken_ = false;
};

}  // namespace engine
