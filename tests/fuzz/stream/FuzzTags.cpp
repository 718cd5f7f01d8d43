// The tag readers get the fuzzer's bytes as an engine tag block. The first byte picks the
// reader; the rest is the block, NULs included.
#include <cstddef>
#include <cstdint>
#include <string>

#include "stream/TagText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string block(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      stream::ShoutcastTitle(stream::FirstText(block));
      break;
    case 1:
      for (std::string_view entry : engine::SeriesEntries(block)) {
        stream::TextBefore(entry, ':');
        stream::TextAfter(entry, ':');
      }
      break;
    case 2:
      stream::WholeNumber(stream::BitrateText(block, std::nullopt));
      break;
    default:
      stream::WholeNumber(stream::BitrateText(std::nullopt, block));
      break;
  }
  return 0;
}
