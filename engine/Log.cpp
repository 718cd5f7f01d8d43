#include "engine/Log.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "engine/bass.h"

namespace engine {
namespace {

constexpr auto kWindow = std::chrono::seconds(10);
constexpr int kLinesPerWindow = 40;
constexpr int kAreas = 3;

struct AreaBudget {
  std::chrono::steady_clock::time_point windowStart{};
  int written = 0;
  int leftOut = 0;
  std::string last;
  int repeats = 0;
};

struct LogState {
  std::mutex mutex;
  LogSink sink;                      // guarded by mutex
  AreaBudget areas[kAreas];          // guarded by mutex
  std::atomic<bool> enabled{false};  // whether sink is set, read without the lock
};

LogState& State() {
  static LogState state;
  return state;
}

}  // namespace

void SetLogSink(LogSink sink) {
  LogState& state = State();
  std::lock_guard lock(state.mutex);
  state.sink = std::move(sink);
  for (AreaBudget& area : state.areas) area = AreaBudget{};
  state.enabled = static_cast<bool>(state.sink);
}

bool LogEnabled() {
  return State().enabled.load(std::memory_order_relaxed);
}

void Log(LogArea area, LogLevel level, std::string_view text) {
  LogState& state = State();
  if (!LogEnabled()) return;
  std::lock_guard lock(state.mutex);
  if (!state.sink) return;
  AreaBudget& budget = state.areas[static_cast<int>(area) % kAreas];
  if (text == budget.last) {
    ++budget.repeats;
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - budget.windowStart >= kWindow) {
    if (budget.leftOut > 0)
      state.sink(area, LogLevel::kWarning,
                 std::to_string(budget.leftOut) + " more lines left out in the last 10 s");
    budget.windowStart = now;
    budget.written = 0;
    budget.leftOut = 0;
  }
  if (budget.repeats > 0) {
    state.sink(area, level, "last line repeated " + std::to_string(budget.repeats) + " times");
    budget.repeats = 0;
  }
  budget.last.assign(text);
  if (budget.written >= kLinesPerWindow) {
    ++budget.leftOut;
    return;
  }
  ++budget.written;
  state.sink(area, level, budget.last);
}

const char* ErrorText(int code) {
  switch (code) {
    case BASS_OK:
      return "no error";
    case BASS_ERROR_INIT:
      return "the engine is not initialised";
    case BASS_ERROR_FILEOPEN:
      return "connection refused or the address cannot be opened";
    case BASS_ERROR_DRIVER:
      return "no sound output device";
    case BASS_ERROR_MEM:
      return "out of memory, or the reply exceeded a size limit";
    case BASS_ERROR_SSL:
      return "TLS handshake or certificate failure";
    case BASS_ERROR_NONET:
      return "host name could not be resolved";
    case BASS_ERROR_TIMEOUT:
      return "timed out";
    case BASS_ERROR_FILEFORM:
      return "not a stream in a known format";
    case BASS_ERROR_CODEC:
      return "no decoder for the stream's codec";
    case BASS_ERROR_HTTP:
      return "the server answered with an error status";
    case BASS_ERROR_PLAYLIST:
      return "playlist at the address was empty, too deep or a loop";
    case BASS_ERROR_PROTOCOL:
      return "the stream is encrypted";
    default:
      return "unknown error";
  }
}

}  // namespace engine
