// The stream state shared by the window, the connection workers and the engine callbacks.
//
// Handles and flags are atomics: the engine callbacks read them on the engine's threads.
// A worker sets StreamChannel and IsWmaStream on the window's thread through its status send,
// so a superseded worker can never overwrite them; it clears WorkerThread only while that
// still names it.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/bass.h"

// The engine's handle of the current stream, 0 when none.
extern std::atomic<HSTREAM> StreamChannel;
// Whether the current stream carries WMA header tags.
extern std::atomic<bool> IsWmaStream;
// The channel information record the worker shows the sample rate and channel mode from.
// All fields 0 before the first successful query. Window's thread only.
extern BASS_CHANNELINFO ChannelInfo;
// The last worker started: its generation (never 0) while it runs, 0 once it has ended.
extern std::atomic<std::uint64_t> WorkerThread;
// The last worker's thread id. Recorded for inspection only.
extern std::atomic<std::thread::id> WorkerThreadId;

namespace stream {

// The generation of the newest worker started (0 before the first). Only StartWorker, on the
// window's thread, raises it; a worker whose generation differs has been superseded.
std::uint64_t CurrentGeneration();
// Raises the generation and returns the new one. StartWorker only.
std::uint64_t NextGeneration();
inline bool Superseded(std::uint64_t generation) {
  return generation != CurrentGeneration();
}

// Window's thread: a fresh session. Supersedes every worker, then empties the station texts
// (sources/Station.h), NowPlaying and everything above. The one list of the session's storage.
void ResetSession();

}  // namespace stream
