#include "tests/integration/engine/Harness.h"

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace enginetest {

Server::Server(const std::vector<std::string>& args) : process_(TEST_SERVER, args) {
  if (process_.Port() <= 0) throw std::runtime_error("the stream server did not start in time");
}

std::string FixtureDir() {
  return ENGINE_FIXTURES;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::size_t FileFrames(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size) / 4 : 0;
}

std::vector<std::int16_t> ReadLeft(const std::string& path, std::size_t fromFrame,
                                   std::size_t toFrame) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::int16_t> left;
  file.seekg(static_cast<std::streamoff>(fromFrame * 4));
  std::int16_t frame[2];
  for (std::size_t at = fromFrame; at < toFrame && file.read(reinterpret_cast<char*>(frame), 4);
       ++at)
    left.push_back(frame[0]);
  return left;
}

namespace {

double Power(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count,
             double frequency, int rate) {
  const double coefficient = 2 * std::cos(2 * M_PI * frequency / rate);
  double s1 = 0, s2 = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    const double s0 = samples[i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

}  // namespace

int DominantFrequency(const std::vector<std::int16_t>& samples, int rate) {
  std::size_t first = samples.size(), last = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i]) > 200) {
      first = std::min(first, i);
      last = i;
    }
  }
  if (first >= last) return 0;
  const std::size_t count = std::min<std::size_t>(last - first, 16384);
  const std::size_t from = first + (last - first - count) / 2;
  int best = 0;
  double bestPower = 0;
  for (int f = 200; f <= 2000; f += 10) {
    const double power = Power(samples, from, count, f, rate);
    if (power > bestPower) {
      bestPower = power;
      best = f;
    }
  }
  return best;
}

int Peak(const std::vector<std::int16_t>& samples) {
  int peak = 0;
  for (auto s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

}  // namespace enginetest
