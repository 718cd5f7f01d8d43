// The HLS producer: follows a live (or ended) media playlist and writes its segments one after
// another into the stream's byte ring, so the decoder reads one continuous stream.
//
// Runs on the stream's network thread, which owns every curl handle used here. A master
// playlist is resolved to one audio playlist first; titles in the segments' ID3 tags become
// ring marks that take effect when the decoder reaches their segment.
#pragma once

#include <memory>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

// `url`: the final address of the reply whose `body` was recognised as HLS; `headers`: that
// reply's header lines as a tag series. Returns when the playlist ended, failed or the stream
// died; the caller ends the ring.
void RunHls(const std::shared_ptr<Stream>& stream, std::string url, std::string body,
            std::string headers);

}  // namespace engine
