// The Shoutcast de-interleaver with any metaint and any chunking: audio and metadata together
// never exceed the input, and every text stops before a NUL and fits one block.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/real/IcyReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t metaint = (data[0] | data[1] << 8) % 4097;  // 0 = no metadata
  const std::size_t chunk = data[2] % 64 + 1;
  data += 3;
  size -= 3;
  engine::IcyReader reader(metaint);
  std::size_t audio = 0;
  std::size_t meta = 0;
  for (std::size_t at = 0; at < size; at += chunk) {
    const std::size_t n = std::min(chunk, size - at);
    reader.Feed(
        reinterpret_cast<const char*>(data + at), n,
        [&](const char*, std::size_t bytes) {
          audio += bytes;
          return true;
        },
        [&](std::string text) {
          if (text.empty() || text.size() > 255 * 16 || text.find('\0') != std::string::npos)
            std::abort();
          meta += text.size();
        });
  }
  if (audio + meta > size) std::abort();
  if (metaint == 0 && audio != size) std::abort();
  return 0;
}
