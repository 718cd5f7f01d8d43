// The synchronous send: a direct call on the window's thread, a blocking call from any other,
// stale senders dropped on arrival, and a window that goes away under a blocked sender.
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <thread>

#include "StreamFixture.h"
#include "stream/SharedState.h"
#include "stream/StatusWindow.h"

namespace stream_test {
namespace {

using stream::RunOnWindow;
using StatusWindowTest = StreamTest;

// Runs send on a thread of its own while this thread serves the window's events.
class Sender {
 public:
  explicit Sender(std::function<bool()> send)
      : thread_([this, send = std::move(send)] {
          result_ = send();
          done_.store(true);
        }) {}
  ~Sender() { thread_.join(); }
  bool Done() const { return done_.load(); }
  bool Result() const { return result_; }

 private:
  bool result_ = false;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST_F(StatusWindowTest, OnTheWindowsThreadTheSendIsADirectCall) {
  bool ran = false;
  EXPECT_TRUE(RunOnWindow(stream::kAnyGeneration, [&](stream::StatusLabels& labels) {
    EXPECT_EQ(&labels, &labels_);
    ran = true;
  }));
  EXPECT_TRUE(ran);
}

TEST_F(StatusWindowTest, FromAnotherThreadTheSenderWaitsForTheWindow) {
  QThread* const window = QThread::currentThread();
  bool ranOnWindow = false;
  bool seenBySender = false;
  Sender sender([&] {
    const bool delivered = RunOnWindow(stream::kAnyGeneration, [&](stream::StatusLabels&) {
      ranOnWindow = QThread::currentThread() == window;
      labels_.SetLabel4("from worker");
    });
    seenBySender = ranOnWindow;  // the handling is complete when the send returns
    return delivered;
  });
  ASSERT_TRUE(PumpUntil([&] { return sender.Done(); }));
  EXPECT_TRUE(sender.Result());
  EXPECT_TRUE(seenBySender);
  EXPECT_EQ(labels_.label4, "from worker");
}

TEST_F(StatusWindowTest, AStaleGenerationIsDroppedOnArrival) {
  const std::uint64_t older = stream::NextGeneration();
  const std::uint64_t newer = stream::NextGeneration();
  bool ran = false;
  auto mark = [&](stream::StatusLabels&) { ran = true; };
  Sender stale([&] { return RunOnWindow(older, mark); });
  ASSERT_TRUE(PumpUntil([&] { return stale.Done(); }));
  EXPECT_FALSE(stale.Result());
  EXPECT_FALSE(RunOnWindow(older, mark));
  EXPECT_FALSE(ran);

  Sender current([&] { return RunOnWindow(newer, mark); });
  ASSERT_TRUE(PumpUntil([&] { return current.Done(); }));
  EXPECT_TRUE(current.Result());
  EXPECT_TRUE(ran);
}

TEST_F(StatusWindowTest, AWindowThatGoesAwayReleasesABlockedSender) {
  std::atomic<bool> sending{false};
  bool ran = false;
  Sender sender([&] {
    sending.store(true);
    return RunOnWindow(stream::kAnyGeneration, [&](stream::StatusLabels&) { ran = true; });
  });
  while (!sending.load()) std::this_thread::yield();
  stream::DetachStatusWindow();  // the window closes before it served the send
  ASSERT_TRUE(PumpUntil([&] { return sender.Done(); }));
  EXPECT_FALSE(sender.Result());
  EXPECT_TRUE(stream::Closing());
  EXPECT_FALSE(ran);
  EXPECT_FALSE(stream::SendStatus(stream::kAnyGeneration, stream::StatusMessage{}));
}

}  // namespace
}  // namespace stream_test
