// Overlapping workers started back to back: the newer one supersedes the older one.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "StreamFixture.h"
#include "sources/Station.h"
#include "stream/SharedState.h"
#include "stream/StatusWindow.h"
#include "stream/Worker.h"

namespace stream_test {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

// Holds the worker connecting to one address inside the engine until released.
class Gate {
 public:
  void Hold(const std::string& url) {
    std::unique_lock lock(mutex_);
    if (url != held_) return;
    reached_ = true;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::seconds(5), [this] { return open_; });
  }
  bool Reached() {
    std::lock_guard lock(mutex_);
    return reached_;
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  std::string held_;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool reached_ = false;
  bool open_ = false;
};

class SupersedeTest : public StreamTest {
 protected:
  // How often handle was freed so far.
  int Frees(HSTREAM handle) const {
    const auto calls = engine_->Calls();
    return static_cast<int>(
        std::count(calls.begin(), calls.end(), "StreamFree(" + std::to_string(handle) + ")"));
  }
  bool NewerDone() const { return WorkerThread.load() == 0; }
};

TEST_F(SupersedeTest, AWorkerSupersededWhileConnectingFreesItsStreamAndSendsNothing) {
  Gate gate;
  gate.held_ = "http://older";
  engine_->SetCreateHook([&gate](const std::string& url) { gate.Hold(url); });
  engine_->QueueCreation(StreamWith(1, {{BASS_TAG_ICY, "icy-name:Older\0\0"s}}));
  engine_->QueueCreation(StreamWith(2, {{BASS_TAG_ICY, "icy-name:Newer\0\0"s}}));

  stream::StartWorker("http://older");
  ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));
  stream::StartWorker("http://newer");
  const std::size_t newerStart = statuses_.size();
  ASSERT_TRUE(PumpUntil([&] { return NewerDone(); }));
  gate.Open();
  // Its last act: it frees the stream it created, which it never made the current one.
  ASSERT_TRUE(PumpUntil([&] { return Frees(1) == 1; }));

  EXPECT_EQ(Strings(statuses_.begin() + newerStart, statuses_.end()), (Strings{"0", "3:Newer"}));
  EXPECT_EQ(engine_->OpenStreams(), std::vector<HSTREAM>{2});
  EXPECT_EQ(StreamChannel.load(), 2u);
  EXPECT_EQ(StationName, "Newer");
  EXPECT_EQ(labels_.label4, "Newer");
}

TEST_F(SupersedeTest, AWorkerSupersededWhileBufferingStopsAtItsNextPass) {
  auto stalled = StreamWith(1, {{BASS_TAG_ICY, "icy-name:Older\0\0"s}});
  stalled.script.filePositions = {
      {BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_DOWNLOAD, {100}}, {BASS_FILEPOS_CURRENT, {0}}};
  auto quick = StreamWith(2, {{BASS_TAG_ICY, "icy-name:Newer\0\0"s}});
  quick.script.filePositions = {
      {BASS_FILEPOS_END, {1000}}, {BASS_FILEPOS_DOWNLOAD, {900}}, {BASS_FILEPOS_CURRENT, {0}}};
  engine_->QueueCreation(stalled);
  engine_->QueueCreation(quick);

  stream::StartWorker("http://older");
  ASSERT_TRUE(
      PumpUntil([&] { return std::count(statuses_.begin(), statuses_.end(), "2:10") >= 2; }));
  stream::StartWorker("http://newer");
  const std::size_t newerStart = statuses_.size();
  // The newer worker frees the older stream as the current one; the older worker, at its next
  // pass, frees it as its own and ends.
  ASSERT_TRUE(PumpUntil([&] { return NewerDone() && Frees(1) == 2; }));
  EXPECT_EQ(engine_->OpenStreams(), std::vector<HSTREAM>{2});

  EXPECT_EQ(Strings(statuses_.begin() + newerStart, statuses_.end()),
            (Strings{"0", "2:90", "3:Newer"}));
  EXPECT_EQ(StreamChannel.load(), 2u);
  EXPECT_EQ(labels_.label4, "Newer");
}

TEST_F(SupersedeTest, AWorkerLeftRunningWhenTheWindowClosesTouchesNothingMore) {
  Gate gate;
  gate.held_ = "http://closing";
  engine_->SetCreateHook([&gate](const std::string& url) { gate.Hold(url); });
  engine_->QueueCreation(StreamWith(1, {{BASS_TAG_ICY, "icy-name:Late\0\0"s}}));

  std::thread worker(stream::StreamThread, "http://closing", stream::NextGeneration());
  ASSERT_TRUE(PumpUntil([&] { return gate.Reached(); }));
  stream::DetachStatusWindow();  // the window goes while the worker is connecting
  const std::size_t callsAtClose = engine_->Calls().size();
  gate.Open();
  worker.join();

  // Past the creation it made no engine call at all, not even to free its stream: the engine
  // may already be gone when the process ends.
  EXPECT_EQ(engine_->Calls().size(), callsAtClose);
  EXPECT_EQ(statuses_, Strings{"0"});
  EXPECT_EQ(StreamChannel.load(), 0u);
}

}  // namespace
}  // namespace stream_test
