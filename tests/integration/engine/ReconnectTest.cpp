// A playing live stream whose server drops it or goes away for a while comes back by itself,
// without the listener hearing anything twice, and nothing comes back once it is stopped.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "tests/integration/engine/EngineTestBase.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

constexpr int kStepHz = 40;
constexpr int kFirstStepHz = 400;
constexpr int kSteps = 32;
constexpr std::size_t kBytesPerSecond = 128000 / 8;

// The body of a plain GET on the loopback server (control paths answer small bodies).
std::string Get(int port, const std::string& path) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return "";
  timeval timeout{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      for (ssize_t n; reply.size() < 65536 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    }
  }
  close(fd);
  const auto body = reply.find("\r\n\r\n");
  return body == std::string::npos ? "" : reply.substr(body + 4);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// How far forward (in bytes, 0 < gap < the file's size) each jump in `received` went, read as
// consecutive stretches of the looped `file`. A jump back (replay) shows as a gap of more than
// half the file. Empty: one unbroken stretch.
std::vector<std::size_t> Jumps(const std::string& received, const std::string& file) {
  const std::string looped = file + file;
  std::vector<std::size_t> jumps;
  std::size_t at = 0;
  std::optional<std::size_t> position;
  while (received.size() - at >= 512) {
    const std::string_view probe(received.data() + at,
                                 std::min<std::size_t>(4096, received.size() - at));
    const auto found = std::string_view(looped).find(probe);
    if (found == std::string_view::npos) {
      ADD_FAILURE() << "received bytes at " << at << " are not from the served file";
      return jumps;
    }
    if (position) jumps.push_back((found + file.size() - *position) % file.size());
    std::size_t p = found % file.size();
    while (at < received.size() && received[at] == file[p]) {
      ++at;
      p = (p + 1) % file.size();
    }
    position = p;
  }
  return jumps;
}

// The pitch steps heard, in order, each run of one step counted once.
std::vector<int> StepsHeard(const std::string& capture, int rate) {
  std::vector<int> steps;
  const std::size_t window = static_cast<std::size_t>(rate) / 10;
  const std::size_t frames = FileFrames(capture);
  for (std::size_t from = 0; from + window <= frames; from += window) {
    const auto samples = ReadLeft(capture, from, from + window);
    if (Peak(samples) < 4000) continue;
    const int hz = DominantFrequency(samples, rate);
    const int step = (hz - kFirstStepHz + kStepHz / 2) / kStepHz;
    if (hz < kFirstStepHz - kStepHz / 2 || std::abs(hz - kFirstStepHz - step * kStepHz) > 15)
      continue;
    if (steps.empty() || steps.back() != step) steps.push_back(step);
  }
  return steps;
}

// How many steps forward each change went (1: the next half second; a replay goes back).
std::vector<int> StepAdvances(const std::vector<int>& steps) {
  std::vector<int> advances;
  for (std::size_t i = 1; i < steps.size(); ++i)
    advances.push_back(((steps[i] - steps[i - 1]) % kSteps + kSteps) % kSteps);
  return advances;
}

struct Received {
  std::mutex mutex;
  std::string bytes;
};

void Collect(const void* buffer, DWORD length, void* user) {
  if (!buffer || length == 0) return;
  auto* received = static_cast<Received*>(user);
  std::lock_guard lock(received->mutex);
  received->bytes.append(static_cast<const char*>(buffer), length);
}

class ReconnectTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    steps_ = FixtureDir() + "/steps.mp3";
    server_ = std::make_unique<Server>(std::vector<std::string>{
        "--audio", "steps=" + steps_ + "@128", "--audio", "wma=" + FixtureDir() + "/tone.wma"});
  }

  HSTREAM OpenLive(Received* received = nullptr) {
    const auto url = server_->Url("/stream?fmt=steps&live=1&icy=1&metaint=8192&title_every=2");
    return BASS_StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK | BASS_STREAM_STATUS,
                                received ? &Collect : nullptr, received);
  }

  void Outage(double seconds) {
    ASSERT_EQ(Get(server_->Port(), "/_outage?seconds=" + std::to_string(seconds)), "down\n");
  }

  int OpenConnections() { return std::atoi(Get(server_->Port(), "/_connections").c_str()); }

  // Plays until `frames` of sound are captured, recording whether the channel ever stalled.
  bool PlayUntil(HSTREAM stream, std::size_t frames, bool* stalled) {
    return WaitUntil(
        [&] {
          if (BASS_ChannelIsActive(stream) == BASS_ACTIVE_STALLED) *stalled = true;
          return FileFrames(capture_) >= frames;
        },
        30s);
  }

  std::string steps_;
};

// The stream's own buffer outlasts a one-second drop: no stall, no step missed or repeated,
// and the bytes handed on are one unbroken stretch of what the station sent.
TEST_F(ReconnectTest, ShortDropIsNotHeard) {
  Received received;
  const HSTREAM stream = OpenLive(&received);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  bool starting = false, stalled = false;
  ASSERT_TRUE(PlayUntil(stream, 3 * kRate, &starting));
  Outage(1);
  ASSERT_TRUE(PlayUntil(stream, 9 * kRate, &stalled));
  EXPECT_FALSE(stalled);
  EXPECT_EQ(OpenConnections(), 1);
  CloseOutput();

  std::lock_guard lock(received.mutex);
  EXPECT_TRUE(Jumps(received.bytes, ReadFile(steps_)).empty());
  const auto advances = StepAdvances(StepsHeard(capture_, kRate));
  EXPECT_GE(advances.size(), 10u);
  // From the second on, as below: the first step heard may be the start-up burst's tail.
  for (std::size_t i = 1; i < advances.size(); ++i)
    EXPECT_EQ(advances[i], 1) << ::testing::PrintToString(advances);
}

// Longer than the buffer: the channel stalls, is playing again soon after the server accepts,
// and what it plays next goes forward from where it stopped.
TEST_F(ReconnectTest, OutageStallsThenGoesOnWithoutReplay) {
  Received received;
  const HSTREAM stream = OpenLive(&received);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  bool stalled = false;
  ASSERT_TRUE(PlayUntil(stream, 3 * kRate, &stalled));
  Outage(5);
  const auto accepting = std::chrono::steady_clock::now() + 5s;
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STALLED; }, 8s));
  std::this_thread::sleep_until(accepting);
  // Generous: the retry pause is at most 1 s, and the burst refills the buffer at once.
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }, 4s));
  const std::size_t resumed = FileFrames(capture_);
  ASSERT_TRUE(PlayUntil(stream, resumed + 3 * kRate, &stalled));
  EXPECT_EQ(OpenConnections(), 1);
  CloseOutput();

  std::lock_guard lock(received.mutex);
  const auto jumps = Jumps(received.bytes, ReadFile(steps_));
  ASSERT_EQ(jumps.size(), 1u);
  EXPECT_LE(jumps[0], 6 * kBytesPerSecond);
  const auto advances = StepAdvances(StepsHeard(capture_, kRate));
  EXPECT_GE(advances.size(), 6u);
  // From the second on: the first step heard may be the tail of the start-up burst, read
  // before the capture's first full window (seen under the address sanitizer).
  for (std::size_t i = 1; i < advances.size(); ++i)
    EXPECT_TRUE(advances[i] >= 1 && advances[i] <= 12) << ::testing::PrintToString(advances);
}

// Stopped or freed, a stream whose connection ends stays without one.
TEST_F(ReconnectTest, NothingComesBackAfterStopOrFree) {
  for (const bool freeIt : {false, true}) {
    SCOPED_TRACE(freeIt ? "freed" : "stopped");
    const HSTREAM stream = OpenLive();
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
    ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }));
    ASSERT_TRUE(freeIt ? BASS_StreamFree(stream) : BASS_Stop());
    Outage(0.5);
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(OpenConnections(), 0);
    if (!freeIt) {
      BASS_StreamFree(stream);
      BASS_Start();
    }
  }
}

void CountTitle(HSYNC, DWORD, DWORD, void* user) {
  ++*static_cast<std::atomic<int>*>(user);
}

// A Windows Media session whose connection ends is asked to play again: the sound goes on
// (its buffer may well outlast the outage), and the title the header's commands name again
// is no news. The header names it two seconds in, paced, so that it comes after the sync is
// set: a sync hears nothing fired during the creation.
TEST_F(ReconnectTest, WindowsMediaSessionPlaysAgain) {
  const HSTREAM stream = BASS_StreamCreateURL(
      server_->Url("/mmsh?header_scripts=Live%20Song&script_from=2&burst=0").c_str(), 0,
      BASS_STREAM_BLOCK, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  std::atomic<int> titles{0};
  ASSERT_NE(BASS_ChannelSetSync(stream, BASS_SYNC_WMA_META, 0, CountTitle, &titles), 0u);
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  bool stalled = false;
  ASSERT_TRUE(PlayUntil(stream, 2 * kRate, &stalled));
  ASSERT_TRUE(WaitUntil([&] { return titles == 1; }));
  Outage(3);
  // Describe, play, and play again once the server accepts.
  const auto requests = [&] {
    const std::string log = Get(server_->Port(), "/_log");
    std::size_t count = 0;
    for (auto at = log.find("\"path\": \"/mmsh\""); at != std::string::npos;
         at = log.find("\"path\": \"/mmsh\"", at + 1))
      ++count;
    return count;
  };
  EXPECT_TRUE(WaitUntil([&] { return requests() >= 3; }, 10s));
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }, 6s));
  const std::size_t back = FileFrames(capture_);
  // Paced, the session is past its command again well before this.
  ASSERT_TRUE(PlayUntil(stream, back + 3 * kRate, &stalled));
  EXPECT_EQ(titles, 1);
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_, back), kRate), 990);
}

// A player that starts over while the channel stalls frees the reconnecting stream and creates
// a new one on the same address: that creation waits for the server rather than failing at
// once, gives up when stopped, gives way to a newer creation, and is back soon after the
// server accepts, with one connection.
TEST_F(ReconnectTest, ANewStreamOnALostAddressWaitsForItsServer) {
  const HSTREAM lost = OpenLive();
  ASSERT_NE(lost, 0u) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_ChannelPlay(lost, kFalse));
  bool stalled = false;
  ASSERT_TRUE(PlayUntil(lost, 2 * kRate, &stalled));
  Outage(14);
  const auto accepting = std::chrono::steady_clock::now() + 14s;
  ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(lost) == BASS_ACTIVE_STALLED; }, 10s));
  ASSERT_TRUE(BASS_StreamFree(lost));

  struct Creation {
    std::atomic<HSTREAM> handle{0};
    std::atomic<int> error{0};
    std::atomic<bool> done{false};
    std::thread thread;
    ~Creation() {
      if (thread.joinable()) thread.join();  // each creation ends within the outage's window
    }
  };
  const auto create = [&](Creation& creation) {
    creation.thread = std::thread([&] {
      creation.handle = OpenLive();
      creation.error = BASS_ErrorGetCode();
      creation.done = true;
    });
  };
  Creation stopped, superseded, last;
  create(stopped);
  std::this_thread::sleep_for(1s);
  EXPECT_FALSE(stopped.done) << "a lost address failed at once: " << stopped.error;
  ASSERT_TRUE(BASS_Stop());
  EXPECT_TRUE(WaitUntil([&] { return stopped.done.load(); }, 3s));
  stopped.thread.join();
  EXPECT_EQ(stopped.handle, 0u);
  ASSERT_TRUE(BASS_Start());

  create(superseded);
  std::this_thread::sleep_for(1s);
  create(last);
  EXPECT_TRUE(WaitUntil([&] { return superseded.done.load(); }, 3s));
  superseded.thread.join();
  EXPECT_EQ(superseded.handle, 0u);
  EXPECT_FALSE(last.done) << "the newer creation gave up: " << last.error;

  ASSERT_TRUE(WaitUntil([&] { return last.done.load(); }, 20s));
  const auto back = std::chrono::steady_clock::now() - accepting;
  last.thread.join();
  ASSERT_NE(last.handle, 0u) << last.error;
  EXPECT_LT(back, 2500ms);
  EXPECT_EQ(OpenConnections(), 1);
  ASSERT_TRUE(BASS_ChannelPlay(last.handle, kFalse));
  const std::size_t resumed = FileFrames(capture_);
  EXPECT_TRUE(PlayUntil(last.handle, resumed + kRate, &stalled));
}

}  // namespace
}  // namespace enginetest
