// The MMSH de-framer, the ASF header reader and the script-command reader on any bytes in any
// chunking: payloads never exceed their input, a read header's packet size is bounded, and
// the texts handed on are whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/real/AsfHeader.h"
#include "engine/real/AsfScript.h"
#include "engine/real/MmshChunks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t chunk = data[0] % 97 + 1;
  const int scriptStream = data[1] % 128;
  data += 2;
  size -= 2;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // The body as chunks; each header payload is also read as a header, each data payload as a
  // packet of a script stream.
  engine::MmshChunks chunks;
  engine::AsfScript script(scriptStream);
  std::size_t payloads = 0;
  for (std::size_t at = 0; at < size; at += chunk) {
    chunks.Feed(bytes.data() + at, std::min(chunk, size - at),
                [&](engine::MmshChunks::Type type, std::string_view payload) {
                  payloads += payload.size();
                  if (type == engine::MmshChunks::Type::kHeader) engine::ReadAsfHeader(payload);
                  if (type == engine::MmshChunks::Type::kData) {
                    script.Packet(payload, [](engine::ScriptCommand command) {
                      if (command.type.empty()) std::abort();
                    });
                  }
                  return true;
                });
  }
  if (payloads > size) std::abort();

  // The whole input as a header and as one packet.
  if (const auto header = engine::ReadAsfHeader(bytes)) {
    if (header->packetSize == 0 || header->packetSize > 64 * 1024 || header->size > size)
      std::abort();
    for (const auto& stream : header->streams) {
      if (stream.number < 1 || stream.number > 127) std::abort();
    }
  }
  script.Packet(bytes, [](engine::ScriptCommand command) {
    if (command.type.size() + command.parameter.size() > 3 * 64 * 1024) std::abort();
  });
  return 0;
}
