// What the engine has to say about its work, for a maintainer finding out why a station
// fails. Silent until the application connects a sink; the engine knows nothing of where the
// lines go.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace engine {

enum class LogArea { kNet, kDecode, kOutput };
enum class LogLevel { kInfo, kWarning };

using LogSink = std::function<void(LogArea, LogLevel, const std::string& text)>;

// Connects a sink, or with an empty one disconnects it. The sink is called on the engine's
// threads, one line at a time, and must not call back into the engine.
void SetLogSink(LogSink sink);
// Whether a sink is connected: callers skip building texts nobody reads.
bool LogEnabled();
// Hands a line to the sink. Bounded so that a misbehaving stream cannot flood the log: a line
// repeated back to back is counted rather than written, and each area writes at most a few
// dozen lines in ten seconds, saying afterwards how many it left out.
void Log(LogArea area, LogLevel level, std::string_view text);

// A maintainer's words for an engine error code.
const char* ErrorText(int code);

}  // namespace engine
