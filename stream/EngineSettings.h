// The engine settings the player runs with, applied in this order after the engine starts:
// playlists met at a stream address are followed, 500 ms playback buffer, 2 s network
// buffer, playback starts at 100 % of it, 20 s connection time-out, 4 update threads, and
// the player's user agent. The probe and the benchmarks use the same, so that what they
// measure is what a listener gets.
#pragma once

#include "engine/bass.h"

namespace stream {

constexpr DWORD kConnectTimeoutMs = 20000;

// timeoutMs: the connection time-out; only the probe asks for another one.
void ConfigureEngine(DWORD timeoutMs = kConnectTimeoutMs);

}  // namespace stream
