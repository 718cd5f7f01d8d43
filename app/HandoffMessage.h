// The hand-off message a second start sends to a running player: a 4-byte marker, the path's
// length as a 4-byte big-endian number, then the path's bytes. The receiver answers one
// acknowledgement byte once the path has been opened (or the attempt raised an error).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

inline constexpr std::string_view kHandoffMarker = "TVN1";
inline constexpr std::size_t kHandoffHeaderSize = 8;
// Longer than any path the system accepts (PATH_MAX is 4096), small enough to hold in memory.
inline constexpr std::size_t kMaxHandoffPath = 32 * 1024;
inline constexpr char kHandoffAck = '\x06';

// The message for path; nullopt when it is empty, too long or holds a NUL.
std::optional<std::string> EncodeHandoff(std::string_view path);

// Reads one message from bytes arriving in any number of pieces. Everything is checked as soon
// as it arrives, so an oversized or malformed message is refused before its body is read.
class HandoffReader {
 public:
  enum class State { kNeedMore, kComplete, kMalformed, kOversized };

  // Takes the next piece; returns the state after it. Bytes after a complete message make it
  // malformed. Once malformed or oversized, the reader stays so.
  State Feed(std::string_view bytes);
  State state() const { return state_; }
  // The path, valid once complete.
  const std::string& path() const { return path_; }

 private:
  State CheckHeader();

  State state_ = State::kNeedMore;
  std::string header_;
  std::uint32_t length_ = 0;
  std::string path_;
};

}  // namespace app
