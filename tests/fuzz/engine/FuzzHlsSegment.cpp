// The start of an HLS segment on arbitrary bytes, fed in two parts: the ID3 tags come off,
// and what goes on to the decoder is exactly the rest of the segment.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/real/HlsSegment.h"
#include "engine/real/Id3Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  engine::Id3TextEntries(bytes);
  const std::size_t split = data[0] % (bytes.size() + 1);
  engine::SegmentHead head;
  std::string out;
  const engine::SegmentHead::Sink sink = [&](const char* audio, std::size_t n) {
    out.append(audio, n);
    return true;
  };
  if (!head.Feed(bytes.data(), split, sink) ||
      !head.Feed(bytes.data() + split, bytes.size() - split, sink) || !head.Finish(sink))
    return 0;  // a tag beyond the limit
  if (out.size() > bytes.size() || bytes.substr(bytes.size() - out.size()) != out) std::abort();
  engine::SniffSegment(out);
  engine::ShoutcastTitle(head.Tags());
  return 0;
}
