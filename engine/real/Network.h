// The network thread: connects, follows playlists met at the address, and feeds the stream's
// byte ring until the server ends or the stream dies.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

#include "engine/real/Stream.h"

namespace engine {

void RunNetwork(std::shared_ptr<Stream> stream);

// http://, https://, and the Windows Media mms:// and mmsh://.
bool IsStreamAddress(const std::string& url);

// The engine error code for a failed transfer.
int ErrorForCurl(CURLcode code);

}  // namespace engine
