// Finds the script commands of a live ASF broadcast in its data packets.
// (Files may carry theirs in the header instead: see AsfHeader's scripts.)
//
// Broadcasts carry live titles as samples of a script stream (a stream of the command media
// type): each sample holds two NUL-terminated UTF-16 texts, the command's type and its
// parameter ("TITLE", "CAPTION", "TEXT", "URL", ...). The reader walks every payload of a
// packet, keeps the fragments of the script stream's samples (bounded), and hands each whole
// sample on. Only the network thread uses a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/real/AsfHeader.h"

namespace engine {

class AsfScript {
 public:
  static constexpr std::size_t kMaxSampleBytes = 64 * 1024;
  using Sink = std::function<void(ScriptCommand command)>;

  explicit AsfScript(int streamNumber) : stream_(streamNumber) {}

  // One data packet padded to its full size. False when the packet does not hold together
  // (it is then skipped; the next one may well be fine).
  bool Packet(std::string_view packet, const Sink& sink);
  // The send time of the last packet that held together, in milliseconds.
  std::uint32_t SendTime() const { return sendTime_; }

 private:
  void Payload(std::uint32_t object, std::uint32_t offset, std::uint32_t objectSize,
               std::string_view data, const Sink& sink);
  void Sample(std::string_view sample, const Sink& sink);

  const int stream_;
  std::uint32_t object_ = 0;  // the media object being collected
  std::uint32_t objectSize_ = 0;
  std::string sample_;
  std::uint32_t sendTime_ = 0;
};

// The command as a title text, or empty when the command carries no title (a URL, an event).
std::string TitleOf(const ScriptCommand& command);

}  // namespace engine
