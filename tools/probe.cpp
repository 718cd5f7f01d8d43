// Opens a stream address with the engine and prints what the player would see: the header
// tags, the format, each title as it changes, and the state and levels once a second.
//
//   talvoranest-probe [--no-play] [--seconds N] [--timeout MS] URL
//
// Exit code: 0 when the stream opened, 1 when it failed, 2 for a usage error.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "engine/Log.h"
#include "engine/bass.h"
#include "stream/EngineSettings.h"
#include "stream/TagText.h"

namespace {

std::string FormatText(DWORD ctype) {
  const char* name = stream::FormatNameOfType(ctype);
  return name ? name : "other";
}

struct Options {
  bool play = true;
  int seconds = 10;
  DWORD timeoutMs = stream::kConnectTimeoutMs;
  const char* url = nullptr;
};

std::mutex printMutex;

void Print(const std::string& line) {
  std::lock_guard lock(printMutex);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

const char* StateName(DWORD state) {
  switch (state) {
    case BASS_ACTIVE_PLAYING:
      return "playing";
    case BASS_ACTIVE_STALLED:
      return "stalled";
    case BASS_ACTIVE_PAUSED:
      return "paused";
    default:
      return "stopped";
  }
}

void PrintSeries(const char* title, const std::optional<std::string>& series) {
  if (!series) return;
  Print(std::string(title) + ":");
  for (std::string_view entry : engine::SeriesEntries(*series)) Print("  " + std::string(entry));
}

void OnDownload(const void* buffer, DWORD length, void*) {
  if (buffer && length == 0) Print(std::string("status: ") + static_cast<const char*>(buffer));
}

void OnTitle(HSYNC, DWORD channel, DWORD, void*) {
  for (DWORD type : {BASS_TAG_META, BASS_TAG_WMA_META}) {
    if (auto text = BASS_ChannelGetTags(channel, type))
      Print("title: " + text->substr(0, text->find('\0')));
  }
}

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--no-play") {
      options.play = false;
    } else if (arg == "--seconds" && i + 1 < argc) {
      options.seconds = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && i + 1 < argc) {
      options.timeoutMs = static_cast<DWORD>(std::atoi(argv[++i]));
    } else if (!arg.starts_with("--") && !options.url) {
      options.url = argv[i];
    } else {
      return false;
    }
  }
  return options.url != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--no-play] [--seconds N] [--timeout MS] URL\n", argv[0]);
    return 2;
  }
  // The engine's own account of what went wrong, as the player logs it when asked to.
  engine::SetLogSink([](engine::LogArea area, engine::LogLevel, const std::string& text) {
    static const char* const kAreas[] = {"net", "decode", "output"};
    Print(std::string("log [") + kAreas[static_cast<int>(area)] + "]: " + text);
  });
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    const int code = BASS_ErrorGetCode();
    Print("error " + std::to_string(code) + ": " + engine::ErrorText(code));
    return 1;
  }
  stream::ConfigureEngine(options.timeoutMs);

  const auto start = std::chrono::steady_clock::now();
  const HSTREAM stream = BASS_StreamCreateURL(
      options.url, 0, BASS_STREAM_BLOCK | BASS_STREAM_STATUS, OnDownload, nullptr);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  if (!stream) {
    const int code = BASS_ErrorGetCode();
    Print("error " + std::to_string(code) + ": " + engine::ErrorText(code) + " (after " +
          std::to_string(elapsed.count()) + " ms)");
    BASS_Free();
    return 1;
  }
  Print("opened in " + std::to_string(elapsed.count()) + " ms");
  PrintSeries("ICY headers", BASS_ChannelGetTags(stream, BASS_TAG_ICY));
  PrintSeries("HTTP headers", BASS_ChannelGetTags(stream, BASS_TAG_HTTP));
  PrintSeries("Ogg comments", BASS_ChannelGetTags(stream, BASS_TAG_OGG));
  PrintSeries("WMA tags", BASS_ChannelGetTags(stream, BASS_TAG_WMA));
  BASS_CHANNELINFO info;
  BASS_ChannelGetInfo(stream, &info);
  Print("format: " + FormatText(info.ctype) + ", " + std::to_string(info.freq) + " Hz, " +
        std::to_string(info.chans) + " channel(s)");
  Print("buffer: " + std::to_string(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END)) +
        " bytes");
  for (DWORD type : {BASS_SYNC_META, BASS_SYNC_OGG_CHANGE, BASS_SYNC_WMA_META})
    BASS_ChannelSetSync(stream, type, 0, OnTitle, nullptr);
  OnTitle(0, stream, 0, nullptr);
  if (options.play) BASS_ChannelPlay(stream, kFalse);

  for (int second = 1; second <= options.seconds; ++second) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const DWORD state = BASS_ChannelIsActive(stream);
    const DWORD level = BASS_ChannelGetLevel(stream);
    const QWORD fill = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_DOWNLOAD) -
                       BASS_StreamGetFilePosition(stream, BASS_FILEPOS_CURRENT);
    const QWORD end = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END);
    std::string line = std::to_string(second) + "s: " + StateName(state);
    if (level != ~DWORD{0})
      line += ", level " + std::to_string(level & 0xFFFF) + "/" + std::to_string(level >> 16);
    if (end != kFilePosError && end != 0)
      line += ", buffer " + std::to_string(fill * 100 / end) + "%";
    Print(line);
    if (state == BASS_ACTIVE_STOPPED && options.play) break;
  }
  BASS_StreamFree(stream);
  BASS_Free();
  return 0;
}
