// The hand-off message reader fed arbitrary bytes in arbitrary pieces: it never crashes, never
// keeps more than the bounded path, and a complete message is exactly what was sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/HandoffMessage.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses how the rest arrives: in pieces of 1 to 256 bytes.
  const std::size_t piece = std::size_t{data[0]} + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  using State = app::HandoffReader::State;
  app::HandoffReader reader;
  State last = State::kNeedMore;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    const State now = reader.Feed(bytes.substr(at, piece));
    if (last == State::kMalformed || last == State::kOversized) Check(now == last);
    last = now;
  }
  Check(reader.path().size() <= app::kMaxHandoffPath);
  if (last == State::kComplete) Check(app::EncodeHandoff(reader.path()) == std::string(bytes));

  // Whatever is sent arrives whole.
  if (const auto message = app::EncodeHandoff(bytes)) {
    app::HandoffReader roundTrip;
    for (std::size_t at = 0; at < message->size(); at += piece) {
      roundTrip.Feed(std::string_view(*message).substr(at, piece));
    }
    Check(roundTrip.state() == State::kComplete && roundTrip.path() == bytes);
  }
  return 0;
}
