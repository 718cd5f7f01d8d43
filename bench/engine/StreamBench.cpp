// Plays one stream address with the engine for a given time and prints when the first audio
// came out. CPU and memory are measured from outside (run_engine_bench.py).
//
//   engine_stream_bench URL SECONDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "engine/bass.h"
#include "stream/EngineSettings.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s URL SECONDS\n", argv[0]);
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  const auto seconds = std::chrono::seconds(std::atoi(argv[2]));
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    std::fprintf(stderr, "no output: error %d\n", BASS_ErrorGetCode());
    return 1;
  }
  stream::ConfigureEngine();
  const auto start = Clock::now();
  const HSTREAM stream = BASS_StreamCreateURL(argv[1], 0, BASS_STREAM_BLOCK, nullptr, nullptr);
  if (!stream) {
    std::fprintf(stderr, "stream failed: error %d\n", BASS_ErrorGetCode());
    return 1;
  }
  const auto created = Clock::now();
  BASS_ChannelPlay(stream, kFalse);
  // The first non-zero level is the first period the output mixed from this stream.
  auto firstAudio = Clock::time_point{};
  while (Clock::now() - start < seconds) {
    const DWORD level = BASS_ChannelGetLevel(stream);
    if (firstAudio == Clock::time_point{} && level != ~DWORD{0} && level != 0) {
      firstAudio = Clock::now();
    }
    std::this_thread::sleep_for(firstAudio == Clock::time_point{} ? std::chrono::milliseconds(1)
                                                                  : std::chrono::milliseconds(100));
  }
  const auto ms = [&](Clock::time_point t) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count());
  };
  std::printf("creation returned after %ld ms\n", ms(created));
  if (firstAudio != Clock::time_point{})
    std::printf("first audio out after %ld ms\n", ms(firstAudio));
  else
    std::printf("no audio came out\n");
  BASS_StreamFree(stream);
  BASS_Free();
  return 0;
}
