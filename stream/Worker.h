// The stream connection worker and the one way to start it.
#pragma once

#include <cstdint>
#include <string>

namespace stream {

// Window's thread only (station selection, play, watchdog): stops the engine's output, starts
// StreamThread on a detached thread with its own copy of address and a new generation (which
// supersedes every older worker), records WorkerThread and WorkerThreadId, resumes the output.
// Returns at once, never waiting for any worker.
void StartWorker(const std::string& address);

// One connection attempt: frees the previous stream, connects, buffers with progress, reads
// the header tags, installs the title callbacks, reads the title, settles the station name
// and starts playback. Ends early, freeing the stream it created, once superseded. Returns 0.
int StreamThread(std::string address, std::uint64_t generation);

// Pause between two passes of the buffering loop.
constexpr int kBufferingPauseMs = 40;
// Buffering ends at the first pass that finds more than this share of the network buffer
// filled; a pass at exactly 75 % buffers on.
constexpr int kBufferedEnoughPercent = 75;

}  // namespace stream
