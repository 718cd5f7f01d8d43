// The curl settings every request of a stream shares, whatever its producer: address, schemes,
// redirects, connection time-out, user agent and trusted authorities. Proxies come from the
// environment, as curl reads them by default.
#pragma once

#include <curl/curl.h>

#include <string>

#include "engine/real/Stream.h"

namespace engine {

// A new easy handle for `url` with those settings; nullptr when curl has no memory.
CURL* NewStreamRequest(const StreamOptions& options, const std::string& url);

}  // namespace engine
