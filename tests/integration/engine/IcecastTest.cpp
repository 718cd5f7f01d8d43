// Against a real Icecast server fed by ffmpeg: the tone is heard, a title set through the
// admin interface arrives through the META sync, and a restarted server is heard again.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "tests/integration/engine/EngineTestBase.h"
#include "tests/support/Requirements.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

struct Titles {
  std::mutex mutex;
  std::vector<std::string> seen;
};

void OnMeta(HSYNC, DWORD channel, DWORD, void* user) {
  auto* titles = static_cast<Titles*>(user);
  if (auto meta = BASS_ChannelGetTags(channel, BASS_TAG_META)) {
    std::lock_guard lock(titles->mutex);
    titles->seen.push_back(*meta);
  }
}

class IcecastTest : public EngineTest {
 protected:
  void SetUp() override {
    if (access("/usr/bin/icecast2", X_OK) != 0) SKIP_OR_FAIL_MISSING("icecast2 is not installed");
    EngineTest::SetUp();
    // A folder `nobody` can enter: icecast2 runs as that user.
    char pattern[] = "/tmp/engine-icecast-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir_ = pattern;
    chmod(dir_.c_str(), 0777);
    url_ = LastLineOf("bash " ICECAST_SCRIPT " start " + dir_ + " 440 'Loopback FM' 2>&1");
  }
  void TearDown() override {
    if (!dir_.empty()) {
      LastLineOf("bash " ICECAST_SCRIPT " stop " + dir_ + " 2>&1");
      LastLineOf("rm -rf " + dir_);
    }
    EngineTest::TearDown();
  }
  std::string dir_;
  std::string url_;
};

TEST_F(IcecastTest, PlaysTheToneAndFollowsTheAdminTitle) {
  ASSERT_EQ(url_.rfind("http://", 0), 0u) << url_;
  const HSTREAM stream = BASS_StreamCreateURL(url_.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  Titles titles;
  BASS_ChannelSetSync(stream, BASS_SYNC_META, 0, OnMeta, &titles);
  BASS_ChannelPlay(stream, kFalse);
  LastLineOf("bash " ICECAST_SCRIPT " title " + dir_ + " 'Engine Check' 2>&1");
  EXPECT_TRUE(WaitUntil(
      [&] {
        std::lock_guard lock(titles.mutex);
        for (const auto& title : titles.seen) {
          if (title.find("StreamTitle='Engine Check';") != std::string::npos) return true;
        }
        return false;
      },
      20s));
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > 2 * kRate; }, 20s));
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_), kRate), 440);
}

// The server and its source go away for 5 s; the stream connects again by itself.
TEST_F(IcecastTest, ComesBackAfterARestart) {
  ASSERT_EQ(url_.rfind("http://", 0), 0u) << url_;
  const HSTREAM stream = BASS_StreamCreateURL(url_.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  BASS_ChannelPlay(stream, kFalse);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > 2 * kRate; }, 20s));
  ASSERT_EQ(LastLineOf("bash " ICECAST_SCRIPT " restart " + dir_ + " 5 2>&1"), url_);
  // Generous: the mount is back when the script returns; the retries are a second apart by now.
  EXPECT_TRUE(WaitUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING; }, 10s));
  const std::size_t back = FileFrames(capture_);
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > back + kRate; }, 10s));
  CloseOutput();
  EXPECT_EQ(DominantFrequency(ReadLeft(capture_, back), kRate), 440);
}

}  // namespace
}  // namespace enginetest
