// One GET of an HLS playlist or segment on its stream's network thread: the whole body in
// memory, bounded in size and in time, abandoned at once when the stream dies.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

struct HlsReply {
  int error = BASS_OK;  // the engine error code when the GET failed
  std::string url;      // the final address, after redirects
  std::string headers;  // the final reply's header lines as a tag series
  std::string body;
};

// `limit`: the most body bytes accepted; `within`: how long the whole GET may take beyond
// the connection time-out.
HlsReply FetchWhole(Stream& stream, const std::string& url, std::size_t limit,
                    std::chrono::milliseconds within);

}  // namespace engine
