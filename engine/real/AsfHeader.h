// Reads what the network side needs from an ASF header: the data packet size, the streams
// with their bit rates, and the texts of the content descriptions.
//
// The header is outside input (a server's $H chunk): every length is checked against the
// bytes given, and a header that does not hold together is refused as a whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/real/StreamTags.h"

namespace engine {

struct AsfStream {
  enum class Kind { kAudio, kScript, kOther };
  int number = 0;  // 1..127
  Kind kind = Kind::kOther;
  std::uint32_t bitrate = 0;  // bits per second; 0 when the header does not say
};

// A script command: a type ("TITLE", "CAPTION", "TEXT", "URL", ...) and its parameter.
struct ScriptCommand {
  std::string type;          // as UTF-8, as sent
  std::string parameter;     // as UTF-8
  std::uint32_t timeMs = 0;  // when it is due (commands of the header only)
};

struct AsfHeader {
  static constexpr std::size_t kMaxBytes = 1 << 20;
  static constexpr std::size_t kMaxScripts = 1024;

  std::uint64_t size = 0;              // of the header object, from its own size field
  std::uint32_t packetSize = 0;        // every data packet is padded to this
  std::uint32_t maxBitrate = 0;        // of the whole file
  std::vector<AsfStream> streams;      // in header order
  TagEntries tags;                     // title, author, ... then the extended entries, as UTF-8
  std::vector<ScriptCommand> scripts;  // of the script command object, in time order
};

// The size of the header object named by its first 24 bytes, when they are an ASF header
// object's; lets a reader that collects chunks know when the header is complete.
std::optional<std::uint64_t> AsfHeaderSize(std::string_view bytes);
std::optional<AsfHeader> ReadAsfHeader(std::string_view bytes);
// The audio stream to ask the server for: the highest bit rate, the first one on a tie.
const AsfStream* BestAudioStream(const AsfHeader& header);
// Little-endian UTF-16 to UTF-8, stopping at the first NUL; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes);

}  // namespace engine
