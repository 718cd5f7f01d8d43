// The network thread: connects, follows playlists met at the address, and feeds the stream's
// byte ring until the server ends or the stream dies.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

void RunNetwork(std::shared_ptr<Stream> stream);

// http:// or https://, the only schemes streams are fetched with.
bool IsStreamAddress(const std::string& url);

// The engine error code for a failed transfer.
int ErrorForCurl(CURLcode code);

}  // namespace engine
