// Freeing never waits for a callback, and streams leave no thread or descriptor behind.
#include <dirent.h>

#include <future>

#include "tests/integration/engine/EngineTestBase.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

int Count(const char* folder) {
  int n = 0;
  if (DIR* dir = opendir(folder)) {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

struct Blocker {
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> left;
  std::atomic<bool> first{true};
};

void BlockInSync(HSYNC, DWORD, DWORD, void* user) {
  auto* blocker = static_cast<Blocker*>(user);
  if (!blocker->first.exchange(false)) return;
  blocker->entered.set_value();
  blocker->released.wait();  // like a synchronous send to a window that is busy
  blocker->left.set_value();
}

TEST_F(EngineTest, FreeReturnsWhileASyncCallbackIsBlocked) {
  const HSTREAM stream = Open("/stream?fmt=mp3&icy=1&metaint=2048&title_every=1");
  ASSERT_NE(stream, 0u);
  Blocker blocker;
  BASS_ChannelSetSync(stream, BASS_SYNC_META, 0, BlockInSync, &blocker);
  BASS_ChannelPlay(stream, kFalse);
  ASSERT_EQ(blocker.entered.get_future().wait_for(15s), std::future_status::ready);

  // If freeing waited for the callback, these would never return: run them aside and bound it.
  auto freeing = std::async(std::launch::async, [&] {
    const BOOL freed = BASS_StreamFree(stream);
    const DWORD state = BASS_ChannelIsActive(stream);
    const BOOL engineFreed = BASS_Free();
    return freed && state == BASS_ACTIVE_STOPPED && engineFreed;
  });
  const bool returned = freeing.wait_for(15s) == std::future_status::ready;
  blocker.release.set_value();
  EXPECT_EQ(blocker.left.get_future().wait_for(15s), std::future_status::ready);
  ASSERT_TRUE(returned);
  EXPECT_TRUE(freeing.get());
  initialised_ = false;
}

TEST_F(EngineTest, CreateFreeCyclesLeaveNothingBehind) {
  // One cycle first, so that libraries' one-time threads and files exist in the baseline.
  BASS_StreamFree(Open("/stream?fmt=mp3&icy=1&metaint=8192"));
  std::this_thread::sleep_for(500ms);
  const int threads = Count("/proc/self/task");
  const int files = Count("/proc/self/fd");
  for (int i = 0; i < 200; ++i) {
    const HSTREAM stream = Open(i % 2 ? "/stream?fmt=mp3&icy=1&metaint=8192" : "/stream?fmt=aac");
    ASSERT_NE(stream, 0u) << "cycle " << i << " error " << BASS_ErrorGetCode();
    if (i % 3 == 0) BASS_ChannelPlay(stream, kFalse);
    ASSERT_TRUE(BASS_StreamFree(stream));
  }
  EXPECT_TRUE(WaitUntil([&] { return Count("/proc/self/task") <= threads; }, 20s))
      << Count("/proc/self/task") << " threads, " << threads << " before";
  EXPECT_TRUE(WaitUntil([&] { return Count("/proc/self/fd") <= files; }, 20s))
      << Count("/proc/self/fd") << " descriptors, " << files << " before";
}

}  // namespace
}  // namespace enginetest
