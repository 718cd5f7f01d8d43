// What the engine's integration tests share: the local stream server as a child process, and
// analysis of the sound SDL's disk driver captured.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ServerProcess.h"

namespace enginetest {

// stream_server.py on a free loopback port, stopped by its PID.
class Server {
 public:
  // Throws when the server does not come up in time.
  explicit Server(const std::vector<std::string>& args);

  int Port() const { return process_.Port(); }
  std::string Url(const std::string& path) const { return process_.Url(path); }

 private:
  test_support::ServerProcess process_;
};

// The folder with the generated tone fixtures (see make_engine_fixtures.sh).
std::string FixtureDir();

// Polls `done` every 10 ms until it holds or `limit` passes.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(15));

// Stereo 16-bit frames of a capture, left channel only.
std::vector<std::int16_t> ReadLeft(const std::string& path, std::size_t fromFrame = 0,
                                   std::size_t toFrame = SIZE_MAX);
std::size_t FileFrames(const std::string& path);
// The frequency (10 Hz steps, 200-2000 Hz) with the most energy in the middle of the
// non-silent part.
int DominantFrequency(const std::vector<std::int16_t>& samples, int rate);
int Peak(const std::vector<std::int16_t>& samples);

}  // namespace enginetest
