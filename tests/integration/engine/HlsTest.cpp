// HLS stations: live playlists from the test server (packed audio with ID3 titles, master,
// discontinuity, end, stall, a lost segment, encryption) and a real packager's live output.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include "tests/integration/engine/EngineTestBase.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace enginetest {
namespace {

using namespace std::chrono_literals;

constexpr DWORD kAutoFree = BASS_STREAM_BLOCK | BASS_STREAM_STATUS | BASS_STREAM_AUTOFREE;

// A child process of the test, stopped by its PID.
class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The server's request log, one JSON object a line.
std::string RequestLog(const Server& server) {
  const std::string command =
      "python3 -c 'import sys,urllib.request;sys.stdout.write(urllib.request.urlopen(sys.argv[1],"
      "timeout=10).read().decode())' '" +
      server.Url("/_log") + "'";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// The numbers of the segments requested, in request order; `pattern` captures the number.
std::vector<int> SegmentsRequested(const std::string& log, const std::string& pattern) {
  std::vector<int> numbers;
  const std::regex expression(pattern);
  for (std::sregex_iterator it(log.begin(), log.end(), expression), end; it != end; ++it)
    numbers.push_back(std::stoi((*it)[1]));
  return numbers;
}

// Each segment once, in order, none left out but `lost`.
void ExpectNoReplayNoSkip(const std::vector<int>& numbers, int lost = -1) {
  ASSERT_FALSE(numbers.empty());
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    const int step = numbers[i - 1] + 1 == lost ? 2 : 1;
    EXPECT_TRUE(numbers[i] == numbers[i - 1] + 1 || numbers[i] == numbers[i - 1] + step)
        << "segment " << numbers[i] << " after " << numbers[i - 1];
  }
}

struct Titles {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::size_t>> seen;  // title, captured frames by then
  std::string capture;
};

void OnTitle(HSYNC, DWORD channel, DWORD, void* user) {
  auto* titles = static_cast<Titles*>(user);
  auto meta = BASS_ChannelGetTags(channel, BASS_TAG_META);
  std::lock_guard lock(titles->mutex);
  if (meta) titles->seen.emplace_back(*meta, FileFrames(titles->capture));
}

double Goertzel(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count,
                double frequency, int rate) {
  const double coefficient = 2 * std::cos(2 * M_PI * frequency / rate);
  double s1 = 0, s2 = 0;
  for (std::size_t i = from; i < from + count && i < samples.size(); ++i) {
    const double s0 = samples[i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

// The first frame from which `to` outweighs `from` for good, in 1024-frame steps.
std::size_t ToneSwitch(const std::vector<std::int16_t>& left, int from, int to, int rate) {
  constexpr std::size_t kStep = 1024;
  std::size_t candidate = SIZE_MAX;
  for (std::size_t at = 0; at + kStep <= left.size(); at += kStep) {
    const bool after = Goertzel(left, at, kStep, to, rate) > Goertzel(left, at, kStep, from, rate);
    if (after && candidate == SIZE_MAX) candidate = at;
    if (!after) candidate = SIZE_MAX;
  }
  return candidate;
}

// Share of 10 ms windows from the first sound to `frames` later that carry the tone.
double Coverage(const std::vector<std::int16_t>& left, std::size_t frames) {
  std::size_t first = 0;
  while (first < left.size() && std::abs(left[first]) < 200) ++first;
  constexpr std::size_t kWindow = 441;
  std::size_t covered = 0, windows = 0;
  for (std::size_t at = first; at + kWindow <= first + frames; at += kWindow, ++windows) {
    if (at + kWindow <= left.size() &&
        Peak(std::vector<std::int16_t>(left.begin() + at, left.begin() + at + kWindow)) > 1000)
      ++covered;
  }
  return windows ? static_cast<double>(covered) / windows : 0;
}

class HlsTest : public EngineTest {};

// A new title takes effect when its segment plays, not when it is downloaded: here the first
// segment of a new song is also the first of a new encoding (AAC 550 Hz, then MP3 440 Hz, after
// a discontinuity), so the sound tells when it played. The decoder restarts and goes on.
TEST_F(HlsTest, TitleChangesWhenItsSegmentPlaysAndDiscontinuityRestartsTheDecoder) {
  const HSTREAM stream = Open("/hls/live.m3u8?fmt=aac&fmt2=mp3&titles=1&title_every=4&disc_at=8");
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_AAC);
  const auto http = BASS_ChannelGetTags(stream, BASS_TAG_HTTP);
  ASSERT_TRUE(http);
  EXPECT_NE(http->find("Content-Type: application/vnd.apple.mpegurl"), std::string::npos);
  EXPECT_EQ(BASS_ChannelGetTags(stream, BASS_TAG_META).value_or(""),
            "StreamTitle='Artist - Song 0';");

  Titles titles;
  titles.capture = capture_;
  BASS_ChannelSetSync(stream, BASS_SYNC_META, 0, OnTitle, &titles);
  BASS_ChannelPlay(stream, kFalse);
  const auto seen = [&](const std::string& title) {
    std::lock_guard lock(titles.mutex);
    for (const auto& [text, frames] : titles.seen) {
      if (text == title) return frames;
    }
    return std::size_t{0};
  };
  ASSERT_TRUE(WaitUntil([&] { return seen("StreamTitle='Artist - Song 2';") > 0; }, 20s));
  const std::size_t songTwoAt = seen("StreamTitle='Artist - Song 2';");
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > songTwoAt + 3 * kRate; }));
  CloseOutput();

  const auto left = ReadLeft(capture_);
  const std::size_t switched = ToneSwitch(left, 550, 440, kRate);
  ASSERT_NE(switched, SIZE_MAX);
  // The sync fired within the PCM ring's and SDL's lag of the sound; the download ran two
  // seconds and more ahead (the network buffer).
  EXPECT_NEAR(static_cast<double>(songTwoAt), static_cast<double>(switched), 0.8 * kRate);
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_, switched + kRate / 2), kRate), 440);
  EXPECT_GT(Peak(ReadLeft(capture_, left.size() - kRate / 2)), 1000);  // still playing
  {
    std::lock_guard lock(titles.mutex);
    for (std::size_t i = 1; i < titles.seen.size(); ++i)
      EXPECT_NE(titles.seen[i].first, titles.seen[i - 1].first) << "only a change fires";
  }
  ExpectNoReplayNoSkip(SegmentsRequested(RequestLog(*server_), R"("path": "/hls/seg/(\d+)\.)"));
}

// Of two variants the richer one plays; its address is relative to the master's final,
// redirected address.
TEST_F(HlsTest, MasterPlaylistPlaysTheRicherVariant) {
  const HSTREAM stream = Open("/redirect?to=/hls/master.m3u8");
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  BASS_ChannelPlay(stream, kFalse);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > kRate; }));
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_), kRate), 550);
  const auto log = RequestLog(*server_);
  EXPECT_NE(log.find(R"("path": "/hls/live.m3u8")"), std::string::npos);
  EXPECT_EQ(log.find("fmt=mp3"), std::string::npos);
}

// An ended playlist ends the stream; one that stops advancing stalls it and, after eight
// target durations without news, ends it too. A lost segment is passed over.
TEST_F(HlsTest, EndedOrStalledPlaylistsEndTheStreamALostSegmentDoesNot) {
  struct Case {
    const char* query;
    bool stallsFirst;
  };
  for (const Case& c : {Case{"end_at=7", false}, Case{"stall_at=6", true}}) {
    const HSTREAM stream = Open(std::string("/hls/live.m3u8?") + c.query, kAutoFree);
    ASSERT_NE(stream, 0u) << c.query << ": " << BASS_ErrorGetCode();
    BASS_ChannelPlay(stream, kFalse);
    if (c.stallsFirst) {
      EXPECT_TRUE(
          WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STALLED; }, 20s))
          << c.query;
    }
    EXPECT_TRUE(WaitUntil([&] { return !BASS_ChannelGetTags(stream, BASS_TAG_HTTP); }, 30s))
        << c.query << ": freed at its end";
  }

  const HSTREAM stream = Open("/hls/live.m3u8?missing=12");
  ASSERT_NE(stream, 0u);
  BASS_ChannelPlay(stream, kFalse);
  const auto pattern = std::string(R"("path": "/hls/seg/(\d+)\.aac", "query": \{"missing")");
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto numbers = SegmentsRequested(RequestLog(*server_), pattern);
        return !numbers.empty() && numbers.back() >= 14;
      },
      30s));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  ExpectNoReplayNoSkip(SegmentsRequested(RequestLog(*server_), pattern), 12);
}

TEST_F(HlsTest, EncryptedStreamFailsWithItsCode) {
  EXPECT_EQ(Open("/hls/live.m3u8?key=1"), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_PROTOCOL);
}

// A real packager's live output (MPEG-TS segments with AAC) plays for a minute without a gap
// at any segment boundary, at the right pitch, each segment fetched once.
TEST_F(HlsTest, PackagersLiveOutputPlaysAMinuteWithoutGaps) {
  const TempFolder temp;
  const std::string& dir = temp.path();
  Child packager({"ffmpeg",
                  "-nostdin",
                  "-hide_banner",
                  "-loglevel",
                  "error",
                  "-re",
                  "-f",
                  "lavfi",
                  "-i",
                  "sine=frequency=440:sample_rate=44100:duration=100",
                  "-ac",
                  "2",
                  "-c:a",
                  "aac",
                  "-b:a",
                  "96k",
                  "-f",
                  "hls",
                  "-hls_time",
                  "2",
                  "-hls_list_size",
                  "6",
                  "-hls_flags",
                  "delete_segments+temp_file",
                  dir + "/live.m3u8"});
  ASSERT_TRUE(packager.Running());
  Server files({"--files", dir});
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto playlist = Slurp(dir + "/live.m3u8");
        return SegmentsRequested(playlist, R"(live(\d+)\.ts)").size() >= 3;
      },
      30s));
  const HSTREAM stream = BASS_StreamCreateURL(files.Url("/files/live.m3u8").c_str(), 0,
                                              BASS_STREAM_BLOCK, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  // The capture has run silent since the set-up, while the packager made its first segments.
  const std::size_t silent = FileFrames(capture_);
  BASS_ChannelPlay(stream, kFalse);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > silent + 61 * kRate; }, 90s));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
  CloseOutput();

  const auto left = ReadLeft(capture_);
  const double coverage = Coverage(left, 60 * kRate);
  std::printf("coverage over 60 s: %.4f\n", coverage);
  EXPECT_GT(coverage, 0.99);
  EXPECT_EQ(DominantFrequency(left, kRate), 440);
  ExpectNoReplayNoSkip(SegmentsRequested(RequestLog(files), R"("path": "/files/live(\d+)\.ts")"));
}

// fMP4 segments behind their initialisation section (EXT-X-MAP), in an ended playlist: played
// through, then the stream ends and frees itself.
TEST_F(HlsTest, PackagersFragmentedMp4PlaysToItsEnd) {
  const TempFolder temp;
  {
    Child packager({"ffmpeg",
                    "-nostdin",
                    "-hide_banner",
                    "-loglevel",
                    "error",
                    "-f",
                    "lavfi",
                    "-i",
                    "sine=frequency=660:sample_rate=44100:duration=4",
                    "-ac",
                    "2",
                    "-c:a",
                    "aac",
                    "-b:a",
                    "96k",
                    "-f",
                    "hls",
                    "-hls_time",
                    "1",
                    "-hls_segment_type",
                    "fmp4",
                    "-hls_playlist_type",
                    "vod",
                    temp.path() + "/vod.m3u8"});
    ASSERT_TRUE(WaitUntil(
        [&] {
          return Slurp(temp.path() + "/vod.m3u8").find("#EXT-X-ENDLIST") != std::string::npos;
        },
        20s));
  }
  Server files({"--files", temp.path()});
  const HSTREAM stream =
      BASS_StreamCreateURL(files.Url("/files/vod.m3u8").c_str(), 0, kAutoFree, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_MP4);
  BASS_ChannelPlay(stream, kFalse);
  EXPECT_TRUE(WaitUntil([&] { return !BASS_ChannelGetTags(stream, BASS_TAG_HTTP); }, 20s));
  CloseOutput();
  const auto left = ReadLeft(capture_);
  EXPECT_EQ(DominantFrequency(left, kRate), 660);
  std::size_t sounding = 0;
  for (auto sample : left) sounding += std::abs(sample) > 200;
  EXPECT_GT(sounding, 3 * kRate) << "all four seconds, less the quiet sine crossings";
}

}  // namespace
}  // namespace enginetest
