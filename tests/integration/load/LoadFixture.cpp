#include "tests/integration/load/LoadFixture.h"

#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusDisplay.h"
#include "tests/integration/load/ServerConnections.h"
#include "tests/support/Requirements.h"
#include "ui/Boxes.h"
#include "ui/EffectLabel.h"

namespace load_test {

using Clock = std::chrono::steady_clock;

namespace {

// Leeway for what the process may start lazily on its own: a Qt helper thread, a descriptor
// of a library's cache. A leaking worker or stream holds at least a thread and a socket each,
// and the load makes a hundred of them. Memory: room for the allocator's per-thread arenas.
constexpr int kThreadSlack = 2;
constexpr int kDescriptorSlack = 4;
constexpr long kResidentSlackKiB = 64 * 1024;

}  // namespace

// Ends the process when the window's thread has not come back for a minute: a deadlock then
// fails the test with a message instead of running into the harness's time-out.
class HangGuard {
 public:
  HangGuard() : thread_([this] { Watch(); }) {}
  ~HangGuard() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Beat() {
    std::lock_guard lock(mutex_);
    last_ = Clock::now();
  }

 private:
  static constexpr auto kLimit = std::chrono::seconds(60);
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
      if (Clock::now() - last_ > kLimit) {
        std::fprintf(stderr, "the window's thread has not handled events for a minute\n");
        std::abort();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  Clock::time_point last_ = Clock::now();  // guarded by mutex_
  bool stop_ = false;                      // guarded by mutex_
  std::thread thread_;
};

LoadTest::LoadTest() = default;
LoadTest::~LoadTest() = default;

void LoadTest::SetUp() {
  if (!std::filesystem::exists(TEST_SERVER)) SKIP_OR_FAIL_MISSING("no test stream server");
  if (!test_support::RunCommand({"bash", MAKE_FIXTURES, FIXTURE_DIR, "10"}))
    SKIP_OR_FAIL_MISSING("audio fixtures could not be made");
  setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card here; a chosen driver is kept
  server_.emplace(TEST_SERVER, std::vector<std::string>{std::string(FIXTURE_DIR) + "/tone.mp3",
                                                        "--max-clients", "256"});
  if (server_->Port() == 0) SKIP_OR_FAIL_MISSING("test stream server did not start");
  playlists_ =
      std::filesystem::path(testing::TempDir()) / ("load-playlists-" + std::to_string(::getpid()));
  std::filesystem::create_directories(playlists_);

  guard_ = std::make_unique<HangGuard>();
  engine::SetBackend(engine_);
  session_ = std::make_unique<player::Player>();  // a fresh session supersedes older workers
  ui::SetMessageBoxFunction(
      [this](const ui::MessageBoxRequest& box) { boxes_.push_back(box.text.toStdString()); });
  window_ = std::make_unique<TfrmMain>(*session_);
  if (window_->EndRequested())
    SKIP_OR_FAIL_MISSING("the engine could not start: " << (boxes_.empty() ? "" : boxes_.front()));
}

void LoadTest::TearDown() {
  window_.reset();  // frees the engine; workers still running end by themselves
  Pump(100);
  session_.reset();
  engine::SetBackend(nullptr);
  ui::SetMessageBoxFunction({});
  guard_.reset();
  server_.reset();
  std::error_code ignored;
  if (!playlists_.empty()) std::filesystem::remove_all(playlists_, ignored);
}

void LoadTest::PumpTill(Clock::time_point end) {
  do {
    if (guard_) guard_->Beat();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (Clock::now() < end);
}

bool LoadTest::PumpUntil(const std::function<bool()>& done, int seconds) {
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (Clock::now() > end) return done();
    Pump(20);
  }
  return true;
}

std::string LoadTest::StationUrl(int id) const {
  const std::string n = std::to_string(id);
  return server_->Url("/stream?icy=1&metaint=4096&title_blocks=1&titles=S" + n +
                      "%20Song%20%7Bn%7D&name=Icy%20" + n + "&id=" + n);
}

std::string LoadTest::WritePlaylist(int id) const {
  const auto path = playlists_ / ("station" + std::to_string(id) + ".pls");
  std::ofstream(path) << "[playlist]\nNumberOfEntries=1\nFile1=" << StationUrl(id)
                      << "\nTitle1=Station " << id << "\nLength1=-1\nVersion=2\n";
  return path.string();
}

std::string LoadTest::Text(const char* label) const {
  const auto* control = window_->findChild<ui::EffectLabel*>(label);
  return control ? control->text().toStdString() : std::string();
}

std::size_t LoadTest::ServerConnections() const {
  return OpenServerConnections(server_->Port()).size();
}

std::vector<std::string> LoadTest::OpenRequests() const {
  // Connections first: the log's own request must not count as one.
  const auto clients = OpenServerConnections(server_->Port());
  const auto requests = RequestsByClientPort(server_->Url(""));
  std::vector<std::string> open;
  for (const int client : clients) {
    const auto it = requests.find(client);
    open.push_back(it == requests.end() ? "(not in the log)" : it->second);
  }
  return open;
}

ProcessFigures LoadTest::PlayingBaseline(int id) {
  Window().OpenStation(WritePlaylist(id));
  EXPECT_TRUE(PumpUntil(
      [&] {
        return WorkerThread.load() == 0 && Playing(StreamChannel.load()) &&
               ServerConnections() == 1;
      },
      30))
      << "the first station did not start playing";
  Pump(500);  // the level timer and the title callbacks have run
  return ProcessFigures::Now();
}

void LoadTest::ExpectNothingLeftSince(const ProcessFigures& before) {
  PumpUntil(
      [&] {
        const auto now = ProcessFigures::Now();
        return now.threads <= before.threads && now.descriptors <= before.descriptors;
      },
      30);
  const ProcessFigures after = ProcessFigures::Now();
  std::cout << "[  figures ] before: " << before << "\n[  figures ] after:  " << after << std::endl;
  RecordProperty("threads_before", before.threads);
  RecordProperty("threads_after", after.threads);
  RecordProperty("descriptors_before", before.descriptors);
  RecordProperty("descriptors_after", after.descriptors);
  RecordProperty("resident_kib_before", std::to_string(before.rssKiB));
  RecordProperty("resident_kib_after", std::to_string(after.rssKiB));
  EXPECT_LE(after.threads, before.threads + kThreadSlack);
  EXPECT_LE(after.descriptors, before.descriptors + kDescriptorSlack);
#if !defined(__SANITIZE_ADDRESS__)
  // The address sanitizer keeps freed memory resident in its quarantine: no measure of a leak.
  EXPECT_LE(after.rssKiB, before.rssKiB + kResidentSlackKiB);
#endif
}

}  // namespace load_test
