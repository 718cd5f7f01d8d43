// Against a real Windows Media server, VLC's MMSH output: a WMA tone asked for over http://
// and over mms:// is heard at its pitch for 20 s without a drop-out.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/integration/engine/EngineTestBase.h"
#include "tests/support/Requirements.h"

namespace enginetest {
namespace {

using namespace std::chrono_literals;

constexpr int kTone = 880;

std::string LastLine(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out.substr(out.rfind('\n') == std::string::npos ? 0 : out.rfind('\n') + 1);
}

// The longest run of near-silent frames after the sound began: a sine at the tone's level
// is near zero for a few samples per cycle only.
std::size_t LongestSilence(const std::vector<std::int16_t>& samples) {
  std::size_t at = 0;
  while (at < samples.size() && std::abs(samples[at]) < 256) ++at;
  std::size_t longest = 0;
  std::size_t run = 0;
  for (; at < samples.size(); ++at) {
    run = std::abs(samples[at]) < 64 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

class VlcMmshTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    if (access("/usr/bin/cvlc", X_OK) != 0) SKIP_OR_FAIL_MISSING("cvlc is not installed");
    EngineTest::SetUp();
    char pattern[] = "/tmp/engine-vlc-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir_ = pattern;
    chmod(dir_.c_str(), 0755);
    url_ = LastLine("bash " VLC_MMSH_SCRIPT " start " + dir_ + " " + std::to_string(kTone) +
                    " 40 2>&1");
  }
  void TearDown() override {
    if (!dir_.empty()) {
      LastLine("bash " VLC_MMSH_SCRIPT " stop " + dir_ + " 2>&1");
      LastLine("rm -rf " + dir_);
    }
    EngineTest::TearDown();
  }
  std::string dir_;
  std::string url_;
};

TEST_P(VlcMmshTest, PlaysTheToneWithoutDropOuts) {
  ASSERT_EQ(url_.rfind("http://", 0), 0u) << url_;
  const std::string url = GetParam() + url_.substr(std::string("http://").size());
  const HSTREAM stream = BASS_StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
  EXPECT_TRUE(BASS_ChannelGetTags(stream, BASS_TAG_WMA));
  BASS_CHANNELINFO info;
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WMA);
  EXPECT_EQ(info.freq, 44100u);
  // Pre-buffer the way the connection worker does, on the WMA buffering figure.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const QWORD fill = BASS_StreamGetFilePosition(stream, BASS_FILEPOS_WMA_BUFFER);
        return fill != kFilePosError && fill > 75;
      },
      10s));
  ASSERT_TRUE(BASS_ChannelPlay(stream, kFalse));
  ASSERT_TRUE(WaitUntil([&] { return FileFrames(capture_) > 21 * kRate; }, 40s));
  CloseOutput();
  const auto left = ReadLeft(capture_);
  EXPECT_EQ(DominantFrequency(left, kRate), kTone);
  EXPECT_LT(LongestSilence(left), 100u) << "a drop-out in the captured sound";
}

INSTANTIATE_TEST_SUITE_P(Schemes, VlcMmshTest, ::testing::Values("http://", "mms://"),
                         [](const auto& info) { return info.index == 0 ? "Http" : "Mms"; });

}  // namespace
}  // namespace enginetest
