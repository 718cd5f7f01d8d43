// The decoder thread: FFmpeg reads the byte ring through a custom AVIOContext (the one
// connection, no second request), decodes, resamples to the output's stereo 16-bit format and
// fills the PCM ring. It also turns Ogg comments and ASF header tags into the stream's tags.
#pragma once

#include <memory>
#include <string_view>

#include "engine/real/Stream.h"

namespace engine {

void RunDecoder(std::shared_ptr<Stream> stream);

// FFmpeg's input format name for a Content-Type, or nullptr to probe. Naming it skips the
// probe, which for MP3 waits for far more data than a live station's burst.
const char* InputFormatFor(std::string_view contentType);

}  // namespace engine
